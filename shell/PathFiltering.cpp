#include "shell/PathFiltering.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "model/ExtendedPath.h"
#include "model/PathKind.h"
#include "model/ReparseTag.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

// The Recycle Bin's class identifier, lower case.
constexpr std::wstring_view kRecycleBinId = L"645ff040-5081-101b-9f00-00aa005b4382";

struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};
using UniqueFind = std::unique_ptr<void, FindCloser>;

wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// The standard library's directory iterator silently lists the wrong folder past 260
// characters, so the walk uses the Win32 calls on the \\?\ form. Entries arrive in the order
// the file system gives them; each sub-folder is walked as soon as it is met. Links to folders
// are not followed (a link cycle would never end), links to files count when their target is a
// regular file; other reparse points (cloud-file placeholders) are ordinary files and folders. A folder that cannot be listed contributes nothing and the walk goes on.
struct Listing {
    std::vector<fs::path>& out;
    const ListingControl& control;
    size_t nextReport;

    bool Stopped() const { return control.stop && control.stop->load(); }
    void Add(fs::path file) {
        out.push_back(std::move(file));
        if (control.found && out.size() >= nextReport) {
            control.found(out.size());
            nextReport = out.size() + std::max<size_t>(1, control.reportEvery);
        }
    }
};

void AppendFilesBelow(const fs::path& folder, Listing& listing) {
    const std::wstring pattern = ChildPath(ExtendedPath(folder), L"*");
    WIN32_FIND_DATAW data{};
    HANDLE raw = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                  FIND_FIRST_EX_LARGE_FETCH);
    if (raw == INVALID_HANDLE_VALUE) return;
    UniqueFind find(raw);
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        fs::path child = folder / name;
        const DWORD attributes = data.dwFileAttributes;
        if (IsLink(attributes, data.dwReserved0)) {
            if (KindOf(child) == PathKind::file) listing.Add(std::move(child));
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            // Hidden system folders ("$RECYCLE.BIN", "System Volume Information" at a drive's
            // root) hold the system's files, not the user's: a dropped drive is expanded
            // without them.
            constexpr DWORD kSystemFolder = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
            if ((attributes & kSystemFolder) != kSystemFolder) AppendFilesBelow(child, listing);
        } else {
            listing.Add(std::move(child));
        }
    } while (!listing.Stopped() && FindNextFileW(find.get(), &data));
}

}  // namespace

bool IsShellPath(std::wstring_view path) {
    if (path.empty()) return true;
    if (path.size() >= 2 && path[0] == L':' && path[1] == L':') return true;
    if (path.size() < kRecycleBinId.size()) return false;
    std::wstring lower(path);
    for (wchar_t& c : lower) c = LowerAscii(c);
    return lower.find(kRecycleBinId) != std::wstring::npos;
}

void FilterDroppedPaths(const std::vector<fs::path>& dropped, std::vector<fs::path>& kept, int* unsupported) {
    kept.clear();
    int notTaken = 0;
    for (const fs::path& item : dropped) {
        if (!IsShellPath(item.native()) && KindOf(item) != PathKind::missing)
            kept.push_back(item);
        else
            ++notTaken;
    }
    if (unsupported) *unsupported = notTaken;
}

void ExpandFolders(const std::vector<fs::path>& items, bool expand, std::vector<fs::path>& out,
                   const ListingControl& control) {
    out.clear();
    Listing listing{out, control, std::max<size_t>(1, control.reportEvery)};
    for (const fs::path& item : items) {
        if (listing.Stopped()) break;
        if (expand && KindOf(item) == PathKind::folder)
            AppendFilesBelow(item, listing);
        else
            listing.Add(item);
    }
}

}  // namespace kw
