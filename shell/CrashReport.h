#pragma once
// Crash reports: on an unhandled exception (in any thread, or a C++ exception nothing caught)
// the process writes a minidump, "crash-YYYYMMDD-HHMMSS.dmp", into a folder before it ends.
// The next start says where it is; only the newest few are kept.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace kw {

// Installs the handlers; `folder` is where reports go (beside the activity log). Loads dbghelp.dll
// now, from the system folder: loading a library while the process is failing can deadlock.
void InstallCrashReporter(const std::filesystem::path& folder);

// Deletes all but the newest `keep` crash reports in `folder`.
void PruneCrashReports(const std::filesystem::path& folder, size_t keep = 5);
// The newest crash report in `folder` written at or after `utcTicks`, if any.
std::optional<std::filesystem::path> CrashReportSince(const std::filesystem::path& folder, uint64_t utcTicks);

}  // namespace kw
