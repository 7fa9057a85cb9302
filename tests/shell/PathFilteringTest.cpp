#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <string>

#include "shell/PathFiltering.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"

#include <windows.h>

namespace kw {
namespace {
namespace fs = std::filesystem;
using test::TempDir;
using test::WriteFile;
using Paths = std::vector<fs::path>;

// True when the entries directly inside `folder` form one unbroken run of `list`.
bool Contiguous(const Paths& list, const fs::path& folder) {
    const auto inside = [&](const fs::path& p) { return p.parent_path() == folder; };
    const auto first = std::find_if(list.begin(), list.end(), inside);
    const auto end = std::find_if_not(first, list.end(), inside);
    return std::none_of(end, list.end(), inside);
}

TEST(IsShellPath, RecognisesNamespaceItemsAndTheRecycleBin) {
    const struct {
        const wchar_t* path;
        bool shell;
    } cases[] = {
        {L"", true},
        {L"::{645FF040-5081-101B-9F00-00AA005B4382}", true},  // the Recycle Bin itself
        {L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", true},  // any namespace parsing name
        {L"::", true},
        {L"C:\\Bin\\645ff040-5081-101B-9F00-00aa005b4382\\a.txt", true},
        {L"645FF040-5081-101B-9F00-00AA005B4382", true},
        {L"645FF040-5081-101B-9F00-00AA005B438", false},  // one short of the identifier
        {L"C:\\Users\\me\\report.pdf", false},
        {L"\\\\?\\C:\\very\\long\\file.txt", false},
        {L"C:", false},
        {L":", false},
        {L"a::{645FF040}", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsShellPath(c.path), c.shell) << fs::path(c.path).string();
}

TEST(FilterDroppedPaths, KeepsExistingItemsInOrderAndCountsTheRest) {
    TempDir dir;
    WriteFile(dir / "b.txt", "b");
    WriteFile(dir / "a.txt", "a");
    WriteFile(dir / "folder" / "inside.txt", "i");
    const Paths dropped = {dir / "b.txt",
                           dir / "gone.txt",
                           L"::{645FF040-5081-101B-9F00-00AA005B4382}",
                           dir / "folder",
                           L"",
                           dir / "a.txt"};
    Paths kept = {L"stale entry"};
    int unsupported = -1;
    FilterDroppedPaths(dropped, kept, &unsupported);
    EXPECT_EQ(kept, (Paths{dir / "b.txt", dir / "folder", dir / "a.txt"}));
    EXPECT_EQ(unsupported, 3);

    FilterDroppedPaths({dir / "gone.txt"}, kept);  // the count is optional
    EXPECT_TRUE(kept.empty());
}

TEST(FilterDroppedPaths, KeepsAFilePastTwoHundredSixtyCharacters) {
    TempDir dir;
    const fs::path deep = dir / std::wstring(120, L'd') / std::wstring(120, L'e') / L"file.txt";
    ASSERT_GT(deep.native().size(), 260u);
    WriteFile(deep, "x");
    Paths kept;
    int unsupported = -1;
    FilterDroppedPaths({deep}, kept, &unsupported);
    EXPECT_EQ(kept, Paths{deep});
    EXPECT_EQ(unsupported, 0);
}

TEST(ExpandFolders, WithoutExpandPassesEverythingOn) {
    TempDir dir;
    WriteFile(dir / "folder" / "x.txt", "x");
    const Paths items = {dir / "folder", dir / "missing", dir / "folder" / "x.txt"};
    Paths out = {L"stale entry"};
    ExpandFolders(items, false, out);
    EXPECT_EQ(out, items);
}

TEST(ExpandFolders, ReplacesFoldersByTheirFilesDepthFirst) {
    TempDir dir;
    const fs::path a = dir / "A";
    WriteFile(a / "top.txt", "");
    for (const char* name : {"1", "2", "3"}) WriteFile(a / "sub1" / name, "");
    for (const char* name : {"4", "5"}) WriteFile(a / "sub2" / "deeper" / name, "");
    fs::create_directories(a / "empty" / "emptier");
    fs::create_directories(dir / "OnlyEmpty" / "x" / "y");
    WriteFile(dir / "loose.txt", "");
    WriteFile(dir / "B" / "b.txt", "");

    Paths out;
    ExpandFolders({a, dir / "OnlyEmpty", dir / "loose.txt", dir / "missing", dir / "B"}, true, out);

    ASSERT_EQ(out.size(), 9u);
    // A's files (in whatever order the file system lists them), then the other items in order.
    const std::set<fs::path> fromA(out.begin(), out.begin() + 6);
    EXPECT_EQ(fromA, (std::set<fs::path>{a / "top.txt", a / "sub1" / "1", a / "sub1" / "2", a / "sub1" / "3",
                                         a / "sub2" / "deeper" / "4", a / "sub2" / "deeper" / "5"}));
    EXPECT_EQ(out[6], dir / "loose.txt");
    EXPECT_EQ(out[7], dir / "missing");
    EXPECT_EQ(out[8], dir / "B" / "b.txt");

    // Depth first: the files of one sub-folder are never interleaved with others.
    EXPECT_TRUE(Contiguous(out, a / "sub1"));
    EXPECT_TRUE(Contiguous(out, a / "sub2" / "deeper"));
}

TEST(ExpandFolders, ReportsTheFilesFoundAndEndsEarlyWhenAskedTo) {
    test::TempDir dir;
    for (int i = 0; i < 25; ++i) test::WriteFile(dir / L"Big" / (L"f" + std::to_wstring(i)), "x");
    std::atomic<bool> stop{false};
    std::vector<size_t> reports;
    ListingControl control;
    control.stop = &stop;
    control.reportEvery = 10;
    control.found = [&](size_t found) {
        reports.push_back(found);
        if (found >= 20) stop = true;  // as a log-off would, half-way
    };
    std::vector<std::filesystem::path> out;
    ExpandFolders({dir / L"Big", dir / L"Big"}, true, out, control);
    EXPECT_EQ(reports, (std::vector<size_t>{10, 20}));
    EXPECT_EQ(out.size(), 20u);
}

TEST(ExpandFolders, WalksAFolderPastTwoHundredSixtyCharacters) {
    TempDir dir;
    const fs::path deep = dir / std::wstring(130, L'x') / std::wstring(130, L'y');
    ASSERT_GT(deep.native().size(), 260u);
    WriteFile(deep / "one.txt", "1");
    WriteFile(deep / "sub" / "two.txt", "2");
    Paths out;
    ExpandFolders({deep}, true, out);
    std::sort(out.begin(), out.end());
    EXPECT_EQ(out, (Paths{deep / "one.txt", deep / "sub" / "two.txt"}));
}

// A whole drive dropped with expansion on gives the files on it (the drive itself is never an
// item), without the system's hidden folders.
TEST(ExpandFolders, ADroppedDriveGivesItsFiles) {
    const auto volume = test::SecondVolume();
    if (!volume) GTEST_SKIP() << "needs drive T: (run through ctest)";
    const fs::path mine = *volume / (L"kw-expand-" + std::to_wstring(GetCurrentProcessId()));
    WriteFile(mine / "a.txt", "a");
    WriteFile(mine / "$RECYCLE.BIN" / "S-1-5-21" / "$R0001.txt", "deleted earlier");
    SetFileAttributesW((mine / "$RECYCLE.BIN").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    // Wine keeps these attributes only where the Linux file system has extended attributes.
    const DWORD attributes = GetFileAttributesW((mine / "$RECYCLE.BIN").c_str());
    const bool marked = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM);
    Paths out;
    ExpandFolders({*volume}, true, out);
    test::RemoveTree(mine);
    EXPECT_EQ(std::count(out.begin(), out.end(), mine / "a.txt"), 1);
    EXPECT_EQ(std::count(out.begin(), out.end(), *volume), 0);
    if (marked) {
        EXPECT_EQ(std::count(out.begin(), out.end(), mine / "$RECYCLE.BIN" / "S-1-5-21" / "$R0001.txt"), 0);
    }
}

}  // namespace
}  // namespace kw
