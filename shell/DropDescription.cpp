#include "shell/DropDescription.h"

#include <cwchar>

namespace kw {

DropDescriptionText DropZoneDescription(DWORD keyState) {
    // The image matches the effect shown while dragging (Ctrl: a copy, else a move), so the
    // cursor's image and the words agree; the drop itself always answers a copy.
    const DROPIMAGETYPE image = (keyState & MK_CONTROL) ? DROPIMAGE_COPY : DROPIMAGE_MOVE;
    if (keyState & MK_SHIFT) return {image, L"Preview with %1", L"Kestrane Fileweir"};
    if (keyState & MK_CONTROL) return {image, L"Copy with %1", L"Kestrane Fileweir"};
    return {image, L"Route with %1", L"Kestrane Fileweir"};
}

bool SetDropDescription(IDataObject* data, const DropDescriptionText& text) {
    if (!data) return false;
    // The shell's registered format "DropDescription": an HGLOBAL holding one DROPDESCRIPTION.
    // Given with fRelease TRUE the data object owns the medium once SetData succeeds; on failure
    // it stays ours to release.
    static const CLIPFORMAT format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(CFSTR_DROPDESCRIPTION));
    if (format == 0) return false;
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPDESCRIPTION));
    if (!global) return false;
    if (auto* description = static_cast<DROPDESCRIPTION*>(GlobalLock(global))) {
        description->type = text.image;
        wcsncpy(description->szMessage, text.message.c_str(), MAX_PATH - 1);
        wcsncpy(description->szInsert, text.insert.c_str(), MAX_PATH - 1);
        GlobalUnlock(global);
    }
    FORMATETC formatEtc{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = global;
    if (SUCCEEDED(data->SetData(&formatEtc, &medium, TRUE))) return true;
    ReleaseStgMedium(&medium);
    return false;
}

}  // namespace kw
