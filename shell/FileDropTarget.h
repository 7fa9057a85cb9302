#pragma once
// The OLE drop target both windows register: accepts anything offering a CF_HDROP file list
// and hands the paths, with the drop point in screen coordinates and the modifier keys, to its
// callback. While the drag is over it, the cursor shows what will happen (a move, or a copy
// with Ctrl held), but a drop never reports a move effect, so the drag source never deletes its
// own copies: the program moves the items itself.

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <wrl/client.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "shell/DropDescription.h"

namespace kw {

class FileDropTarget final : public IDropTarget {
public:
    // The paths, the drop point, and the modifier keys held as the items were let go (MK_SHIFT,
    // MK_CONTROL, MK_ALT).
    using DropCallback = std::function<void(std::vector<std::filesystem::path>, POINT, DWORD keys)>;

    // Reference count 1 after construction; the final Release deletes the object.
    explicit FileDropTarget(DropCallback onDropAt);
    FileDropTarget(const FileDropTarget&) = delete;
    FileDropTarget& operator=(const FileDropTarget&) = delete;

    // Words the drag shows over `window` (nothing set: the shell's bare effect), for the keys
    // held; the shell's drag-image manager draws the image over the window as the drag moves.
    using Describe = std::function<DropDescriptionText(DWORD keys)>;
    void DescribeDrags(HWND window, Describe describe);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

private:
    ~FileDropTarget() = default;

    // Sets the words for `keys` on the dragged data object when they change.
    void UpdateDescription(DWORD keys);
    // Takes the words off the data object and lets it go (the drag left or dropped).
    void EndDrag();

    ULONG refCount = 1;  // UI thread only (single-threaded apartment)
    bool accepting = false;  // the drag over the window offers a file list
    DropCallback onDropAt;
    HWND window = nullptr;
    Describe describe;
    Microsoft::WRL::ComPtr<IDropTargetHelper> dragImages;  // the shell's drag-image manager, if any
    Microsoft::WRL::ComPtr<IDataObject> dragged;           // during a drag only
    DropDescriptionText described;                         // what `dragged` was last offered
    bool describedOnData = false;                          // and it took words of ours
};

// The effect a drag over the target shows, of those the source allows: a copy with Ctrl held,
// otherwise a move (or a copy where the source allows no move).
DWORD DragFeedback(DWORD allowed, DWORD keys);

// The file list of a data object (empty without CF_HDROP).
std::vector<std::filesystem::path> GetDroppedPaths(IDataObject* data);
// Every name of an HDROP, in order, unfiltered (names up to 32,767 characters). A list that
// does not end inside its memory block gives no names.
std::vector<std::filesystem::path> PathsFromHdrop(HDROP drop);

}  // namespace kw
