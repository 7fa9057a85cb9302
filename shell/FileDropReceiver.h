#pragma once
// The file lists dropped on one window. OLE drag and drop is used when the window can be
// registered for it; otherwise the same drops arrive as the shell's WM_DROPFILES. Either way the
// callback receives the paths as delivered (nothing filtered), the drop point in screen
// coordinates and the modifier keys, from the window's own message loop: an OLE drop is only noted and posted, so
// that the program dragging from (Explorer) is released at once, whatever the drop then costs.
// The window procedure hands every message to HandleMessage first.

#include <windows.h>
#include <wrl/client.h>

#include <deque>
#include <filesystem>
#include <utility>
#include <vector>

#include "shell/FileDropTarget.h"

namespace kw {

// Posted to the window by an OLE drop; the drop is delivered when the window handles it.
constexpr UINT kDeliverDropsMessage = WM_APP + 16;

class FileDropReceiver {
public:
    using Callback = FileDropTarget::DropCallback;

    FileDropReceiver() = default;
    ~FileDropReceiver();  // Detach
    FileDropReceiver(const FileDropReceiver&) = delete;
    FileDropReceiver& operator=(const FileDropReceiver&) = delete;

    // True when OLE took the registration; false when drops come as WM_DROPFILES.
    bool Attach(HWND window, Callback onDrop);
    // Revokes the registration while the window still exists (also done at WM_DESTROY).
    void Detach();
    // WM_DROPFILES and the delivery of OLE drops are consumed (true); WM_DESTROY detaches and is
    // left to the window (false).
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool UsesOle() const { return registered; }
    // What a drag over the window says (see FileDropTarget::DescribeDrags); after Attach.
    void DescribeDrags(FileDropTarget::Describe describe) {
        if (target) target->DescribeDrags(window, std::move(describe));
    }

private:
    void OnDropFiles(HDROP drop);
    void OnOleDrop(std::vector<std::filesystem::path> paths, POINT point, DWORD keys);
    void DeliverPending();

    HWND window = nullptr;
    Callback onDrop;
    struct Pending {
        std::vector<std::filesystem::path> paths;
        POINT point{};
        DWORD keys = 0;
    };
    std::deque<Pending> pending;  // OLE drops not yet delivered
    Microsoft::WRL::ComPtr<FileDropTarget> target;
    bool registered = false;
};

}  // namespace kw
