#pragma once
// How programs save a file the user is editing: over its contents (the file stays the same
// object), by writing a new file beside it and renaming that over it (another object then has
// the name), or through a handle kept open since before (a log, an editor that holds its file).

#include <filesystem>
#include <string_view>

#include "model/UniqueFile.h"

namespace kw::test {

// Rewrites the file's contents in place; false when the system refused to open it for writing.
bool SaveInPlace(const std::filesystem::path& path, std::string_view bytes);

// Writes a new file beside it and renames it over the old one; false when the rename was refused
// (the new file is then removed).
bool SaveByReplacing(const std::filesystem::path& path, std::string_view bytes);

// A file opened for writing now, with every kind of sharing, and written later.
class OpenForWriting {
public:
    explicit OpenForWriting(const std::filesystem::path& path);
    bool Opened() const { return handle_ != nullptr; }
    // Replaces its contents through the open handle, then closes it.
    void SaveAndClose(std::string_view bytes);

private:
    UniqueFile handle_;
};

}  // namespace kw::test
