#pragma once
// config.json on disk: the start-up load, the atomic save, backup and restore.
//
// A document the program cannot read is never destroyed: it is copied aside as
// "<name>.unreadable-YYYYMMDD-HHMMSS" before anything can be saved over it.

#include <filesystem>
#include <string>

#include "model/AppSettings.h"
#include "model/Clock.h"

namespace kw {

// Writes the document to path + ".tmp", checks that every byte reached the file, then renames
// it over `path`. On any failure the temporary file is removed and false returned; the previous
// document stays as it was.
bool WriteSettingsFile(const std::filesystem::path& path, const AppSettings& settings);

// Start-up load of a settings file into `settings` (defaults first). Returns true only when the
// whole document was read. A missing file is created with the defaults; a leftover ".tmp" from
// an interrupted save, with no document beside it, is adopted when it reads cleanly.
bool LoadSettingsFile(const std::filesystem::path& path, AppSettings& settings, const Clock& clock = SystemClock());

bool LoadConfig(AppSettings& settings);        // LoadSettingsFile(ConfigPath())
bool SaveConfig(const AppSettings& settings);  // WriteSettingsFile(ConfigPath())

// Backup and restore of a user-chosen file; `error` is cleared first and receives the message
// shown to the user on failure. Restore reads into `target`, which the caller adopts on success.
bool BackupSettingsFile(const std::filesystem::path& path, const AppSettings& settings, std::string& error);
bool RestoreSettingsFile(const std::filesystem::path& path, AppSettings& target, std::string& error);

}  // namespace kw
