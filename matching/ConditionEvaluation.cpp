#include "matching/ConditionEvaluation.h"

#include <algorithm>
#include <cwctype>

#include "matching/ListParsing.h"
#include "model/AsciiCase.h"
#include "model/ExtendedPath.h"
#include "model/FileName.h"
#include "model/TextEncoding.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

bool SizeMatches(const RuleClause& clause, ItemFacts& item) {
    const std::optional<ItemData>& data = item.Data();
    if (!data) return false;
    const uint64_t size = data->size;  // a folder counts as empty
    const uint64_t threshold = clause.sizeBytes;
    switch (clause.sizeOp) {
        case SizeOp::greater: return size > threshold;
        case SizeOp::greater_equal: return size >= threshold;
        case SizeOp::less: return size < threshold;
        case SizeOp::less_equal: return size <= threshold;
        case SizeOp::equal: return size == threshold;
    }
    return false;
}

bool AlphabeticalMatches(const RuleClause& clause, std::wstring_view fileName) {
    const signed char key = AlphabeticalKey(fileName);
    const auto from = static_cast<signed char>(clause.alphaFrom);
    const auto to = static_cast<signed char>(clause.alphaTo);
    const signed char lo = from < to ? from : to;
    const signed char hi = from < to ? to : from;
    return lo <= key && key <= hi;
}

bool DateMatches(const RuleClause& clause, ItemFacts& item, const Clock& clock) {
    // Unreadable attributes make the item extremely old (timestamp 0, the year 1601).
    const std::optional<ItemData>& data = item.Data();
    const uint64_t stamp = !data ? 0 : clause.dateField == DateField::created ? data->createdTicks : data->writtenTicks;
    const uint64_t now = clock.UtcTicks();
    const auto age = static_cast<int32_t>(now > stamp ? (now - stamp) / kTicksPerDay : 0);
    return clause.dateOp == DateOp::newer ? age <= clause.dateDays : age >= clause.dateDays;
}

bool Contains(const std::vector<std::string>& list, const std::string& value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

std::wstring ItemFileName(const fs::path& path) { return path.filename().native(); }

std::string ExtensionKey(std::wstring_view fileName) {
    return AsciiLower(ToUtf8(SplitFileName(fileName).ext));
}

signed char AlphabeticalKey(std::wstring_view fileName) {
    for (const wchar_t c : fileName) {
        if (std::iswalnum(static_cast<wint_t>(c)))
            return static_cast<signed char>(static_cast<unsigned char>(AsciiUpper(c) & 0xFF));
    }
    return 'A';
}

PreparedClause::PreparedClause(const RuleClause& c) : clause(c) {
    switch (clause.type) {
        case ConditionType::extension: list = ParseExtensionList(clause.extensions); break;
        case ConditionType::keyword:
            list = ParseKeywordList(clause.keyword);
            if (!clause.keywordCaseSensitive)
                for (std::string& keyword : list) keyword = AsciiLower(keyword);
            break;
        case ConditionType::regex:
            if (!clause.regex.empty()) pattern.emplace(clause.regex);
            break;
        default: break;
    }
}

bool PreparedClause::Holds(ItemFacts& item, const Clock& clock, std::string& note) const {
    try {
        switch (clause.type) {
            case ConditionType::extension: {
                const std::string ext = ExtensionKey(item.Name());
                return !ext.empty() && Contains(list, ext);
            }
            case ConditionType::file_size: return SizeMatches(clause, item);
            case ConditionType::alphabetical: return AlphabeticalMatches(clause, item.Name());
            case ConditionType::keyword: {
                const std::string text = clause.keywordCaseSensitive ? item.NameUtf8() : AsciiLower(item.NameUtf8());
                for (const std::string& keyword : list)
                    if (text.find(keyword) != std::string::npos) return true;
                return false;
            }
            case ConditionType::date: return DateMatches(clause, item, clock);
            case ConditionType::regex: {
                // An empty pattern, or one that does not compile, never matches.
                if (!pattern) return false;
                PatternSearch search = pattern->Search(item.NameUtf8());
                if (!search.gaveUp.empty()) note = "pattern " + clause.regex + " " + search.gaveUp;
                return search.matched;
            }
            case ConditionType::any_file: return true;
        }
    } catch (...) {
        // Allocation failure or the like: the condition does not hold.
    }
    return false;
}

PreparedRule::PreparedRule(const Rule& rule) : logic(rule.combineLogic) {
    clauses.reserve(rule.clauses.size());
    for (const RuleClause& c : rule.clauses) clauses.emplace_back(c);
}

int PreparedRule::Patterns() const {
    int count = 0;
    for (const PreparedClause& c : clauses) count += c.HasPattern();
    return count;
}

bool PreparedRule::Matches(ItemFacts& item, const Clock& clock, std::string& note) const {
    if (clauses.empty()) return false;
    const auto holds = [&](const PreparedClause& c) { return c.Holds(item, clock, note); };
    if (clauses.size() == 1) return holds(clauses.front());
    if (logic == CombineLogic::any) {
        for (const PreparedClause& c : clauses)
            if (holds(c)) return true;
        return false;
    }
    for (const PreparedClause& c : clauses)
        if (!holds(c)) return false;
    return true;
}

bool ClauseMatches(const RuleClause& clause, const fs::path& fullPath, std::wstring_view fileName,
                   std::string_view fileNameUtf8, const Clock& clock) {
    ItemFacts item(fullPath, std::wstring(fileName), std::string(fileNameUtf8));
    std::string note;
    return PreparedClause(clause).Holds(item, clock, note);
}

bool RuleMatches(const Rule& rule, const fs::path& path, const Clock& clock) {
    ItemFacts item(path);
    std::string note;
    return PreparedRule(rule).Matches(item, clock, note);
}

}  // namespace kw
