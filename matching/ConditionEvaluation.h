#pragma once
// Whether one condition, or one whole rule, holds for one dropped item (a file or a folder).
// Reads the file system (status, size, timestamps) but never changes it, and never throws:
// any failure inside a test makes that condition false.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "matching/ItemFacts.h"
#include "matching/NamePattern.h"
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

// A condition made ready for many items: its lists parsed and its pattern compiled once.
class PreparedClause {
public:
    explicit PreparedClause(const RuleClause& clause);
    // `note` is set when the answer could not be had (a pattern gave up): the condition is
    // then false.
    bool Holds(ItemFacts& item, const Clock& clock, std::string& note) const;
    bool HasPattern() const { return pattern.has_value(); }

private:
    RuleClause clause;
    std::vector<std::string> list;  // extensions, or keywords (lower-cased unless case counts)
    std::optional<NamePattern> pattern;
};

// A rule's conditions made ready. Evaluates them in order and stops as soon as the result is
// known, so later conditions cost no file-system reads or pattern searches.
class PreparedRule {
public:
    explicit PreparedRule(const Rule& rule);
    bool Matches(ItemFacts& item, const Clock& clock, std::string& note) const;
    int Patterns() const;

private:
    std::vector<PreparedClause> clauses;
    CombineLogic logic;
};

// One-off forms of the above, preparing the condition or rule for this one item.
bool ClauseMatches(const RuleClause& clause, const std::filesystem::path& fullPath, std::wstring_view fileName,
                   std::string_view fileNameUtf8, const Clock& clock = SystemClock());
bool RuleMatches(const Rule& rule, const std::filesystem::path& path, const Clock& clock = SystemClock());

}  // namespace kw
