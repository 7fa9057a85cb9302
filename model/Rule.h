#pragma once
// The routing rule and its conditions: plain values, owned by AppSettings in user order
// (the order is the priority).

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace kw {

// Enumerators are named after their stored strings. The values are stored as 32-bit integers
// and may hold numbers outside the list (from a hand-edited document); every reader of them
// treats such values the way the functions below say.
enum class ConditionType : int32_t { extension = 0, file_size, alphabetical, keyword, date, regex, any_file };
enum class CombineLogic : int32_t { all = 0, any = 1 };  // stored as "and" / "or"
enum class RuleAction : int32_t { move = 0, recycle, leave_in_place, copy, rename };
enum class ConflictPolicy : int32_t { rename = 0, overwrite, skip };
enum class SizeOp : int32_t { greater = 0, greater_equal, less, less_equal, equal };
enum class DateField : int32_t { modified = 0, created };
enum class DateOp : int32_t { older = 0, newer };

constexpr int kMaxClausesPerRule = 6;

// Display labels, indexed by enumeration value.
inline constexpr std::array<const char*, 7> kConditionTypeLabels = {
    "Extension", "File size", "Alphabetical", "Keyword", "Date modified/created", "Regex", "Any file"};
inline constexpr std::array<const char*, 2> kCombineLogicLabels = {"ALL must match (AND)", "ANY can match (OR)"};
inline constexpr std::array<const char*, 5> kRuleActionLabels = {
    "Move to folder", "Send to Recycle Bin", "Leave in place (do not move)", "Copy to folder", "Rename in place"};
inline constexpr std::array<const char*, 3> kConflictPolicyLabels = {"Auto-rename", "Overwrite", "Skip"};
inline constexpr std::array<const char*, 5> kSizeOpLabels = {"is greater than", "is at least", "is less than",
                                                             "is at most", "is exactly"};
inline constexpr std::array<const char*, 2> kDateFieldLabels = {"Date modified", "Date created"};
inline constexpr std::array<const char*, 2> kDateOpLabels = {"Older than N days", "Newer than N days"};

// One condition. A flat record: every field exists whatever the type, so switching the type
// and back restores the earlier values, and all of them are saved.
struct RuleClause {
    ConditionType type = ConditionType::extension;
    std::string extensions = ".pdf";
    SizeOp sizeOp = SizeOp::greater;
    uint64_t sizeBytes = 1048576;
    char alphaFrom = 'A';  // ASCII, upper-case
    char alphaTo = 'M';
    std::string keyword = "Invoice";
    bool keywordCaseSensitive = false;
    DateField dateField = DateField::modified;
    DateOp dateOp = DateOp::older;
    int32_t dateDays = 30;
    std::string regex = ".*";

    bool operator==(const RuleClause&) const = default;
};

struct Rule {
    std::string id;  // "rule-" + 8 hex digits; identifies the rule in the stored document only
    std::string name = "New rule";
    bool enabled = true;
    std::vector<RuleClause> clauses = {RuleClause{}};
    CombineLogic combineLogic = CombineLogic::all;
    bool anyFileExclusive = true;
    RuleAction action = RuleAction::move;
    std::string destination;  // UTF-8 folder path (or template), used by move and copy only
    // UTF-8 name template (model/PathTemplate.h) giving the item a new name: the rename action's
    // whole target, optional for move and copy; empty keeps the item's name.
    std::string renameTo;
    ConflictPolicy conflict = ConflictPolicy::rename;

    bool operator==(const Rule&) const = default;
};

// Move and copy put the item (or a copy of it) into the rule's destination folder.
constexpr bool UsesDestination(RuleAction action) { return action == RuleAction::move || action == RuleAction::copy; }
// Move and copy may give the item a new name where it goes; the rename action gives it one in
// its own folder.
constexpr bool UsesNewName(RuleAction action) { return UsesDestination(action) || action == RuleAction::rename; }

// True when the rule takes every item: the flag is set and some clause is "any file".
bool IsExclusive(const Rule& rule);

// A fresh id from the process-wide generator (seeded once from the system's random device).
// Called on the UI thread only.
std::string NewRuleId();
// The same from a given generator: each of the 8 digits is the top 4 bits of one output.
std::string NewRuleId(std::mt19937& generator);

// "Overwrite", "Skip", and "Auto-rename" for every other value.
const char* ConflictPolicyLabel(ConflictPolicy policy);

}  // namespace kw
