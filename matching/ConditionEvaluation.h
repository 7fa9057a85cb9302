#pragma once
// Whether one condition, or one whole rule, holds for one dropped item (a file or a folder).
// Reads the file system (status, size, timestamps) but never changes it, and never throws:
// any failure inside a test makes that condition false.

#include <filesystem>
#include <string>
#include <string_view>

#include "model/Clock.h"
#include "model/Rule.h"

namespace kw {

// The last component of the path; empty when it ends with a separator.
std::wstring ItemFileName(const std::filesystem::path& path);

// The extension an extension condition compares: lower-case UTF-8, or empty when there is none.
std::string ExtensionKey(std::wstring_view fileName);

// The signed 8-bit key an alphabetical condition compares: the first letter or digit of the
// name, upper-cased; 'A' when the name has none.
signed char AlphabeticalKey(std::wstring_view fileName);

bool ClauseMatches(const RuleClause& clause, const std::filesystem::path& fullPath, std::wstring_view fileName,
                   std::string_view fileNameUtf8, const Clock& clock = SystemClock());

// Evaluates the clauses in order and stops as soon as the result is known, so later clauses
// cost no file-system reads or regular expressions.
bool RuleMatches(const Rule& rule, const std::filesystem::path& path, const Clock& clock = SystemClock());

}  // namespace kw
