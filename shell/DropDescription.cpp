#include "shell/DropDescription.h"

#include <cwchar>

namespace kw {

DropDescriptionText DropZoneDescription(DWORD keyState) {
    // DROPIMAGE_COPY matches the effect answered, so the cursor's image and the words agree.
    if (keyState & MK_SHIFT) return {DROPIMAGE_COPY, L"Preview with %1", L"Kestrane Fileweir"};
    return {DROPIMAGE_COPY, L"Route with %1", L"Kestrane Fileweir"};
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
