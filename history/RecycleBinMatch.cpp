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

}  // namespace

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
