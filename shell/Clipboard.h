#pragma once
// Puts text on the Windows clipboard.

#include <windows.h>

#include <string>

namespace kw {

// `owner` must be a window of the calling thread: with no owner, Windows refuses the data.
// False when the clipboard is held by another program or the text could not be placed.
bool CopyTextToClipboard(HWND owner, const std::string& utf8Text);

}  // namespace kw
