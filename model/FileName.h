#pragma once
// How a file or folder name splits into stem and extension, shared by the extension condition
// and by auto-rename so that both agree on what "the extension" is.

#include <string_view>

namespace kw {

struct FileNameParts {
    std::wstring_view stem;
    std::wstring_view ext;  // from the last '.', or empty
};

// An alternate-data-stream suffix (from the first ':') belongs to neither part. The extension
// runs from the last '.' unless that '.' is the first character; "." and ".." have none; a name
// ending in '.' has the extension ".".
FileNameParts SplitFileName(std::wstring_view name);

// Whether Win32 path parsing keeps the name as it is. It does not for a name ending in a dot or
// a space (trimmed: "report." would reach "report") or a device name with or without an
// extension ("CON", "nul.txt", "COM1"): such items are reached only through the \\?\ form,
// which the shell's file operations do not take.
bool Win32KeepsName(std::wstring_view name);

}  // namespace kw
