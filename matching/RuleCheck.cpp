#include "matching/RuleCheck.h"

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

#include "matching/ListParsing.h"
#include "matching/NamePattern.h"
#include "matching/PatternShape.h"
#include "matching/RuleSelection.h"
#include "matching/RuleTemplates.h"
#include "model/AsciiCase.h"
#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"
#include "model/WatchedFolder.h"

namespace kw {
namespace {

// Which dropped items a condition or a rule takes, as far as its text tells.
enum class Reach { none, some, every };

// Characters Windows never allows in a file name: a keyword or extension holding one can never
// be found in a name.
constexpr std::string_view kNotInNames = "\\/:*?\"<>|";

// Names as different as names get, for telling whether a pattern matches every name. The empty
// one is what a dropped drive root is called.
const char* const kSampleNames[] = {
    "", "a", "Z9", "report 2024-01-31 (final).PDF", ".gitignore", "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC.txt", "~$x_y-z",
};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// A rule not named yet is called what the rule list calls it.
std::string ShownName(const Rule& rule) { return rule.name.empty() ? "New rule" : rule.name; }

// The first `most` items, then "..." when there are more.
std::string Join(const std::vector<std::string>& items, size_t most) {
    std::string text;
    for (size_t i = 0; i < items.size() && i < most; ++i) text += (i ? ", " : "") + items[i];
    if (items.size() > most) text += ", ...";
    return text;
}

// What a regular expression does, worked out once per pattern text.
struct PatternFacts {
    std::string error;  // why it does not compile; empty when it does
    bool matchesEveryName = false;
    std::string nestedRepeat;
};

class PatternFactsCache {
public:
    const PatternFacts& Of(const std::string& pattern) {
        if (const auto found = known.find(pattern); found != known.end()) return found->second;
        PatternFacts facts;
        const NamePattern compiled(pattern);
        if (!compiled.Valid()) {
            facts.error = compiled.Error();
        } else {
            facts.matchesEveryName = std::all_of(std::begin(kSampleNames), std::end(kSampleNames),
                                                 [&](const char* name) { return compiled.Search(name).matched; });
            facts.nestedRepeat = NestedRepeat(pattern);
        }
        return known.emplace(pattern, std::move(facts)).first->second;
    }

private:
    std::map<std::string, PatternFacts> known;
};

// The entries of an extension list that some name can have: the extension compared is the
// part from the last dot, so "tar.gz" (or "*.jpg") can never be it.
bool ExtensionCanMatch(const std::string& entry) {
    return entry.size() > 1 && entry.find('.', 1) == std::string::npos &&
           entry.find_first_of(kNotInNames) == std::string::npos;
}

std::vector<std::string> MatchableExtensions(const RuleClause& clause) {
    std::vector<std::string> out;
    for (std::string& entry : ParseExtensionList(clause.extensions))
        if (ExtensionCanMatch(entry)) out.push_back(std::move(entry));
    return out;
}

// Keywords as the matcher compares them (lower-cased unless case counts), without those no
// name can contain.
std::vector<std::string> MatchableKeywords(const RuleClause& clause) {
    std::vector<std::string> out;
    for (std::string& keyword : ParseKeywordList(clause.keyword)) {
        if (keyword.find_first_of(kNotInNames) != std::string::npos) continue;
        out.push_back(clause.keywordCaseSensitive ? std::move(keyword) : AsciiLower(keyword));
    }
    return out;
}

// The sizes a size condition takes, as a closed range; nullopt when there are none.
std::optional<std::pair<uint64_t, uint64_t>> SizeRange(const RuleClause& clause) {
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    const uint64_t b = clause.sizeBytes;
    switch (clause.sizeOp) {
        case SizeOp::greater:
            if (b == kMax) return std::nullopt;
            return std::pair{b + 1, kMax};
        case SizeOp::greater_equal: return std::pair{b, kMax};
        case SizeOp::less:
            if (b == 0) return std::nullopt;
            return std::pair{uint64_t{0}, b - 1};
        case SizeOp::less_equal: return std::pair{uint64_t{0}, b};
        case SizeOp::equal: return std::pair{b, b};
    }
    return std::nullopt;
}

std::pair<signed char, signed char> LetterRange(const RuleClause& clause) {
    const auto from = static_cast<signed char>(clause.alphaFrom);
    const auto to = static_cast<signed char>(clause.alphaTo);
    return {std::min(from, to), std::max(from, to)};
}

// A condition whose value is still to be typed: the rule is being made, not wrong.
bool ValueMissing(const RuleClause& c) {
    const auto blank = [](const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; };
    switch (c.type) {
        case ConditionType::extension: return blank(c.extensions);
        case ConditionType::keyword: return blank(c.keyword);
        case ConditionType::regex: return blank(c.regex);
        default: return false;
    }
}

// Whether some %NAME% of the typed destination is still there after expansion: a variable
// this PC does not set.
bool ExpandsNothing(const std::string& typed, const std::string& resolved) {
    for (size_t open = typed.find('%'); open != std::string::npos; open = typed.find('%', open + 1)) {
        const size_t close = typed.find('%', open + 1);
        if (close == std::string::npos) return false;
        if (close > open + 1 && resolved.find(typed.substr(open, close - open + 1)) != std::string::npos) return true;
        open = close;
    }
    return false;
}

bool KnownType(ConditionType type) {
    return static_cast<int32_t>(type) >= 0 && static_cast<int32_t>(type) <= static_cast<int32_t>(ConditionType::any_file);
}

// Checks of one rule set: the pattern cache is shared by every rule.
class Checker {
public:
    Checker(const AppSettings& s, const FolderProbe& p) : settings(s), probe(p) {}
    std::vector<RuleWarning> Run();

private:
    Reach ClauseReach(const RuleClause& clause);
    Reach RuleReach(const Rule& rule);
    bool Implies(const RuleClause& d, const RuleClause& c);
    bool ImpliesClause(const Rule& rule, const RuleClause& c);
    bool Covers(const Rule& earlier, const Rule& later);

