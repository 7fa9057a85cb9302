#include "shell/Clipboard.h"

#include <cstring>

#include "model/TextEncoding.h"

namespace kw {

bool CopyTextToClipboard(HWND owner, const std::string& utf8Text) {
    // OpenClipboard(NULL) followed by EmptyClipboard leaves the clipboard without an owner, and
    // SetClipboardData then fails: the text is given with a window of ours as owner.
    if (!owner || !OpenClipboard(owner)) return false;
    bool placed = false;
    if (EmptyClipboard()) {
        const std::wstring text = ToWide(utf8Text);
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        if (HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
            if (void* memory = GlobalLock(global)) {
                std::memcpy(memory, text.c_str(), bytes);
                GlobalUnlock(global);
                // Once SetClipboardData succeeds the system owns the memory; until then it is ours.
                placed = SetClipboardData(CF_UNICODETEXT, global) != nullptr;
            }
            if (!placed) GlobalFree(global);
        }
    }
    CloseClipboard();
    return placed;
}

}  // namespace kw
