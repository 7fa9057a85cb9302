#pragma once
// The one owner of a Win32 file handle: closed exactly once, never copied.

#include <windows.h>

#include <memory>

namespace kw {

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using UniqueFile = std::unique_ptr<void, HandleCloser>;

// What CreateFileW returned, owned; empty for INVALID_HANDLE_VALUE.
inline UniqueFile OwnFile(HANDLE h) { return UniqueFile(h == INVALID_HANDLE_VALUE ? nullptr : h); }

}  // namespace kw