    void CheckClause(int rule, int index);
    void CheckConditions(int rule);
    void CheckTemplate(int rule);
    void CheckNewName(int rule);
    void CheckDestination(int rule, const std::string& path, const std::string& noun, bool missingIsNormal);
    void CheckOrder();
    void CheckRecycle(int rule, bool reached);
    void CheckOverlap(int later, int earlier);

    void Add(int rule, int clause, RuleField field, std::string text, Severity severity = Severity::warning) {
        found.push_back(RuleWarning{rule, clause, field, severity, std::move(text)});
    }
    const Rule& RuleAt(int i) const { return settings.rules[static_cast<size_t>(i)]; }

    const AppSettings& settings;
    const FolderProbe& probe;
    PatternFactsCache patterns;
    std::vector<RuleWarning> found;
};

Reach Checker::ClauseReach(const RuleClause& c) {
    switch (c.type) {
        case ConditionType::extension: return MatchableExtensions(c).empty() ? Reach::none : Reach::some;
        case ConditionType::file_size: {
            const auto range = SizeRange(c);
            if (!range) return Reach::none;
            return range->first == 0 && range->second == std::numeric_limits<uint64_t>::max() ? Reach::every
                                                                                               : Reach::some;
        }
        case ConditionType::alphabetical: return Reach::some;
        case ConditionType::keyword: return MatchableKeywords(c).empty() ? Reach::none : Reach::some;
        case ConditionType::date:
            // Ages are whole days from 0 up; "newer than N" means at most N days old.
            if (c.dateOp == DateOp::newer) return c.dateDays < 0 ? Reach::none : Reach::some;
            return c.dateDays <= 0 ? Reach::every : Reach::some;
        case ConditionType::regex: {
            if (c.regex.empty()) return Reach::none;
            const PatternFacts& facts = patterns.Of(c.regex);
            if (!facts.error.empty()) return Reach::none;
            return facts.matchesEveryName ? Reach::every : Reach::some;
        }
        case ConditionType::any_file: return Reach::every;
    }
    return Reach::none;
}

Reach Checker::RuleReach(const Rule& rule) {
    if (IsExclusive(rule)) return Reach::every;
    if (rule.clauses.empty()) return Reach::none;
    // One condition is read alone, whatever the logic says.
    const bool any = rule.combineLogic == CombineLogic::any && rule.clauses.size() > 1;
    bool allEvery = true, anyEvery = false, allNone = true, anyNone = false;
    for (const RuleClause& c : rule.clauses) {
        const Reach r = ClauseReach(c);
        allEvery = allEvery && r == Reach::every;
        anyEvery = anyEvery || r == Reach::every;
        allNone = allNone && r == Reach::none;
        anyNone = anyNone || r == Reach::none;
    }
    if (any) return anyEvery ? Reach::every : allNone ? Reach::none : Reach::some;
    return anyNone ? Reach::none : allEvery ? Reach::every : Reach::some;
}

// Whether condition `c` holds for every item condition `d` holds for. Only what can be shown
// from the two texts: false when unsure.
bool Checker::Implies(const RuleClause& d, const RuleClause& c) {
    const Reach rc = ClauseReach(c), rd = ClauseReach(d);
    if (rc == Reach::every || rd == Reach::none) return true;
    if (rc == Reach::none || d.type != c.type) return false;
    switch (c.type) {
        case ConditionType::extension: {
            const std::vector<std::string> wide = MatchableExtensions(c);
            for (const std::string& e : MatchableExtensions(d))
                if (std::find(wide.begin(), wide.end(), e) == wide.end()) return false;
            return true;
        }
        case ConditionType::file_size: {
            const auto inner = SizeRange(d), outer = SizeRange(c);
            return inner && outer && outer->first <= inner->first && inner->second <= outer->second;
        }
        case ConditionType::alphabetical: {
            const auto inner = LetterRange(d), outer = LetterRange(c);
            return outer.first <= inner.first && inner.second <= outer.second;
        }
        case ConditionType::keyword: {
            // A name holding a keyword of d holds each keyword of c found inside that keyword.
            if (!d.keywordCaseSensitive && c.keywordCaseSensitive) return false;
            const std::vector<std::string> wanted = MatchableKeywords(c);
            for (const std::string& kd : MatchableKeywords(d)) {
                const std::string folded = c.keywordCaseSensitive ? kd : AsciiLower(kd);
                if (std::none_of(wanted.begin(), wanted.end(),
                                 [&](const std::string& kc) { return folded.find(kc) != std::string::npos; }))
                    return false;
            }
            return true;
        }
        case ConditionType::date:
            if (d.dateField != c.dateField || d.dateOp != c.dateOp) return false;
            return c.dateOp == DateOp::newer ? d.dateDays <= c.dateDays : d.dateDays >= c.dateDays;
        case ConditionType::regex: return d.regex == c.regex;
        case ConditionType::any_file: return true;
    }
    return false;
}

// Whether `c` holds for every item `rule` matches.
bool Checker::ImpliesClause(const Rule& rule, const RuleClause& c) {
    if (rule.combineLogic == CombineLogic::any && rule.clauses.size() > 1)
        return std::all_of(rule.clauses.begin(), rule.clauses.end(),
                           [&](const RuleClause& d) { return Implies(d, c); });
    return std::any_of(rule.clauses.begin(), rule.clauses.end(), [&](const RuleClause& d) { return Implies(d, c); });
}

// Whether `earlier` matches every item `later` matches (so `later` never gets one).
bool Checker::Covers(const Rule& earlier, const Rule& later) {
    if (RuleReach(earlier) == Reach::every) return true;
    if (earlier.clauses.empty()) return false;
    if (earlier.combineLogic == CombineLogic::any && earlier.clauses.size() > 1) {
        // Each way `later` can match must lead into one condition of `earlier`.
        const auto intoOne = [&](const RuleClause& d) {
            return std::any_of(earlier.clauses.begin(), earlier.clauses.end(),
                               [&](const RuleClause& c) { return Implies(d, c); });
        };
        if (later.combineLogic == CombineLogic::any && later.clauses.size() > 1)
            return std::all_of(later.clauses.begin(), later.clauses.end(), intoOne);
        return std::any_of(later.clauses.begin(), later.clauses.end(), intoOne);
    }
    return std::all_of(earlier.clauses.begin(), earlier.clauses.end(),
                       [&](const RuleClause& c) { return ImpliesClause(later, c); });
}

void Checker::CheckClause(int ruleIndex, int index) {
    const Rule& rule = RuleAt(ruleIndex);
    const RuleClause& c = rule.clauses[static_cast<size_t>(index)];
    if (ValueMissing(c)) return;  // the rule is marked incomplete instead
    const auto warn = [&](std::string text, Severity severity = Severity::warning) {
        Add(ruleIndex, index, RuleField::condition, std::move(text), severity);
    };
    const auto nothing = [&](const std::string& why) { warn("This condition matches nothing: " + why + "."); };
    switch (c.type) {
        case ConditionType::extension: {
            const std::vector<std::string> entries = ParseExtensionList(c.extensions);
            if (entries.empty()) {
                nothing(c.extensions.empty() ? "the extension list is empty"
                                             : "there is no extension in " + Quoted(c.extensions));
                break;
            }
            for (const std::string& entry : entries) {
                if (ExtensionCanMatch(entry)) continue;
                const std::string typed = Quoted(entry.substr(1));
                if (const size_t bad = entry.find_first_of(kNotInNames); bad != std::string::npos)
                    warn(typed + " never matches: file names cannot contain " + entry[bad] + ".");
                else
                    warn(typed + " never matches: only the last extension of a name is compared (" +
                         Quoted(entry.substr(entry.rfind('.'))) + ").");
            }
            break;
        }
        case ConditionType::file_size:
            if (c.sizeOp == SizeOp::less && c.sizeBytes == 0) nothing("no file is less than 0 bytes");
            else if (c.sizeOp == SizeOp::greater && !SizeRange(c)) nothing("no file is that large");
            else if (!SizeRange(c))
                nothing("its comparison (" + std::to_string(static_cast<int32_t>(c.sizeOp)) + ") is unknown");
            break;
        case ConditionType::alphabetical:
            if (static_cast<signed char>(c.alphaFrom) > static_cast<signed char>(c.alphaTo))
                warn(std::string("From ") + c.alphaFrom + " comes after To " + c.alphaTo + ": read as " + c.alphaTo +
                         "-" + c.alphaFrom + ".",
                     Severity::note);
            break;
        case ConditionType::keyword: {
            const std::vector<std::string> keywords = ParseKeywordList(c.keyword);
            if (keywords.empty()) {
                nothing(c.keyword.empty() ? "the keyword list is empty"
                                          : "there is no keyword in " + Quoted(c.keyword) + ", only separators");
                break;
            }
            for (const std::string& keyword : keywords)
                if (const size_t bad = keyword.find_first_of(kNotInNames); bad != std::string::npos)
                    warn(Quoted(keyword) + " never matches: file names cannot contain " + keyword[bad] + ".");
            break;
        }
        case ConditionType::date:
            if (c.dateOp == DateOp::newer && c.dateDays < 0)
                nothing("no file is newer than " + std::to_string(c.dateDays) + " days");
            break;
        case ConditionType::regex: {
            if (c.regex.empty()) {
                warn("This pattern matches nothing: it is empty.");
                break;
            }
            const PatternFacts& facts = patterns.Of(c.regex);
            if (!facts.error.empty()) warn("The pattern has an error: " + facts.error + ".");
            if (!facts.nestedRepeat.empty())
                warn("This pattern may be very slow on long names: " + Quoted(facts.nestedRepeat) +
                     " repeats a group that repeats inside itself.");
            break;
        }
        case ConditionType::any_file: break;
    }
    if (!KnownType(c.type)) nothing("its type (" + std::to_string(static_cast<int32_t>(c.type)) + ") is unknown");

    // A condition true for every file is harmless beside others that must all hold; alone, or
    // as one of several alternatives, it makes the whole rule take every file.
    if (c.type != ConditionType::any_file && ClauseReach(c) == Reach::every) {
        const bool narrowedByOthers = rule.clauses.size() > 1 && rule.combineLogic == CombineLogic::all;
        std::string what = "This pattern matches every name";
        if (c.type == ConditionType::file_size) what = "This condition matches every file: each is at least 0 bytes";
        if (c.type == ConditionType::date)
            what = "This condition matches every file: each is older than " + std::to_string(c.dateDays) + " days";
        if (narrowedByOthers) warn(what + "; it narrows nothing.", Severity::note);
        else warn(what + ", so the rule takes every file.");
    }
}

void Checker::CheckConditions(int ruleIndex) {
    const Rule& rule = RuleAt(ruleIndex);
    if (rule.clauses.empty()) {
        Add(ruleIndex, -1, RuleField::condition, "This rule has no conditions, so it matches nothing.");
        return;
    }
    for (int j = 0; j < static_cast<int>(rule.clauses.size()); ++j) CheckClause(ruleIndex, j);
    // Alone, a condition that can never hold says so itself; among others the rule's fate is
    // less plain.
    const bool valuesGiven = std::none_of(rule.clauses.begin(), rule.clauses.end(), ValueMissing);
    if (rule.clauses.size() > 1 && valuesGiven && RuleReach(rule) == Reach::none) {
        if (rule.combineLogic == CombineLogic::any) {
            Add(ruleIndex, -1, RuleField::rule, "Never takes a file: none of its conditions can hold.");
        } else {
            const auto never = std::find_if(rule.clauses.begin(), rule.clauses.end(),
                                            [&](const RuleClause& c) { return ClauseReach(c) == Reach::none; });
            Add(ruleIndex, -1, RuleField::rule,
                "Never takes a file: condition " + std::to_string(never - rule.clauses.begin() + 1) +
                    " can never hold, and ALL conditions must.");
        }
    }

    const auto anyFile = std::find_if(rule.clauses.begin(), rule.clauses.end(),
                                      [](const RuleClause& c) { return c.type == ConditionType::any_file; });
    if (anyFile == rule.clauses.end() || rule.clauses.size() < 2) return;
    const int at = static_cast<int>(anyFile - rule.clauses.begin());
    if (IsExclusive(rule))
        Add(ruleIndex, -1, RuleField::condition,
            "Exclusive \"Any file\" rule: its other conditions are never looked at; it takes every file.");
    else if (rule.combineLogic == CombineLogic::any)
        Add(ruleIndex, -1, RuleField::combine,
            "Combined with ANY, \"Any file\" (condition " + std::to_string(at + 1) +
                ") takes every file; the other conditions change nothing.");
    else
        Add(ruleIndex, at, RuleField::condition, "\"Any file\" adds nothing when ALL conditions must hold.",
            Severity::note);
}

void Checker::CheckTemplate(int ruleIndex) {
    const Rule& rule = RuleAt(ruleIndex);
    const PathTemplate parsed = ParseDestination(rule);
    if (parsed.error) {
        // A destination saved before templates existed may name a folder with braces in it
        // ("D:\{old}"): what to write instead is said where that could be the cause.
        Add(ruleIndex, -1, RuleField::destination,
            "The destination template has an error: " + TemplateErrorText(*parsed.error) + ". This rule routes nothing." +
                (parsed.error->braces ? " Write {{ and }} for braces in a folder name." : ""));
        return;
    }
    if (!parsed.HasPlaceholders()) return CheckDestination(ruleIndex, rule.destination, "Destination", false);
    // The folders below are made from each item: only the folder typed before them is checked
    // (a drive's top is then a fine place to start from).
    if (parsed.fixed.empty() || !IsVolumeRoot(PathFromUtf8(parsed.fixed)))
        CheckDestination(ruleIndex, parsed.fixed.empty() ? rule.destination : parsed.fixed, "Destination", false);
}

void Checker::CheckNewName(int ruleIndex) {
    const Rule& rule = RuleAt(ruleIndex);
    if (rule.renameTo.empty()) return;  // nothing to rename (a rename rule is marked incomplete)
    if (const PathTemplate parsed = ParseNewName(rule); parsed.error)
        Add(ruleIndex, -1, RuleField::new_name,
            "The new name's template has an error: " + TemplateErrorText(*parsed.error) + ". This rule routes nothing.");
}

void Checker::CheckDestination(int ruleIndex, const std::string& typed, const std::string& noun,
                               bool missingIsNormal) {
    const auto warn = [&](std::string text) { Add(ruleIndex, -1, RuleField::destination, std::move(text)); };
    if (typed.empty()) return;  // the rule is marked incomplete instead
    const std::string named = noun + " " + typed;
    const std::string path = probe.resolve ? probe.resolve(typed) : typed;
    if (ExpandsNothing(typed, path)) {
        warn(named + " names a variable that is not set on this PC.");
        return;
    }
    const std::filesystem::path given = PathFromUtf8(path);
    if (IsVolumeRoot(given)) {
        warn(named + " is the top of a drive: files would pile up at its root.");
        return;
    }
    if (!given.is_absolute()) {
        warn(named + " is not a full path (such as D:\\Photos): it would depend on the program's current folder.");
        return;
    }
    // Windows compares names without regard to case.
    const auto folded = [](const std::string& utf8) {
        std::wstring text = PlainPath(PathFromUtf8(utf8)).native();
        for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
        return text;
    };
    const std::wstring target = folded(path);
    if (!probe.appFolder.empty() && target == folded(probe.appFolder)) {
        warn(named + " is the program's own folder, where its settings and log live.");
        return;
    }
    for (const std::string& system : probe.systemFolders) {
        const std::wstring folder = folded(system);
        if (folder.empty() || target.compare(0, folder.size(), folder) != 0) continue;
        if (target.size() == folder.size()) {
            warn(named + " is a system folder.");
            return;
        }
        if (target[folder.size()] == L'\\' || folder.back() == L'\\') {
            warn(named + " is inside the system folder " + system + ".");
            return;
        }
    }
    // Routed there, an item would arrive in a watched folder: it is not routed again (the program
    // knows its own), but the rule most likely means somewhere else.
    if (ruleIndex >= 0)
        if (const std::optional<std::string> watched = WatchedFolderHolding(settings.watching.folders, path)) {
            warn(named + (folded(*watched) == target ? " is the watched folder " : " is inside the watched folder ") +
                 *watched + ": what this rule moves there stays, it is not routed again.");
            return;
        }
    switch (probe.stateOf ? probe.stateOf(path) : FolderState::unknown) {
        case FolderState::file: warn(named + " is a file, not a folder: moves there fail."); break;
        case FolderState::missing:
            // Nothing is wrong: the folder is made when the first file goes there.
            if (!missingIsNormal)
                Add(ruleIndex, -1, RuleField::destination, named + " will be created at the first move.",
                    Severity::information);
            break;
        case FolderState::no_drive:
            warn(named + " is on drive " + PathToUtf8(given.root_name()) + ", which is not there.");
            break;
        default: break;
    }
}

void Checker::CheckRecycle(int ruleIndex, bool firstToLook) {
    const Rule& rule = RuleAt(ruleIndex);
    if (rule.action != RuleAction::recycle || RuleReach(rule) != Reach::every) return;
    const char* text = !rule.enabled                       ? "Once turned on, it recycles every file that reaches it."
                       : firstToLook || IsExclusive(rule) ? "Recycles everything you drop."
                                                          : "Recycles every file the rules above do not take.";
    Add(ruleIndex, -1, RuleField::action, text);
}

std::string Outcome(const Rule& rule) {
    switch (rule.action) {
        case RuleAction::recycle: return "sends them to the Recycle Bin";
        case RuleAction::leave_in_place: return "leaves them in place";
        case RuleAction::copy: return "copies them to " + rule.destination;
        case RuleAction::rename: return "renames them to " + rule.renameTo;
        default: return "moves them to " + rule.destination;
    }
}

bool SameOutcome(const Rule& a, const Rule& b) {
    if (a.action != b.action) return false;
    if (UsesNewName(a.action) && a.renameTo != b.renameTo) return false;
    if (a.action == RuleAction::rename) return true;
    if (!UsesDestination(a.action)) return true;
    return AsciiLower(PathToUtf8(PlainPath(PathFromUtf8(a.destination)))) ==
           AsciiLower(PathToUtf8(PlainPath(PathFromUtf8(b.destination))));
}

// The extensions a rule made of extension lists alone takes (all lists for ALL, any for ANY);
// nullopt when some other condition has a say.
std::optional<std::vector<std::string>> ExtensionsOnly(const Rule& rule) {
    if (rule.clauses.empty() || IsExclusive(rule)) return std::nullopt;
    const bool any = rule.combineLogic == CombineLogic::any && rule.clauses.size() > 1;
    std::optional<std::vector<std::string>> taken;
    for (const RuleClause& c : rule.clauses) {
        if (c.type != ConditionType::extension) return std::nullopt;
        std::vector<std::string> entries = MatchableExtensions(c);
        if (!taken) {
            taken = std::move(entries);
        } else if (any) {
            taken->insert(taken->end(), entries.begin(), entries.end());
        } else {
            std::erase_if(*taken, [&](const std::string& e) {
                return std::find(entries.begin(), entries.end(), e) == entries.end();
            });
        }
    }
    return taken;
}

void Checker::CheckOverlap(int later, int earlier) {
    const Rule& a = RuleAt(earlier);
    const Rule& b = RuleAt(later);
    if (SameOutcome(a, b)) return;
    const auto first = ExtensionsOnly(a), second = ExtensionsOnly(b);
    if (!first || !second) return;
    std::vector<std::string> shared;
    for (const std::string& e : *second)
        if (std::find(first->begin(), first->end(), e) != first->end() &&
            std::find(shared.begin(), shared.end(), e) == shared.end())
            shared.push_back(e);
    if (shared.empty()) return;
    Add(later, -1, RuleField::rule,
        Join(shared, 3) + " files also match " + RuleReference(settings, earlier) + " above, which " + Outcome(a) +
            ": only the order of the two decides.",
        Severity::note);
}

// Which rules an earlier one always beats. Only usable rules take part: a disabled rule, or a
// move rule without a folder, never takes an item.
void Checker::CheckOrder() {
    const int count = static_cast<int>(settings.rules.size());
    int exclusive = -1;
    for (int i = 0; i < count && exclusive < 0; ++i)
        if (IsUsableRule(RuleAt(i)) && IsExclusive(RuleAt(i))) exclusive = i;

    bool firstToLook = true;
    for (int j = 0; j < count; ++j) {
        const Rule& rule = RuleAt(j);
        if (!IsUsableRule(rule)) {
            CheckRecycle(j, false);
            continue;
        }
        if (exclusive >= 0 && j != exclusive) {
            Add(j, -1, RuleField::rule,
                "Never reached: " + RuleReference(settings, exclusive) + " is exclusive and takes every file.");
            continue;
        }
        bool reached = RuleReach(rule) != Reach::none;
        for (int i = 0; i < j && reached && exclusive < 0; ++i) {
            const Rule& earlier = RuleAt(i);
            if (!IsUsableRule(earlier) || !Covers(earlier, rule)) continue;
            const std::string who = RuleReference(settings, i);
            if (RuleReach(earlier) == Reach::every)
                Add(j, -1, RuleField::rule, "Never reached: " + who + " takes every file first.");
            else if (Covers(rule, earlier))
                Add(j, -1, RuleField::rule, "Never reached: " + who + " has the same conditions and comes first.");
            else
                Add(j, -1, RuleField::rule, "Never reached: " + who + " catches every file this rule could.");
            reached = false;
        }
        if (!reached) continue;
        CheckRecycle(j, firstToLook);
        if (exclusive < 0)
            for (int i = 0; i < j; ++i)
                if (IsUsableRule(RuleAt(i))) CheckOverlap(j, i);
        firstToLook = false;
    }
}

std::vector<RuleWarning> Checker::Run() {
    const int count = static_cast<int>(settings.rules.size());
    for (int i = 0; i < count; ++i) {
        if (const std::vector<std::string> missing = MissingParts(RuleAt(i)); !missing.empty()) {
            std::string text = "Incomplete: still needs ";
            for (size_t k = 0; k < missing.size(); ++k)
                text += (k == 0 ? "" : k + 1 == missing.size() ? " and " : ", ") + missing[k];
            Add(i, -1, RuleField::rule, text + ".", Severity::incomplete);
        }
        CheckConditions(i);
        if (UsesDestination(RuleAt(i).action)) CheckTemplate(i);
        if (UsesNewName(RuleAt(i).action)) CheckNewName(i);
    }
    CheckOrder();
    // The Unsorted folder is made on first use like any other, and the Settings tab already
    // lists it while it is missing.
    if (settings.noMatchPolicy == NoMatchPolicy::unsorted && !settings.catchAllPath.empty())
        CheckDestination(-1, settings.catchAllPath, "Unsorted folder", true);
    std::stable_sort(found.begin(), found.end(), [](const RuleWarning& a, const RuleWarning& b) {
        return static_cast<unsigned>(a.rule) < static_cast<unsigned>(b.rule);  // rule -1 last
    });
    return std::move(found);
}

}  // namespace

std::vector<RuleWarning> CheckRules(const AppSettings& settings, const FolderProbe& probe) {
    return Checker(settings, probe).Run();
}

std::vector<std::string> MissingParts(const Rule& rule) {
    std::vector<std::string> parts;
    if (rule.name.find_first_not_of(" \t") == std::string::npos) parts.push_back("a name");
    for (size_t j = 0; j < rule.clauses.size(); ++j)
        if (ValueMissing(rule.clauses[j]))
            parts.push_back(rule.clauses.size() == 1 ? "a value for its condition"
                                                     : "a value for condition " + std::to_string(j + 1));
    if (UsesDestination(rule.action) && rule.destination.empty()) parts.push_back("a destination folder");
    if (rule.action == RuleAction::rename && rule.renameTo.empty()) parts.push_back("a new name in \"Rename to\"");
    return parts;
}

std::string RuleReference(const AppSettings& settings, int rule) {
    if (rule < 0 || rule >= static_cast<int>(settings.rules.size())) return "the Unsorted folder";
    return "rule " + std::to_string(rule + 1) + " " + Quoted(ShownName(settings.rules[static_cast<size_t>(rule)]));
}

std::string WarningPlace(const AppSettings& settings, const RuleWarning& warning) {
    if (warning.rule < 0 || warning.rule >= static_cast<int>(settings.rules.size())) return "Unsorted folder";
    std::string place = "Rule " + std::to_string(warning.rule + 1) + " " +
                        Quoted(ShownName(settings.rules[static_cast<size_t>(warning.rule)]));
    if (warning.clause >= 0) place += ", condition " + std::to_string(warning.clause + 1);
    return place;
}

}  // namespace kw
