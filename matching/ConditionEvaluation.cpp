#include "matching/ConditionEvaluation.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <regex>

#include "matching/ListParsing.h"
#include "model/AsciiCase.h"
#include "model/ExtendedPath.h"
#include "model/FileName.h"
#include "model/TextEncoding.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

bool ExtensionMatches(const RuleClause& clause, std::wstring_view fileName) {
    const std::string ext = ExtensionKey(fileName);
    if (ext.empty()) return false;
    for (const std::string& entry : ParseExtensionList(clause.extensions))
        if (entry == ext) return true;
    return false;
}

// Size and times of the item itself, looked up literally: through a plain Win32 path a name
// such as "CON" or "report." would reach a device or a trimmed name instead. A link is
// followed, so that it is judged by what it points to.
bool ReadItemData(const fs::path& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    const std::wstring literal = ExtendedPath(path);
    if (!GetFileAttributesExW(literal.c_str(), GetFileExInfoStandard, &data)) return false;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    HANDLE h = CreateFileW(literal.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;  // a dangling link
    BY_HANDLE_FILE_INFORMATION info{};
    const BOOL read = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!read) return false;
    data = {info.dwFileAttributes, info.ftCreationTime, info.ftLastAccessTime, info.ftLastWriteTime,
            info.nFileSizeHigh, info.nFileSizeLow};
    return true;
}

bool SizeMatches(const RuleClause& clause, const fs::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!ReadItemData(path, data)) return false;
    // A folder counts as empty.
    const uint64_t size = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                              ? 0
                              : (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
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

bool KeywordMatches(const RuleClause& clause, std::string_view fileNameUtf8) {
    const bool exact = clause.keywordCaseSensitive;
    const std::string text = exact ? std::string(fileNameUtf8) : AsciiLower(fileNameUtf8);
    for (const std::string& keyword : ParseKeywordList(clause.keyword))
        if (text.find(exact ? keyword : AsciiLower(keyword)) != std::string::npos) return true;
    return false;
}

uint64_t ItemTimestamp(const fs::path& path, DateField field) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!ReadItemData(path, data)) return 0;
    const FILETIME& t = field == DateField::created ? data.ftCreationTime : data.ftLastWriteTime;
    return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

bool DateMatches(const RuleClause& clause, const fs::path& path, const Clock& clock) {
    const uint64_t stamp = ItemTimestamp(path, clause.dateField);
    const uint64_t now = clock.UtcTicks();
    const auto age = static_cast<int32_t>(now > stamp ? (now - stamp) / kTicksPerDay : 0);
    return clause.dateOp == DateOp::newer ? age <= clause.dateDays : age >= clause.dateDays;
}

bool RegexMatches(const RuleClause& clause, std::string_view fileNameUtf8) {
    if (clause.regex.empty()) return false;
    if (RegexStackEstimate(clause.regex, fileNameUtf8.size()) > kRegexStackBudgetBytes) return false;
    try {
        const std::regex pattern(clause.regex, std::regex::ECMAScript);
        return std::regex_search(fileNameUtf8.begin(), fileNameUtf8.end(), pattern);
    } catch (...) {
        // A pattern that does not compile, or a search that gives up, simply never matches.
        return false;
    }
}

}  // namespace

size_t RegexGroupDepth(std::string_view pattern) {
    size_t depth = 0, deepest = 0;
    bool inClass = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\') {
            ++i;  // the escaped character is a literal
        } else if (inClass) {
            inClass = c != ']';
        } else if (c == '[') {
            inClass = true;
        } else if (c == '(') {
            deepest = std::max(deepest, ++depth);
        } else if (c == ')' && depth > 0) {
            --depth;
        }
    }
    return deepest;
}

size_t RegexStackEstimate(std::string_view pattern, size_t subjectBytes) {
    // Measured with libstdc++ 12: about 250-700 bytes of stack per subject character and per
    // level of group nesting; 1 KiB keeps a safe margin.
    return (subjectBytes + 1) * (RegexGroupDepth(pattern) + 1) * 1024;
}

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

bool ClauseMatches(const RuleClause& clause, const fs::path& fullPath, std::wstring_view fileName,
                   std::string_view fileNameUtf8, const Clock& clock) {
    try {
        switch (clause.type) {
            case ConditionType::extension: return ExtensionMatches(clause, fileName);
            case ConditionType::file_size: return SizeMatches(clause, fullPath);
            case ConditionType::alphabetical: return AlphabeticalMatches(clause, fileName);
            case ConditionType::keyword: return KeywordMatches(clause, fileNameUtf8);
            case ConditionType::date: return DateMatches(clause, fullPath, clock);
            case ConditionType::regex: return RegexMatches(clause, fileNameUtf8);
            case ConditionType::any_file: return true;
        }
    } catch (...) {
        // Allocation failure or the like: the condition does not hold.
    }
    return false;
}

bool RuleMatches(const Rule& rule, const fs::path& path, const Clock& clock) {
    if (rule.clauses.empty()) return false;
    const std::wstring name = ItemFileName(path);
    const std::string nameUtf8 = ToUtf8(name);
    const auto holds = [&](const RuleClause& c) { return ClauseMatches(c, path, name, nameUtf8, clock); };
    if (rule.clauses.size() == 1) return holds(rule.clauses.front());
    if (rule.combineLogic == CombineLogic::any) {
        for (const RuleClause& c : rule.clauses)
            if (holds(c)) return true;
        return false;
    }
    for (const RuleClause& c : rule.clauses)
        if (!holds(c)) return false;
    return true;
}

}  // namespace kw
