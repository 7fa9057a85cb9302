#pragma once
// A settings document on disk: the load, the atomic save, backup and restore. SettingsStore
// decides when the program's own config.json may be saved.
//
// A document the program cannot read is never destroyed: one that opens but does not parse is
// copied aside as "<name>.unreadable-YYYYMMDD-HHMMSS" before anything can be saved over it; one
// that cannot be opened at all is reported as such and left alone.

#include <filesystem>
#include <string>

#include "model/AppSettings.h"
#include "model/Clock.h"

namespace kw {

// Writes the document to path + ".tmp", checks that every byte reached the file, then renames
// it over `path`. On any failure the temporary file is removed and false returned; the previous
// document stays as it was.
bool WriteSettingsFile(const std::filesystem::path& path, const AppSettings& settings);

// The text WriteSettingsFile writes: the JSON form, with paths inside the program's folder made
// relative to it (and made whole again by every read of a document).
std::string StoredSettingsText(const AppSettings& settings);

// What one attempt to read the settings document found.
struct DocumentRead {
    enum State {
        read,      // the whole document was read
        missing,   // there is no document
        invalid,   // it was read but is not a whole settings document
        unopened,  // it exists but could not be opened or read (`error` says why)
    };
    State state = missing;
    unsigned long error = 0;      // the Win32 error code when unopened
    std::filesystem::path aside;  // invalid: the copy kept beside it; empty when copying failed
};

// Reads a settings document into `settings` (defaults first) and never writes over it. An
// invalid document leaves the settings it could read and is copied aside; a leftover ".tmp"
// from an interrupted save, with no document beside it, is adopted when it reads cleanly.
DocumentRead ReadSettingsDocument(const std::filesystem::path& path, AppSettings& settings,
                                  const Clock& clock = SystemClock());

// ReadSettingsDocument that also creates a missing document with the defaults. Returns true only
// when the whole document was read.
bool LoadSettingsFile(const std::filesystem::path& path, AppSettings& settings, const Clock& clock = SystemClock());

// Backup and restore of a user-chosen file; `error` is cleared first and receives the message
// shown to the user on failure. Restore reads into `target`, which the caller adopts on success.
bool BackupSettingsFile(const std::filesystem::path& path, const AppSettings& settings, std::string& error);
bool RestoreSettingsFile(const std::filesystem::path& path, AppSettings& target, std::string& error);

}  // namespace kw
