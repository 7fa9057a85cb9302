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

}  // namespace kw
