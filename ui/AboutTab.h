#pragma once
// The About tab: what the program does, which build it is, and where it keeps the user's
// settings, log and history, with a way to open that folder.

#include <filesystem>
#include <functional>
#include <string>

namespace kw {

struct AboutFacts {
    std::string version;                 // "3f9c2a1b7e (2026-12-08)": the commit built from
    std::filesystem::path settingsFile;  // config.json
    std::filesystem::path logFile;       // activity.log
    std::filesystem::path historyFolder; // batch history and move journals
};

// The facts of the running program, with the log where the application keeps it.
AboutFacts RunningProgramFacts(const std::filesystem::path& logFile);

// `reveal` opens a file's folder with the file selected.
void DrawAboutTab(const AboutFacts& facts, const std::function<void(const std::string&)>& reveal);

}  // namespace kw
