#include "shell/CommandLine.h"

// The process's arguments as Windows splits them, and the paths they name as the file system
// sees them; what the arguments ask for is read in CommandLine.cpp.

#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "model/PathKind.h"
#include "model/TextEncoding.h"
#include "shell/PathFiltering.h"

namespace kw {
namespace {

std::string Quoted(const std::wstring& text) {
    std::string quoted(1, '"');
    quoted += ToUtf8(text);
    quoted += '"';
    return quoted;
}

}  // namespace

std::vector<std::wstring> ProcessArguments() {
    // CommandLineToArgvW with an empty string would return the program's path; GetCommandLineW
    // always holds at least the program's name.
    int count = 0;
    LPWSTR* raw = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!raw) return {};
    std::unique_ptr<LPWSTR, decltype(&LocalFree)> owner(raw, &LocalFree);  // one LocalFree for the block
    std::vector<std::wstring> arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(raw[i]);
    return arguments;
}

std::vector<std::wstring> CheckedPaths(const std::vector<std::wstring>& paths, const std::filesystem::path& base,
                                       std::vector<std::string>& problems) {
    std::vector<std::wstring> kept;
    for (const std::wstring& path : paths) {
        if (IsShellPath(path)) {
            problems.push_back("Not a file or folder: " + Quoted(path) +
                               " (shell objects such as the Recycle Bin cannot be routed).");
            continue;
        }
        std::filesystem::path full(path);
        if (full.is_relative()) full = base / full;
        full = full.lexically_normal();
        if (KindOf(full) == PathKind::missing) {
            problems.push_back("Not found: " + Quoted(path) + ".");
            continue;
        }
        kept.push_back(full.native());
    }
    return kept;
}

}  // namespace kw
