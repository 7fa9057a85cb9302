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

// libstdc++'s regular-expression matcher recurses once per character and per level of group
// nesting, and a stack overflow ends a thread without a trace. A search whose estimated stack
// need exceeds this budget (half the reserve every thread gets, see the build) is not run: the
// condition is false, as for any other failing search.
constexpr size_t kRegexStackBudgetBytes = KW_THREAD_STACK_BYTES / 2;
size_t RegexGroupDepth(std::string_view pattern);
size_t RegexStackEstimate(std::string_view pattern, size_t subjectBytes);

bool ClauseMatches(const RuleClause& clause, const std::filesystem::path& fullPath, std::wstring_view fileName,
                   std::string_view fileNameUtf8, const Clock& clock = SystemClock());

// Evaluates the clauses in order and stops as soon as the result is known, so later clauses
// cost no file-system reads or regular expressions.
bool RuleMatches(const Rule& rule, const std::filesystem::path& path, const Clock& clock = SystemClock());

}  // namespace kw
