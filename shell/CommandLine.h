#pragma once
// What the program was asked to do on its command line: start (no arguments), route the paths
// the shell passed (a drop on the exe or a shortcut, Send To, the Explorer menu), `route` from a
// console, show the help or the version, or refuse options it does not know. Pure: the arguments
// in, the request and its problems out.

#include <filesystem>
#include <string>
#include <vector>

namespace kw {

struct CommandLine {
    // `invalid`: an option the program does not know, outside `route`; `problems` says which.
    enum class Mode { start, open, route, help, version, invalid };
    Mode mode = Mode::start;
    bool copy = false;
    bool preview = false;
    bool dryRun = false;
    bool wait = false;
    std::vector<std::wstring> paths;
    // Problems with the arguments, in words for the user (UTF-8). For `route` and an unknown
    // option any problem stops it; for paths from the shell (shell objects, missing paths) they
    // are logged and the usable paths are routed.
    std::vector<std::string> problems;
};

// The arguments without the program's own name (as CommandLineToArgvW splits them).
CommandLine ParseCommandLine(const std::vector<std::wstring>& arguments);

// The arguments of the process's command line, without the program's name.
std::vector<std::wstring> ProcessArguments();

// Each path made absolute against `base` (the running copy has a working folder of its own);
// shell objects ("::{...}", the Recycle Bin) and paths that do not exist are taken out, each
// with a problem line.
std::vector<std::wstring> CheckedPaths(const std::vector<std::wstring>& paths, const std::filesystem::path& base,
                                       std::vector<std::string>& problems);

// The text of --help.
std::string UsageText();

}  // namespace kw
