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

Truth Of(bool holds) { return holds ? Truth::yes : Truth::no; }

Truth SizeMatches(const RuleClause& clause, ItemFacts& item, ClauseFinding* finding) {
    if (item.IsNameOnly()) return Truth::unknown;
    const std::optional<ItemData>& data = item.Data();
    if (finding) {
        finding->unreadable = !data;
        finding->folder = data && data->folder;
        finding->number = data ? data->size : 0;
    }
    if (!data) return Truth::no;
    const uint64_t size = data->size;  // a folder counts as empty
    const uint64_t threshold = clause.sizeBytes;
    switch (clause.sizeOp) {
        case SizeOp::greater: return Of(size > threshold);
        case SizeOp::greater_equal: return Of(size >= threshold);
        case SizeOp::less: return Of(size < threshold);
        case SizeOp::less_equal: return Of(size <= threshold);
        case SizeOp::equal: return Of(size == threshold);
    }
    return Truth::no;
}

Truth AlphabeticalMatches(const RuleClause& clause, std::wstring_view fileName, ClauseFinding* finding) {
    // A first letter beyond the 8-bit characters a range is written with (Chinese, Japanese,
    // Korean, Cyrillic, Arabic, Hebrew, Thai, ...) lies in no such range: read by its low 8 bits
    // it would pass for another character (報 for '1', so that 報告書.pdf fell in 0-9).
    for (const wchar_t c : fileName) {
        if (!std::iswalnum(static_cast<wint_t>(c))) continue;
        if (c > 0xFF) {
            if (finding) finding->seen = ToUtf8(std::wstring(1, c));
            return Truth::no;
        }
        break;
    }
    const signed char key = AlphabeticalKey(fileName);
    if (finding) finding->seen = std::string(1, static_cast<char>(key));
    const auto from = static_cast<signed char>(clause.alphaFrom);
    const auto to = static_cast<signed char>(clause.alphaTo);
    const signed char lo = from < to ? from : to;
    const signed char hi = from < to ? to : from;
    return Of(lo <= key && key <= hi);
}

Truth DateMatches(const RuleClause& clause, ItemFacts& item, const Clock& clock, ClauseFinding* finding) {
    if (item.IsNameOnly()) return Truth::unknown;
    // Unreadable attributes make the item extremely old (timestamp 0, the year 1601).
    const std::optional<ItemData>& data = item.Data();
    const uint64_t stamp = !data ? 0 : clause.dateField == DateField::created ? data->createdTicks : data->writtenTicks;
    const uint64_t now = clock.UtcTicks();
    const auto age = static_cast<int32_t>(now > stamp ? (now - stamp) / kTicksPerDay : 0);
    if (finding) {
        finding->unreadable = !data;
        finding->number = static_cast<uint64_t>(age);
    }
    return Of(clause.dateOp == DateOp::newer ? age <= clause.dateDays : age >= clause.dateDays);
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

Truth PreparedClause::Judge(ItemFacts& item, const Clock& clock, std::string& note, ClauseFinding* finding) const {
    const Truth truth = [&] {
        try {
            switch (clause.type) {
                case ConditionType::extension: {
                    const std::string ext = ExtensionKey(item.Name());
                    if (finding) finding->seen = ext;
                    return Of(!ext.empty() && Contains(list, ext));
                }
                case ConditionType::file_size: return SizeMatches(clause, item, finding);
                case ConditionType::alphabetical: return AlphabeticalMatches(clause, item.Name(), finding);
                case ConditionType::keyword: {
                    const std::string text =
                        clause.keywordCaseSensitive ? item.NameUtf8() : AsciiLower(item.NameUtf8());
                    for (const std::string& keyword : list) {
                        if (text.find(keyword) == std::string::npos) continue;
                        if (finding) finding->seen = keyword;
                        return Truth::yes;
                    }
                    return Truth::no;
                }
                case ConditionType::date: return DateMatches(clause, item, clock, finding);
                case ConditionType::regex: {
                    // An empty pattern, or one that does not compile, never matches.
                    if (!pattern) return Truth::no;
                    if (!pattern->Valid()) {
                        if (finding) finding->note = "does not compile: " + pattern->Error();
                        return Truth::no;
                    }
                    PatternSearch search = pattern->Search(item.NameUtf8());
                    if (!search.gaveUp.empty()) {
                        note = "pattern " + clause.regex + " " + search.gaveUp;
                        if (finding) finding->note = search.gaveUp;
                    }
                    if (finding && search.matched)
                        finding->seen = item.NameUtf8().substr(search.matchBegin, search.matchEnd - search.matchBegin);
                    return Of(search.matched);
                }
                case ConditionType::any_file: return Truth::yes;
            }
        } catch (...) {
            // Allocation failure or the like: the condition does not hold.
        }
        return Truth::no;
    }();
    if (finding) finding->truth = truth;
    return truth;
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

Truth PreparedRule::Judge(ItemFacts& item, const Clock& clock, std::string& note,
                          std::vector<ClauseFinding>* findings) const {
    if (findings) findings->assign(clauses.size(), ClauseFinding{});
    if (clauses.empty()) return Truth::no;
    // ALL: a `no` decides; ANY (or a single condition): a `yes` does. Only when explaining are
    // the conditions after the deciding one judged too.
    const bool any = logic == CombineLogic::any || clauses.size() == 1;
    const Truth decisive = any ? Truth::yes : Truth::no;
    bool unknown = false;
    std::optional<Truth> decided;
    for (size_t i = 0; i < clauses.size(); ++i) {
        const Truth t = clauses[i].Judge(item, clock, note, findings ? &(*findings)[i] : nullptr);
        if (t == Truth::unknown) unknown = true;
        if (t == decisive && !decided) {
            decided = decisive;
            if (!findings) break;
        }
    }
    if (decided) return *decided;
    if (unknown) return Truth::unknown;
    return any ? Truth::no : Truth::yes;
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
