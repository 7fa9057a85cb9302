#include "shell/FileDropTarget.h"

#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>

namespace kw {
namespace fs = std::filesystem;

namespace {

// Long-path maximum, so that no name is ever cut.
constexpr UINT kNameBufferChars = 0x8000;

FORMATETC HdropFormat() { return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

struct MediumReleaser {
    void operator()(STGMEDIUM* medium) const { ReleaseStgMedium(medium); }
};
using MediumOwner = std::unique_ptr<STGMEDIUM, MediumReleaser>;

struct GlobalUnlocker {
    HGLOBAL global;
    void operator()(const void*) const { GlobalUnlock(global); }
};
using LockedGlobal = std::unique_ptr<const void, GlobalUnlocker>;

// The number of names in a list of `Char` units starting at byte `begin`, or nothing when the
// list does not end (with an empty name) before byte `size`.
template <typename Char>
std::optional<UINT> CountNames(const BYTE* bytes, SIZE_T begin, SIZE_T size) {
    UINT names = 0;
    bool atNameStart = true;
    for (SIZE_T at = begin; at + sizeof(Char) <= size; at += sizeof(Char)) {
        Char unit;
        std::memcpy(&unit, bytes + at, sizeof unit);
        if (unit == 0) {
            if (atNameStart) return names;
            atNameStart = true;
        } else {
            if (atNameStart) ++names;
            atNameStart = false;
        }
    }
    return std::nullopt;
}

// A file list can come from another process; DragQueryFileW trusts its offset and its
// terminator and would read past the block if either were wrong (Wine's even reads past an
// empty list).
std::optional<UINT> NamesInFileList(HDROP drop) {
    const HGLOBAL global = reinterpret_cast<HGLOBAL>(drop);
    const SIZE_T size = GlobalSize(global);
    if (size < sizeof(DROPFILES)) return std::nullopt;
    LockedGlobal lock(GlobalLock(global), GlobalUnlocker{global});
    if (!lock) return std::nullopt;
    const auto* bytes = static_cast<const BYTE*>(lock.get());
    DROPFILES header;
    std::memcpy(&header, bytes, sizeof header);
    if (header.pFiles >= size) return std::nullopt;
    return header.fWide ? CountNames<wchar_t>(bytes, header.pFiles, size)
                        : CountNames<char>(bytes, header.pFiles, size);
}

}  // namespace

FileDropTarget::FileDropTarget(DropCallback onDropAt) : onDropAt(std::move(onDropAt)) {}

HRESULT STDMETHODCALLTYPE FileDropTarget::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE FileDropTarget::AddRef() { return ++refCount; }

ULONG STDMETHODCALLTYPE FileDropTarget::Release() {
    const ULONG count = --refCount;
    if (count == 0) delete this;
    return count;
}

DWORD DragFeedback(DWORD allowed, DWORD keys) {
    // On entry the effect holds what the source allows; the answer must be one of those
    // ("IDropTarget::DragOver"). Ctrl shows a copy, no key or Shift a move, as Explorer does.
    const DWORD wanted = (keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    if (allowed & wanted) return wanted;
    return (allowed & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

void FileDropTarget::DescribeDrags(HWND targetWindow, Describe words) {
    window = targetWindow;
    describe = std::move(words);
    // The drag-image manager draws the source's drag image, with its description, over this
    // window; without one (it is missing on some systems) drags work as before.
    if (!dragImages)
        CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(dragImages.GetAddressOf()));
}

void FileDropTarget::UpdateDescription(DWORD keys) {
    if (!describe || !dragged) return;
    const DropDescriptionText words = describe(keys);
    // Once per change: a SetData per mouse move would make the image flicker, and a source that
    // refused the words once is not asked again for the same ones.
    if (words == described) return;
    described = words;
    if (SetDropDescription(dragged.Get(), words)) describedOnData = true;
}

void FileDropTarget::EndDrag() {
    // The description stays on the source's data object after the drag; the source may be
    // dragged over other windows next, so it is taken back (DROPIMAGE_INVALID, no words).
    if (dragged && describedOnData) SetDropDescription(dragged.Get(), DropDescriptionText{});
    described = DropDescriptionText{};
    describedOnData = false;
    dragged.Reset();
}

HRESULT STDMETHODCALLTYPE FileDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (!effect) return E_POINTER;
    FORMATETC format = HdropFormat();
    accepting = data && data->QueryGetData(&format) == S_OK;
    *effect = accepting ? DragFeedback(*effect, keyState) : DROPEFFECT_NONE;
    dragged = accepting ? data : nullptr;
    described = DropDescriptionText{};
    describedOnData = false;
    UpdateDescription(keyState);
    POINT at{point.x, point.y};
    if (dragImages && data) dragImages->DragEnter(window, data, &at, *effect);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FileDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
    if (!effect) return E_POINTER;
    *effect = accepting ? DragFeedback(*effect, keyState) : DROPEFFECT_NONE;
    UpdateDescription(keyState);
    POINT at{point.x, point.y};
    if (dragImages) dragImages->DragOver(&at, *effect);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FileDropTarget::DragLeave() {
    EndDrag();
    if (dragImages) dragImages->DragLeave();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FileDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    if (!effect) return E_POINTER;
    *effect = DROPEFFECT_NONE;
    EndDrag();
    // No exception may travel back into OLE's drag loop (the source is often another program).
    HRESULT result = S_OK;
    try {
        std::vector<fs::path> paths = GetDroppedPaths(data);
        if (!paths.empty() && onDropAt) {
            onDropAt(paths, POINT{point.x, point.y}, keyState & (MK_SHIFT | MK_CONTROL | MK_ALT));
            *effect = DROPEFFECT_COPY;
        }
    } catch (const std::bad_alloc&) {
        *effect = DROPEFFECT_NONE;
        result = E_OUTOFMEMORY;
    } catch (...) {
        *effect = DROPEFFECT_NONE;
        result = E_UNEXPECTED;
    }
    POINT at{point.x, point.y};
    if (dragImages && data) dragImages->Drop(data, &at, *effect);
    return result;
}

std::vector<fs::path> GetDroppedPaths(IDataObject* data) {
    if (!data) return {};
    FORMATETC format = HdropFormat();
    STGMEDIUM medium{};
    if (data->GetData(&format, &medium) != S_OK) return {};
    MediumOwner owner(&medium);
    if (medium.tymed != TYMED_HGLOBAL || !medium.hGlobal) return {};
    return PathsFromHdrop(static_cast<HDROP>(medium.hGlobal));
}

std::vector<fs::path> PathsFromHdrop(HDROP drop) {
    if (!drop) return {};
    const std::optional<UINT> names = NamesInFileList(drop);
    if (!names || *names == 0) return {};
    const UINT count = std::min(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), *names);
    std::vector<fs::path> paths;
    paths.reserve(count);
    std::wstring name(kNameBufferChars, L'\0');
    for (UINT i = 0; i < count; ++i) {
        name.resize(kNameBufferChars);
        if (DragQueryFileW(drop, i, name.data(), kNameBufferChars) == 0) continue;
        name.resize(wcsnlen(name.c_str(), kNameBufferChars));
        paths.emplace_back(name);
    }
    return paths;
}

}  // namespace kw
