#pragma once
// The kinds of file a person sorts by (documents, pictures, ...), each with the extensions that
// belong to it. One table for the starter rules and for naming an item's kind in destinations.

#include <span>
#include <string_view>

namespace kw {

struct FileTypeGroup {
    const char* name;        // "Documents": a folder name as well as a label
    const char* extensions;  // the extension condition's list form: ".pdf, .docx, ..."
};

// In the order they are offered to the user.
std::span<const FileTypeGroup> FileTypeGroups();

// The group whose list holds the extension (with or without its dot, any case), or null.
const FileTypeGroup* FileTypeGroupOf(std::wstring_view extension);

}  // namespace kw
