#include "history/RecycleBinMatch.h"

#include <windows.h>

namespace kw {

namespace {

// Names on NTFS and FAT compare ignoring case, by the file system's own upper-case table, which
// CompareStringOrdinal with bIgnoreCase uses too.
bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// "C:\Users\me\" and "C:\Users\me" are one folder.
std::wstring WithoutTrailingSlash(std::wstring folder) {
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    return folder;
}

bool IsStoredName(std::wstring_view name) {
    return name.size() > 2 && name[0] == L'$' && (name[1] == L'R' || name[1] == L'r');
}

bool EndsWith(std::wstring_view text, std::wstring_view end) {
    return text.size() >= end.size() &&
           CompareStringOrdinal(text.data() + text.size() - end.size(), static_cast<int>(end.size()), end.data(),
                                static_cast<int>(end.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring OriginalBinName(std::wstring_view fileName, std::wstring_view shown, std::wstring_view stored) {
    // The bin's items are backed by their stored files: a "$R..." System.FileName is that file's.
    if (!fileName.empty() && (!IsStoredName(fileName) || IsStoredName(shown))) return std::wstring(fileName);
    const size_t dot = stored.rfind(L'.');
    const std::wstring_view extension = dot == std::wstring_view::npos || dot == 0 ? std::wstring_view() : stored.substr(dot);
    std::wstring name(shown);
    if (!EndsWith(name, extension)) name += extension;
    return name;
}

std::optional<size_t> PickBinRecord(const std::vector<BinRecord>& bin, const BinWanted& wanted,
                                    const std::vector<bool>& taken) {
    const std::wstring folder = WithoutTrailingSlash(wanted.folder);
    std::optional<size_t> best;
    for (size_t i = 0; i < bin.size(); ++i) {
        const BinRecord& r = bin[i];
        if (i < taken.size() && taken[i]) continue;
        if (r.deleted < wanted.deletedAfter) continue;  // in the bin before the batch sent ours
        if (wanted.bytes && r.bytes && *wanted.bytes != *r.bytes) continue;
        if (!SameName(r.name, wanted.name) || !SameName(WithoutTrailingSlash(r.folder), folder)) continue;
        if (!best || r.deleted < bin[*best].deleted) best = i;
    }
    return best;
}

}  // namespace kw
