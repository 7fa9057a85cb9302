#include "shell/FileDropReceiver.h"

#include <shellapi.h>

namespace kw {

FileDropReceiver::~FileDropReceiver() { Detach(); }

bool FileDropReceiver::Attach(HWND targetWindow, Callback callback) {
    Detach();
    window = targetWindow;
    onDrop = std::move(callback);
    target.Attach(new FileDropTarget(
        [this](std::vector<std::filesystem::path> paths, POINT point, DWORD keys) {
            OnOleDrop(std::move(paths), point, keys);
        }));
    // RegisterDragDrop needs OleInitialize on this thread: after CoInitializeEx alone Windows
    // answers E_OUTOFMEMORY (Wine registers anyway). The thread must also pump messages.
    registered = SUCCEEDED(RegisterDragDrop(window, target.Get()));
    if (!registered) target.Reset();
    // Without OLE the shell still delivers drops to windows that accept files.
    DragAcceptFiles(window, registered ? FALSE : TRUE);
    return registered;
}

void FileDropReceiver::Detach() {
    // OLE holds a reference to the target for as long as the window is registered, and a
    // destroyed window can no longer be revoked: this runs at the latest at WM_DESTROY.
    if (registered && window) RevokeDragDrop(window);
    registered = false;
    target.Reset();
    pending.clear();
    onDrop = nullptr;
    window = nullptr;
}

bool FileDropReceiver::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return true;
        case kDeliverDropsMessage:
            DeliverPending();
            return true;
        case WM_DESTROY:
            Detach();
            return false;
        default:
            return false;
    }
}

void FileDropReceiver::OnDropFiles(HDROP drop) {
    POINT point{};
    DragQueryPoint(drop, &point);  // client coordinates of the window dropped on
    if (window) ClientToScreen(window, &point);
    std::vector<std::filesystem::path> paths = PathsFromHdrop(drop);
    DragFinish(drop);
    // The shell's drop message carries no key state; the thread's input state as this message
    // is handled is the nearest to the moment of the drop.
    DWORD keys = 0;
    if (GetKeyState(VK_SHIFT) < 0) keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0) keys |= MK_CONTROL;
    if (onDrop && !paths.empty()) onDrop(std::move(paths), point, keys);
}

void FileDropReceiver::OnOleDrop(std::vector<std::filesystem::path> paths, POINT point, DWORD keys) {
    // Runs inside IDropTarget::Drop, while the source waits in DoDragDrop.
    pending.push_back({std::move(paths), point, keys});
    if (!PostMessageW(window, kDeliverDropsMessage, 0, 0)) DeliverPending();  // the queue is full
}

void FileDropReceiver::DeliverPending() {
    // The callback may open a modal loop that lets another drop in: take one at a time.
    while (!pending.empty() && onDrop) {
        Pending drop = std::move(pending.front());
        pending.pop_front();
        onDrop(std::move(drop.paths), drop.point, drop.keys);
    }
}

}  // namespace kw
