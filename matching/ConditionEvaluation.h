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

// A condition's answer. `unknown` only for an item known by name alone (ItemFacts::NameOnly)
// and a condition that needs the file itself: routing never sees it.
enum class Truth : uint8_t { no, yes, unknown };

// What decided a condition for one item, for people asking why (the rule tester): the item's
// value the condition compared.
struct ClauseFinding {
    Truth truth = Truth::no;
    // Extension: the item's extension, lower-case with its dot, empty for none. Alphabetical: the letter
    // compared. Keyword: the keyword found. Regex: the text the pattern matched. Otherwise empty.
    std::string seen;
    uint64_t number = 0;      // size: the item's size in bytes; date: its age in days
    bool folder = false;      // size: the item is a folder (which counts as empty)
    bool unreadable = false;  // size, date: the attributes could not be read
    std::string note;         // why it could not be decided (a pattern that gave up or does not compile)
};

// A condition made ready for many items: its lists parsed and its pattern compiled once.
class PreparedClause {
public:
    explicit PreparedClause(const RuleClause& clause);
    // The one evaluation of a condition, for routing and for explaining alike. `note` is set
    // when the answer could not be had (a pattern gave up): the condition is then false. With
    // `finding`, what decided it is recorded there.
    Truth Judge(ItemFacts& item, const Clock& clock, std::string& note, ClauseFinding* finding = nullptr) const;
    bool Holds(ItemFacts& item, const Clock& clock, std::string& note) const {
        return Judge(item, clock, note) == Truth::yes;
    }
    bool HasPattern() const { return pattern.has_value(); }
    const RuleClause& Clause() const { return clause; }

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
    // ALL and ANY over three answers: a `no` (ALL) or a `yes` (ANY) decides whatever is
    // unknown. With `findings`, every condition is judged (not only those the answer needs) and
    // recorded there in order; the answer is the same either way.
    Truth Judge(ItemFacts& item, const Clock& clock, std::string& note,
                std::vector<ClauseFinding>* findings = nullptr) const;
    bool Matches(ItemFacts& item, const Clock& clock, std::string& note) const {
        return Judge(item, clock, note) == Truth::yes;
    }
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
