#include "routing/MoveJournal.h"

#include <algorithm>
#include <cwctype>
#include <vector>

namespace kw {

namespace {

constexpr std::wstring_view kStagingPrefix = L"~kfpart-";
constexpr std::wstring_view kJournalSuffix = L".journal";
constexpr std::wstring_view kHeader = L"kfmove 2";        // a journal of one move
constexpr std::wstring_view kBatchHeader = L"kfmove 3";   // a record in a batch's journal
constexpr std::wstring_view kSettled = L"settled\t";
constexpr std::wstring_view kArea = L"area\t";
constexpr std::wstring_view kEnd = L"end";

std::optional<uint64_t> ParseNumber(std::wstring_view text) {
    if (text.empty() || text.size() > 20) return std::nullopt;
    uint64_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return std::nullopt;
        const uint64_t digit = static_cast<uint64_t>(c - L'0');
        if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

bool IsPlainName(std::wstring_view name) {
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"\\/:") == std::wstring_view::npos;
}

}  // namespace

std::wstring MoveJournalBody(const MoveJournal& j) {
    std::wstring text;
    if (j.copy.empty()) {
        text += kHeader;
    } else {
        text += kBatchHeader;
        text += L"\ncopy\t" + j.copy;
    }
    text += L"\nsource\t" + j.source;
    text += L"\ntarget\t" + j.target;
    text += L"\naside\t" + j.aside;
    text += j.copied.folder ? L"\nkind\tfolder" : L"\nkind\tfile";
    text += L"\nbytes\t" + std::to_wstring(j.copied.bytes);
    text += L"\nentries\t" + std::to_wstring(j.copied.entries);
    text += L"\nstamp\t" + std::to_wstring(j.copied.stamp);
    text += L"\n";
    return text;
}

std::wstring FormatMoveJournal(const MoveJournal& j) {
    std::wstring text = MoveJournalBody(j);
    text += L"seal\t" + j.seal + L"\n";
    text += kEnd;
    text += L"\n";
    return text;
}

namespace {

bool IsLiteral(std::wstring_view path) { return path.substr(0, 4) == L"\\\\?\\"; }

// A full literal path ending in a staging name, inside `levels` - 1 more of them.
bool IsStagingPath(std::wstring_view path, int levels) {
    if (!IsLiteral(path)) return false;
    for (int i = 0; i < levels; ++i) {
        const size_t slash = path.rfind(L'\\');
        if (slash == std::wstring_view::npos || !IsStagingName(path.substr(slash + 1))) return false;
        path = path.substr(0, slash);
    }
    return path.size() > 4;
}

std::optional<MoveJournal> ParseLines(const std::vector<std::wstring_view>& all) {
    std::vector<std::wstring_view> lines = all;
    if (lines.empty()) return std::nullopt;
    std::wstring copy;
    if (lines.front() == kBatchHeader) {
        if (lines.size() < 2 || lines[1].substr(0, 5) != L"copy\t") return std::nullopt;
        copy = lines[1].substr(5);
        if (!IsStagingPath(copy, 2)) return std::nullopt;
        lines.erase(lines.begin() + 1);
        lines.front() = kHeader;
    }
    constexpr const wchar_t* keys[] = {L"source", L"target", L"aside", L"kind", L"bytes", L"entries", L"stamp", L"seal"};
    constexpr size_t fields = std::size(keys);
    if (lines.size() != fields + 2 || lines.front() != kHeader || lines.back() != kEnd) return std::nullopt;
    std::wstring_view values[fields];
    for (size_t i = 0; i < fields; ++i) {
        const std::wstring_view line = lines[i + 1];
        const size_t tab = line.find(L'\t');
        if (tab == std::wstring_view::npos || line.substr(0, tab) != keys[i]) return std::nullopt;
        values[i] = line.substr(tab + 1);
    }
    MoveJournal j;
    j.copy = std::move(copy);
    j.source = values[0];
    j.target = values[1];
    j.aside = values[2];
    if (!IsLiteral(j.source) || !IsPlainName(j.target) || !(j.aside.empty() || IsStagingName(j.aside)))
        return std::nullopt;
    if (values[3] != L"file" && values[3] != L"folder") return std::nullopt;
    j.copied.folder = values[3] == L"folder";
    const auto bytes = ParseNumber(values[4]), entries = ParseNumber(values[5]), stamp = ParseNumber(values[6]);
    if (!bytes || !entries || !stamp) return std::nullopt;
    j.copied.bytes = *bytes;
    j.copied.entries = *entries;
    j.copied.stamp = *stamp;
    j.seal = values[7];
    return j;
}

// Whole lines only: a last line without its end was cut short.
std::vector<std::wstring_view> SplitLines(std::wstring_view text, bool& cutShort) {
    std::vector<std::wstring_view> lines;
    cutShort = false;
    while (!text.empty()) {
        const size_t end = text.find(L'\n');
        if (end == std::wstring_view::npos) {
            cutShort = true;
            break;
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace

JournalFile ParseJournalFile(std::wstring_view text) {
    bool cutShort = false;
    const std::vector<std::wstring_view> lines = SplitLines(text, cutShort);
    JournalFile file;
    std::vector<std::wstring_view> settled;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].substr(0, kSettled.size()) == kSettled) {
            settled.push_back(lines[i].substr(kSettled.size()));
            continue;
        }
        if (lines[i].substr(0, kArea.size()) == kArea) {
            const std::wstring_view rest = lines[i].substr(kArea.size());
            const size_t tab = rest.find(L'\t');
            if (tab != std::wstring_view::npos && IsStagingPath(rest.substr(0, tab), 1))
                file.areas.push_back({std::wstring(rest.substr(0, tab)), std::wstring(rest.substr(tab + 1))});
            continue;
        }
        if (lines[i] != kHeader && lines[i] != kBatchHeader) continue;
        size_t end = i;
        while (end < lines.size() && lines[end] != kEnd) ++end;
        if (end == lines.size()) break;  // the last record was cut short
        if (auto move = ParseLines({lines.begin() + static_cast<ptrdiff_t>(i), lines.begin() + static_cast<ptrdiff_t>(end) + 1}))
            file.moves.push_back(std::move(*move));
        i = end;
    }
    std::erase_if(file.moves, [&](const MoveJournal& move) {
        return !move.copy.empty() && std::find(settled.begin(), settled.end(), move.copy) != settled.end();
    });
    return file;
}

std::wstring AreaBody(std::wstring_view folder) { return std::wstring(kArea) + std::wstring(folder); }

std::wstring AreaLine(const JournalArea& area) { return AreaBody(area.folder) + L"\t" + area.seal + L"\n"; }

std::wstring SettledLine(std::wstring_view copy) { return std::wstring(kSettled) + std::wstring(copy) + L"\n"; }

bool IsStagingName(std::wstring_view name) {
    const size_t p = kStagingPrefix.size();
    if (name.size() != p + 13 || name.substr(0, p) != kStagingPrefix || name[p + 8] != L'-') return false;
    for (size_t i = p; i < name.size(); ++i)
        if (i != p + 8 && !std::iswxdigit(static_cast<wint_t>(name[i]))) return false;
    return true;
}

bool IsJournalName(std::wstring_view name) {
    return name.size() > kJournalSuffix.size() && name.substr(name.size() - kJournalSuffix.size()) == kJournalSuffix &&
           IsStagingName(name.substr(0, name.size() - kJournalSuffix.size()));
}

std::wstring JournalName(std::wstring_view stagingName) { return std::wstring(stagingName) + std::wstring(kJournalSuffix); }

std::wstring StagingNameOfJournal(std::wstring_view journalName) {
    return std::wstring(journalName.substr(0, journalName.size() - kJournalSuffix.size()));
}

}  // namespace kw
