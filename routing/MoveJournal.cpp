#include "routing/MoveJournal.h"

#include <cwctype>
#include <vector>

namespace kw {

namespace {

constexpr std::wstring_view kStagingPrefix = L"~kfpart-";
constexpr std::wstring_view kJournalSuffix = L".journal";
constexpr std::wstring_view kHeader = L"kfmove 2";
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
    text += kHeader;
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

std::optional<MoveJournal> ParseMoveJournal(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    while (!text.empty()) {
        const size_t end = text.find(L'\n');
        if (end == std::wstring_view::npos) return std::nullopt;  // the last line was cut short
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
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
    j.source = values[0];
    j.target = values[1];
    j.aside = values[2];
    if (j.source.rfind(L"\\\\?\\", 0) != 0 || !IsPlainName(j.target) || !(j.aside.empty() || IsStagingName(j.aside)))
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
