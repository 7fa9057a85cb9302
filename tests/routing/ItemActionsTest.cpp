#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <future>
#include <cwctype>

#include "model/TextEncoding.h"
#include "routing/FileTree.h"
#include "routing/ItemActions.h"
#include "routing/ItemPlan.h"
#include "routing/NameConflicts.h"
#include "routing/RouteJob.h"
#include "routing/SourceDeletion.h"
#include "support/EditorSave.h"
#include "support/Fixtures.h"
#include "support/HeldFile.h"
#include "support/LiteralFile.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;
using test::LiteralExists;
using test::ReadFile;
using test::ReadLiteral;
using test::TempDir;
using test::WriteFile;
using test::WriteLiteral;

Rule MoveRule(const char* name, const fs::path& destination, const char* extensions = ".pdf") {
    Rule r;
    r.name = name;
    r.destination = PathToUtf8(destination);
    r.clauses[0].extensions = extensions;
    return r;
}

RouteItemResult Route(const fs::path& item, const AppSettings& settings) {
    BatchCache batch(settings);
    return RouteItem(item, batch);
}

void ExpectResult(const RouteItemResult& r, const char* message, bool ok, bool skipped) {
    EXPECT_EQ(r.message, message);
    EXPECT_EQ(r.ok, ok) << r.message;
    EXPECT_EQ(r.skipped, skipped) << r.message;
}

AppSettings EverythingTo(const fs::path& folder) {
    AppSettings s;
    s.noMatchPolicy = NoMatchPolicy::unsorted;
    s.catchAllPath = PathToUtf8(folder);
    return s;
}

const wchar_t* const kReinterpretedNames[] = {L"CON", L"NUL", L"COM1.txt", L"trailing dot.", L"trailing space "};

// Each such item is moved as itself (it used to fail as "Source no longer exists.").
void ExpectReinterpretedNamesMove(const fs::path& in, const fs::path& out) {
    for (const wchar_t* name : kReinterpretedNames) {
        WriteLiteral(in / name, PathToUtf8(name));
        const RouteItemResult r = Route(in / name, EverythingTo(out));
        ExpectResult(r, "Moved via Catch-All", true, false);
        EXPECT_EQ(ReadLiteral(out / name), PathToUtf8(name));
        EXPECT_FALSE(LiteralExists(in / name)) << PathToUtf8(name);
    }
}

TEST(RouteItem, MovesNamesThatWin32WouldReinterpret) {
    TempDir dir;
    ExpectReinterpretedNamesMove(dir / L"in", dir / L"out");
    // A taken reserved name is a conflict like any other, not the device of that name.
    WriteLiteral(dir / L"in" / L"CON", "second");
    ExpectResult(Route(dir / L"in" / L"CON", EverythingTo(dir / L"out")), "Moved via Catch-All", true, false);
    EXPECT_EQ(ReadLiteral(dir / L"out" / L"CON"), "CON");
    EXPECT_EQ(ReadLiteral(dir / L"out" / L"CON (1)"), "second");
}

// What no journal of this installation names is not ours to delete, however it is named: it is
// left where it is and reported.
TEST(SweepStagingNames, LeavesAndReportsWhatNoJournalNames) {
    TempDir dir;
    WriteFile(dir / L"~kfpart-0123abcd-00ff" / L"inner" / L"part.bin", "partial");
    WriteFile(dir / L"~kfpart-89ABCDEF-0001", "partial");
    for (const wchar_t* other : {L"~kfpart-notes.txt", L"~kfpart-0123abcd-00ff.txt", L"~kfpart-0123abcg-00ff", L"a.txt"})
        WriteFile(dir / other, "mine");
    const std::vector<fs::path> left = SweepStagingNames(dir.Path());
    EXPECT_EQ(left.size(), 2u);
    EXPECT_EQ(ReadFile(dir / L"~kfpart-0123abcd-00ff" / L"inner" / L"part.bin"), "partial");
    EXPECT_EQ(ReadFile(dir / L"~kfpart-89ABCDEF-0001"), "partial");
    EXPECT_EQ(test::EntryCount(dir.Path()), 6u);
    EXPECT_TRUE(SweepStagingNames(dir / L"missing").empty());
}

TEST(SameRootName, ComparesRootNamesIgnoringCase) {
    EXPECT_TRUE(SameRootName(L"C:\\a", L"c:\\b\\c"));
    EXPECT_FALSE(SameRootName(L"C:\\a", L"D:\\a"));
    EXPECT_TRUE(SameRootName(L"\\\\server\\share\\a", L"\\\\SERVER\\share\\b"));
    EXPECT_FALSE(SameRootName(L"relative\\a", L"relative\\b"));
    EXPECT_FALSE(SameRootName(L"C:\\a", L"\\\\server\\a"));
    EXPECT_TRUE(SameRootName(L"\\\\?\\C:\\a", L"C:\\b"));
    EXPECT_TRUE(SameRootName(L"\\\\?\\UNC\\server\\s\\a", L"\\\\server\\s\\b"));
    EXPECT_FALSE(SameRootName(L"\\\\server1\\s", L"\\\\server2\\s"));
}

TEST(IsInsideOrSame, WorksOnCanonicalPaths) {
    TempDir dir;
    fs::create_directories(dir / L"dest" / L"sub");
    WriteFile(dir / L"dest" / L"x..y.txt", "x");
    EXPECT_TRUE(IsInsideOrSame(dir / L"dest" / L"x..y.txt", dir / L"dest"));
    EXPECT_TRUE(IsInsideOrSame(dir / L"dest" / L"sub", dir / L"dest"));
    EXPECT_TRUE(IsInsideOrSame(dir / L"dest", dir / L"dest"));
    EXPECT_TRUE(IsInsideOrSame(dir / L"dest" / L"sub" / L".." / L"x..y.txt", dir / L"dest"));
    EXPECT_FALSE(IsInsideOrSame(dir / L"dest2" / L"a", dir / L"dest"));
    EXPECT_FALSE(IsInsideOrSame(dir / L"dest", dir / L"dest" / L"sub"));
    EXPECT_FALSE(IsInsideOrSame(L"Z:\\dest\\a", dir / L"dest"));
}

// Every spelling a user or a settings file may give the folder an item already lies in. Under
// the overwrite policy a textual comparison took the item for a conflicting target and deleted
// it; auto-rename made a copy of it beside itself.
std::vector<fs::path> SpellingsOf(const fs::path& folder) {
    std::wstring upper = folder.native();
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    std::vector<fs::path> spellings = {upper, folder.native() + L"\\", folder / L"." / L".." / folder.filename(),
                                       L"\\\\?\\" + folder.native()};
    wchar_t shortName[MAX_PATH];
    if (GetShortPathNameW(folder.c_str(), shortName, MAX_PATH)) spellings.push_back(shortName);  // none under Wine
    if (const auto alias = test::ThroughAliasDrive(folder)) spellings.push_back(*alias);
    return spellings;
}

TEST(MoveItem, AnItemInItsDestinationUnderAnotherSpellingStaysWhole) {
    TempDir dir;
    const fs::path folder = dir / L"Docs" / L"PDF";
    WriteFile(folder / L"a.pdf", "only copy");
    WriteFile(folder / L"Deep" / L"b.pdf", "deep");
    const std::vector<fs::path> spellings = SpellingsOf(folder);
    EXPECT_GE(spellings.size(), 5u) << "the alias drive U: is prepared by ctest";
    for (const fs::path& spelling : spellings) {
        for (const ConflictPolicy policy : {ConflictPolicy::overwrite, ConflictPolicy::rename, ConflictPolicy::skip}) {
            for (const fs::path& item : {folder / L"a.pdf", folder / L"Deep" / L"b.pdf"}) {
                const RouteItemResult r = MoveItem(item, spelling, policy, {}, "PDFs");
                ExpectResult(r, "Skipped (already in destination folder).", true, true);
            }
        }
        EXPECT_TRUE(IsInsideOrSame(folder / L"a.pdf", spelling)) << PathToUtf8(spelling);
        EXPECT_TRUE(SameObject(folder, spelling)) << PathToUtf8(spelling);
        // A rule pointing at the folder under this spelling protects it as a routing folder.
        AppSettings s;
        s.rules = {MoveRule("PDFs", spelling, "")};
        s.rules[0].clauses[0].type = ConditionType::any_file;
        EXPECT_TRUE(BatchCache(s).IsRoutingFolder(folder, ItemKind::folder)) << PathToUtf8(spelling);
    }
    EXPECT_EQ(ReadFile(folder / L"a.pdf"), "only copy");
    EXPECT_EQ(ReadFile(folder / L"Deep" / L"b.pdf"), "deep");
    EXPECT_EQ(test::EntryCount(folder), 2u);

    // A hard link of the item at the target is the item itself: never overwritten.
    WriteFile(dir / L"in" / L"c.pdf", "linked");
    ASSERT_TRUE(CreateHardLinkW((folder / L"c.pdf").c_str(), (dir / L"in" / L"c.pdf").c_str(), nullptr));
    ExpectResult(MoveItem(dir / L"in" / L"c.pdf", folder, ConflictPolicy::overwrite, {}, "PDFs"),
                 "Skipped (already in destination folder).", true, true);
    EXPECT_EQ(ReadFile(dir / L"in" / L"c.pdf"), "linked");
}

// A drive dragged from This PC, or a share, has no name of its own: its "target" would be the
// destination folder itself, deleted whole under the overwrite policy.
TEST(RouteItem, WholeDrivesAndSharesAreRefusedBeforeAnythingTouchesTheDisk) {
    TempDir dir;
    WriteFile(dir / L"Dest" / L"routed before.txt", "keep");
    AppSettings s = EverythingTo(dir / L"Dest");
    Rule all = MoveRule("All", dir / L"Dest", "");
    all.clauses[0].type = ConditionType::any_file;
    all.conflict = ConflictPolicy::overwrite;
    s.rules = {all};
    for (const wchar_t* root : {L"C:\\", L"c:", L"\\\\?\\C:\\", L"\\\\kw-no-such-server\\share\\",
                                L"\\\\?\\UNC\\kw-no-such-server\\share", L"C:\\Windows\\.."}) {
        const RouteItemResult r = Route(root, s);
        ExpectResult(r, "Skipped (a whole drive or share cannot be routed).", false, false);
        EXPECT_EQ(ReadFile(dir / L"Dest" / L"routed before.txt"), "keep") << PathToUtf8(root);
    }
    // The same guard in the move itself, whoever calls it.
    ExpectResult(MoveItem(L"C:\\", dir / L"Dest", ConflictPolicy::overwrite, {}, "All"),
                 "Skipped (a whole drive or share cannot be routed).", false, false);
    // A folder with a trailing separator is still an item with a name.
    WriteFile(dir / L"in" / L"Folder" / L"f.txt", "f");
    ExpectResult(Route((dir / L"in" / L"Folder").native() + L"\\", s), "Moved via All", true, false);
    EXPECT_EQ(ReadFile(dir / L"Dest" / L"Folder" / L"f.txt"), "f");
    EXPECT_EQ(ReadFile(dir / L"Dest" / L"routed before.txt"), "keep");
}

TEST(RouteItem, ChecksInOrderWithTheirMessages) {
    TempDir dir;
    const fs::path dest = dir / L"PDFs";
    fs::create_directories(dest / L"2026");
    AppSettings s;
    s.rules = {MoveRule("Invoices", dest)};

    RouteItemResult r = Route(dir / L"vanished.pdf", s);
    ExpectResult(r, "Source no longer exists.", false, false);
    EXPECT_EQ(r.rule, "");
    EXPECT_EQ(r.source, PathToUtf8(dir / L"vanished.pdf"));

    WriteFile(dir / L"note.txt", "n");
    r = Route(dir / L"note.txt", s);
    ExpectResult(r, "Left in place (No matching rule)", true, true);
    EXPECT_EQ(r.rule, "No matching rule");

    Rule leave = MoveRule("Keep", dest, ".txt");
    leave.action = RuleAction::leave_in_place;
    s.rules.insert(s.rules.begin(), leave);
    ExpectResult(Route(dir / L"note.txt", s), "Left in place (Keep)", true, true);

    // The destination folder itself, even when a recycle rule takes every item.
    Rule recycleAll = MoveRule("Bin", "", "");
    recycleAll.action = RuleAction::recycle;
    recycleAll.clauses[0].type = ConditionType::any_file;
    AppSettings withBin = s;
    withBin.rules.push_back(recycleAll);
    r = Route(dest, withBin);
    ExpectResult(r, "Skipped (routing destination folder \xE2\x80\x94 left in place).", true, true);
    EXPECT_TRUE(fs::exists(dest));

    WriteFile(dest / L"2026" / L"bill.pdf", "b");
    r = Route(dest / L"2026" / L"bill.pdf", s);
    ExpectResult(r, "Skipped (already in destination folder).", true, true);
    EXPECT_EQ(r.target, PathToUtf8(dest / L"bill.pdf"));
    WriteFile(dest / L"x..y.pdf", "b");
    ExpectResult(Route(dest / L"x..y.pdf", s), "Skipped (already in destination folder).", true, true);
}

TEST(RouteItem, UnsortedFolderIsProtectedOnlyWhileUnmatchedItemsGoThere) {
    TempDir dir;
    fs::create_directory(dir / L"Unsorted");
    AppSettings s;
    s.catchAllPath = PathToUtf8(dir / L"Unsorted");
    s.noMatchPolicy = NoMatchPolicy::unsorted;
    Rule any = MoveRule("Everything", dir / L"All", "");
    any.clauses[0].type = ConditionType::any_file;
    any.anyFileExclusive = false;
    s.rules = {any};
    ExpectResult(Route(dir / L"Unsorted", s), "Skipped (routing destination folder \xE2\x80\x94 left in place).", true, true);
    s.noMatchPolicy = NoMatchPolicy::leave_in_place;
    ExpectResult(Route(dir / L"Unsorted", s), "Moved via Everything", true, false);
    EXPECT_TRUE(fs::is_directory(dir / L"All" / L"Unsorted"));
}

TEST(MoveItem, RefusesToMoveAFolderIntoItself) {
    TempDir dir;
    fs::create_directories(dir / L"Projects" / L"Archive");
    const AutoRenameOptions rename;
    ExpectResult(MoveItem(dir / L"Projects", dir / L"Projects", ConflictPolicy::rename, rename, "R"),
                 "Skipped (cannot move destination folder into itself).", true, true);
    ExpectResult(MoveItem(dir / L"Projects", dir / L"Projects" / L"Archive", ConflictPolicy::rename, rename, "R"),
                 "Skipped (would move a folder into itself).", true, true);
    ExpectResult(MoveItem(dir / L"Projects", dir / L"Projects" / L"New" / L"Deeper", ConflictPolicy::rename, rename, "R"),
                 "Skipped (would move a folder into itself).", true, true);
    EXPECT_TRUE(fs::is_directory(dir / L"Projects" / L"Archive"));
}

TEST(MoveItem, MovesIntoNewFoldersAndResolvesConflictsByPolicy) {
    TempDir dir;
    const fs::path dest = dir / L"Docs" / L"2026" / L"March";
    const AutoRenameOptions numbered;
    WriteFile(dir / L"in" / L"bill \xC3\xA4.pdf", "new");

    RouteItemResult r = MoveItem(dir / L"in" / L"bill \xC3\xA4.pdf", dest, ConflictPolicy::rename, numbered, "Invoices");
    ExpectResult(r, "Moved via Invoices", true, false);
    EXPECT_EQ(r.target, PathToUtf8(dest / L"bill \xC3\xA4.pdf"));
    EXPECT_EQ(ReadFile(dest / L"bill \xC3\xA4.pdf"), "new");
    EXPECT_FALSE(fs::exists(dir / L"in" / L"bill \xC3\xA4.pdf"));

    WriteFile(dir / L"in" / L"bill \xC3\xA4.pdf", "second");
    r = MoveItem(dir / L"in" / L"bill \xC3\xA4.pdf", dest, ConflictPolicy::skip, numbered, "Invoices");
    ExpectResult(r, "Skipped (name already exists).", false, true);
    EXPECT_EQ(r.target, PathToUtf8(dest / L"bill \xC3\xA4.pdf"));
    EXPECT_EQ(ReadFile(dir / L"in" / L"bill \xC3\xA4.pdf"), "second");

    r = MoveItem(dir / L"in" / L"bill \xC3\xA4.pdf", dest, ConflictPolicy::rename, numbered, "Invoices");
    ExpectResult(r, "Moved via Invoices", true, false);
    EXPECT_EQ(r.target, PathToUtf8(dest / L"bill \xC3\xA4 (1).pdf"));
    EXPECT_EQ(ReadFile(dest / L"bill \xC3\xA4.pdf"), "new");
    EXPECT_EQ(ReadFile(dest / L"bill \xC3\xA4 (1).pdf"), "second");

    WriteFile(dir / L"in" / L"bill \xC3\xA4.pdf", "third");
    r = MoveItem(dir / L"in" / L"bill \xC3\xA4.pdf", dest, ConflictPolicy::overwrite, numbered, "Invoices");
    ExpectResult(r, "Replaced via Invoices; the old one is in the Recycle Bin", true, false);
    EXPECT_EQ(ReadFile(dest / L"bill \xC3\xA4.pdf"), "third");
}

TEST(MoveItem, OverwriteReplacesAWholeFolderAndReadOnlyFiles) {
    TempDir dir;
    WriteFile(dir / L"in" / L"Photos" / L"new.jpg", "n");
    WriteFile(dir / L"out" / L"Photos" / L"old.jpg", "o");
    const AutoRenameOptions numbered;
    ExpectResult(MoveItem(dir / L"in" / L"Photos", dir / L"out", ConflictPolicy::overwrite, numbered, "P"),
                 "Replaced via P; the old one is in the Recycle Bin", true, false);
    EXPECT_TRUE(fs::exists(dir / L"out" / L"Photos" / L"new.jpg"));
    EXPECT_FALSE(fs::exists(dir / L"out" / L"Photos" / L"old.jpg"));

    WriteFile(dir / L"in" / L"ro.txt", "new");
    WriteFile(dir / L"out" / L"ro.txt", "old");
    SetFileAttributesW((dir / L"out" / L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    ExpectResult(MoveItem(dir / L"in" / L"ro.txt", dir / L"out", ConflictPolicy::overwrite, numbered, "P"),
                 "Replaced via P; the old one is in the Recycle Bin", true, false);
    EXPECT_EQ(ReadFile(dir / L"out" / L"ro.txt"), "new");
}

TEST(MoveItem, NeverReplacesATakenNameWithoutTheOverwritePolicy) {
    TempDir dir;
    WriteFile(dir / L"in" / L"a.txt", "mine");
    WriteFile(dir / L"out" / L"a.txt", "theirs");
    // A name that got taken after the check: the transfer refuses, on one volume and by copy.
    std::error_code ec = MoveToTarget(dir / L"in" / L"a.txt", dir / L"out" / L"a.txt", false);
    EXPECT_TRUE(ec.value() == ERROR_ALREADY_EXISTS || ec.value() == ERROR_FILE_EXISTS) << ec.value();
    EXPECT_EQ(ReadFile(dir / L"out" / L"a.txt"), "theirs");
    EXPECT_EQ(ReadFile(dir / L"in" / L"a.txt"), "mine");

    fs::create_directories(dir / L"in" / L"Tree");
    WriteFile(dir / L"in" / L"Tree" / L"f", "mine");
    WriteFile(dir / L"out" / L"Tree" / L"f", "theirs");
    ec = MoveToTarget(dir / L"in" / L"Tree", dir / L"out" / L"Tree", false);
    EXPECT_TRUE(ec.value() == ERROR_ALREADY_EXISTS || ec.value() == ERROR_FILE_EXISTS) << ec.value();
    EXPECT_EQ(ReadFile(dir / L"out" / L"Tree" / L"f"), "theirs");
    EXPECT_EQ(ReadFile(dir / L"in" / L"Tree" / L"f"), "mine");
}

TEST(MoveItem, TakenCopyFallbackNameIsSkippedNotReplaced) {
    TempDir dir;
    WriteFile(dir / L"in" / L"r.txt", "mine");
    WriteFile(dir / L"out" / L"r.txt", "0");
    for (int i = 1; i <= kMaxRenameCandidates; ++i) WriteFile(dir / L"out" / (L"r (" + std::to_wstring(i) + L").txt"), "");
    WriteFile(dir / L"out" / L"r (copy).txt", "theirs");
    // No free name: the rule could not be carried out, which the batch counts as not routed.
    const RouteItemResult r = MoveItem(dir / L"in" / L"r.txt", dir / L"out", ConflictPolicy::rename, {}, "R");
    ExpectResult(r, "Skipped (name already exists).", false, false);
    EXPECT_EQ(r.target, PathToUtf8(dir / L"out" / L"r (copy).txt"));
    EXPECT_EQ(ReadFile(dir / L"out" / L"r (copy).txt"), "theirs");
    EXPECT_EQ(ReadFile(dir / L"in" / L"r.txt"), "mine");
}

TEST(MoveItem, WorksPast260Characters) {
    TempDir dir;
    fs::path deep = dir.Path();
    for (int i = 0; i < 5; ++i) deep /= std::wstring(60, static_cast<wchar_t>(L'k' + i));
    WriteFile(deep / L"long.txt", "deep");
    const fs::path dest = dir / std::wstring(120, L'd') / std::wstring(120, L'e');
    ASSERT_GT((dest / L"long.txt").native().size(), 260u);
    ExpectResult(MoveItem(deep / L"long.txt", dest, ConflictPolicy::rename, {}, "L"), "Moved via L", true, false);
    EXPECT_EQ(ReadFile(dest / L"long.txt"), "deep");
    ExpectResult(MoveItem(deep.parent_path(), dest, ConflictPolicy::rename, {}, "L"), "Moved via L", true, false);
    EXPECT_TRUE(fs::is_directory(dest / deep.parent_path().filename()));
    EXPECT_FALSE(fs::exists(deep.parent_path()));
}

TEST(MoveItem, ReportsTheSystemErrorAndKeepsTheSource) {
    TempDir dir;
    WriteFile(dir / L"in" / L"a.txt", "mine");
    WriteFile(dir / L"blocker", "a file where the destination folder should be");
    const RouteItemResult r = MoveItem(dir / L"in" / L"a.txt", dir / L"blocker", ConflictPolicy::rename, {}, "R");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.skipped);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(ReadFile(dir / L"in" / L"a.txt"), "mine");

    const RouteItemResult none = MoveItem(dir / L"in" / L"a.txt", fs::path(), ConflictPolicy::rename, {}, "R");
    ExpectResult(none, "No destination folder is set.", false, false);
}

// Another volume: drive T:, or a folder on drive C: that is another file system (a share of the
// same server, a volume mounted in a folder): one drive letter, yet a rename cannot cross it.
enum class OtherVolume { driveLetter, mountedFolder };

class CrossVolume : public ::testing::TestWithParam<OtherVolume> {
protected:
    void SetUp() override {
        const auto volume = GetParam() == OtherVolume::driveLetter ? test::SecondVolume() : test::MountedFolderOnC();
        if (!volume) GTEST_SKIP() << "needs a second file system (run through ctest)";
        other = *volume / (L"kw-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                           std::to_wstring(reinterpret_cast<uintptr_t>(this) & 0xFFFF));
        fs::create_directories(other);
    }
    void TearDown() override {
        if (!other.empty()) test::RemoveTree(other);
    }
    TempDir dir;
    fs::path other;
};

TEST_P(CrossVolume, MovesFilesAndTreesByCopyThenDelete) {
    WriteFile(dir / L"a.txt", "file");
    WriteFile(dir / L"Tree" / L"x" / L"deep.txt", "deep");
    WriteFile(dir / L"Tree" / L"top.txt", "top");
    fs::create_directories(dir / L"Tree" / L"empty");
    ExpectResult(MoveItem(dir / L"a.txt", other, ConflictPolicy::rename, {}, "X"), "Moved via X", true, false);
    ExpectResult(MoveItem(dir / L"Tree", other, ConflictPolicy::rename, {}, "X"), "Moved via X", true, false);
    EXPECT_EQ(ReadFile(other / L"a.txt"), "file");
    EXPECT_EQ(ReadFile(other / L"Tree" / L"x" / L"deep.txt"), "deep");
    EXPECT_EQ(ReadFile(other / L"Tree" / L"top.txt"), "top");
    EXPECT_TRUE(fs::is_directory(other / L"Tree" / L"empty"));
    EXPECT_FALSE(fs::exists(dir / L"a.txt"));
    EXPECT_FALSE(fs::exists(dir / L"Tree"));
    EXPECT_EQ(test::EntryCount(other), 2u) << "no journal or copy left";
}

// Where there is no Recycle Bin (run by the recycle_without_a_bin test): the old folder is
// deleted first, as ever; what cannot be deleted stays, and the new folder merges into it.
TEST_P(CrossVolume, OverwriteMergesIntoAnExistingFolder) {
    if (!std::getenv("KW_EXPECT_NO_RECYCLE_BIN")) GTEST_SKIP() << "run by the recycle_without_a_bin test";
    WriteFile(dir / L"Tree" / L"same.txt", "new");
    WriteFile(dir / L"Tree" / L"only-new.txt", "n");
    WriteFile(other / L"Tree" / L"same.txt", "old");
    WriteFile(other / L"Tree" / L"only-old.txt", "o");
    // A file inside the old folder is held open, so deleting the old folder fails and the
    // move merges into what is left.
    test::HeldFile held(other / L"Tree" / L"only-old.txt");
    ExpectResult(MoveItem(dir / L"Tree", other, ConflictPolicy::overwrite, {}, "X"),
                 "Moved via X \xE2\x80\x94 replaced (the old one was deleted for good)", true, false);
    EXPECT_EQ(ReadFile(other / L"Tree" / L"same.txt"), "new");
    EXPECT_EQ(ReadFile(other / L"Tree" / L"only-new.txt"), "n");
    EXPECT_FALSE(fs::exists(dir / L"Tree"));
}

TEST_P(CrossVolume, CopiesTreesPast260Characters) {
    fs::path deep = dir / L"Long";
    for (int i = 0; i < 5; ++i) deep /= std::wstring(60, static_cast<wchar_t>(L'p' + i));
    WriteFile(deep / L"leaf.txt", "leaf");
    ExpectResult(MoveItem(dir / L"Long", other / std::wstring(100, L'q'), ConflictPolicy::rename, {}, "X"),
                 "Moved via X", true, false);
    const fs::path moved = other / std::wstring(100, L'q') / fs::relative(deep, dir.Path()) / L"leaf.txt";
    ASSERT_GT(moved.native().size(), 400u);
    EXPECT_EQ(ReadFile(moved), "leaf");
    EXPECT_FALSE(fs::exists(dir / L"Long"));
}

TEST_P(CrossVolume, ReadOnlyFileIsMovedWhole) {
    WriteFile(dir / L"ro.txt", "read only");
    SetFileAttributesW((dir / L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    ExpectResult(MoveItem(dir / L"ro.txt", other, ConflictPolicy::rename, {}, "X"), "Moved via X", true, false);
    EXPECT_EQ(ReadFile(other / L"ro.txt"), "read only");
    EXPECT_FALSE(fs::exists(dir / L"ro.txt"));
    EXPECT_TRUE(GetFileAttributesW((other / L"ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_P(CrossVolume, FailedCopyLeavesTheSourceWholeAndNoPartialTarget) {
    WriteFile(dir / L"Tree" / L"a.txt", "a");
    WriteFile(dir / L"Tree" / L"b.txt", "b");
    test::HeldFile held(dir / L"Tree" / L"b.txt");
    ASSERT_TRUE(held.Held());
    const RouteItemResult r = MoveItem(dir / L"Tree", other, ConflictPolicy::rename, {}, "X");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(ReadFile(dir / L"Tree" / L"a.txt"), "a");
    EXPECT_TRUE(fs::exists(dir / L"Tree" / L"b.txt"));
    EXPECT_TRUE(fs::is_empty(other)) << "no partial copy may be left at the destination";
}

TEST_P(CrossVolume, MovesNamesThatWin32WouldReinterpret) { ExpectReinterpretedNamesMove(dir / L"in", other); }

TEST_P(CrossVolume, UndeletableFolderSourceStaysUnderItsOwnName) {
    WriteFile(dir / L"Tree" / L"a.txt", "a");
    WriteFile(dir / L"Tree" / L"held.txt", "held");
    // Readable, so the copy succeeds; not deletable while open.
    test::HeldFile held(dir / L"Tree" / L"held.txt", test::Sharing::readers);
    ASSERT_TRUE(held.Held());
    const RouteItemResult r = MoveItem(dir / L"Tree", other, ConflictPolicy::rename, {}, "X");
    held.Release();
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(ReadFile(other / L"Tree" / L"held.txt"), "held");
    EXPECT_EQ(ReadFile(other / L"Tree" / L"a.txt"), "a");
    EXPECT_EQ(ReadFile(dir / L"Tree" / L"held.txt"), "held");
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        EXPECT_NE(entry.path().filename().native().rfind(L"~kfpart-", 0), 0u) << "remains hidden under a staging name";
}

// Nothing of the source could be deleted: the copy at the target is taken back, so the failed
// move leaves the item once, where it was.
TEST_P(CrossVolume, UndeletableWholeSourceLeavesNoCopyBehind) {
    WriteFile(dir / L"held.txt", "held file");
    WriteFile(dir / L"Tree" / L"held.txt", "held in a tree");
    for (const fs::path& item : {dir / L"held.txt", dir / L"Tree"}) {
        const fs::path file = item == dir / L"Tree" ? item / L"held.txt" : item;
        test::HeldFile held(file, test::Sharing::readers);
        ASSERT_TRUE(held.Held());
        const RouteItemResult r = MoveItem(item, other, ConflictPolicy::rename, {}, "X");
        held.Release();
        EXPECT_FALSE(r.ok) << PathToUtf8(item);
        EXPECT_FALSE(r.message.empty());
        EXPECT_TRUE(fs::is_empty(other)) << PathToUtf8(item);
    }
    EXPECT_EQ(ReadFile(dir / L"held.txt"), "held file");
    EXPECT_EQ(ReadFile(dir / L"Tree" / L"held.txt"), "held in a tree");
}

TEST_P(CrossVolume, NeverReplacesATakenName) {
    WriteFile(dir / L"a.txt", "mine");
    WriteFile(other / L"a.txt", "theirs");
    const std::error_code ec = MoveToTarget(dir / L"a.txt", other / L"a.txt", false);
    EXPECT_TRUE(ec.value() == ERROR_ALREADY_EXISTS || ec.value() == ERROR_FILE_EXISTS) << ec.value();
    EXPECT_EQ(ReadFile(other / L"a.txt"), "theirs");
    EXPECT_EQ(ReadFile(dir / L"a.txt"), "mine");
    EXPECT_EQ(test::EntryCount(other), 1u);
}

// Saved while it was being moved to another drive (between the copy and the source's deletion,
// where a large item's copy gives an editor time): the source is never deleted unless it is what
// was copied. A file is held, so that a save over it or in its place waits for the move; a file
// another program already had open for writing, or a file inside a folder, is compared instead,
// and when it changed it stays where it was with its new contents, the stale copy taken back.
TEST(MoveAcrossVolumes, ASourceSavedDuringTheMoveIsNeverLost) {
    const auto volume = test::SecondVolume();
    if (!volume) GTEST_SKIP() << "needs drive T: on a second file system (run through ctest)";
    TempDir dir;
    const fs::path out = *volume / (L"kw-saved-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(out);
    WriteFile(dir / L"held.txt", "old text");
    WriteFile(dir / L"log.txt", "old text");
    WriteFile(dir / L"Tree" / L"inner" / L"notes.txt", "old text");
    test::OpenForWriting writer(dir / L"log.txt");
    ASSERT_TRUE(writer.Opened());
    struct Case {
        const wchar_t* item;
        std::function<void(const fs::path&)> save;  // what the user does between copy and deletion
        bool moved;
        const wchar_t* file;  // the file inside the item that was saved
    };
    const Case cases[] = {
        {L"held.txt",
         [](const fs::path& p) {
             EXPECT_FALSE(test::SaveInPlace(p, "new text!")) << "held while it is moved";
             EXPECT_FALSE(test::SaveByReplacing(p, "new text!")) << "held while it is moved";
         },
         true, L""},
        {L"log.txt", [&](const fs::path&) { writer.SaveAndClose("new text!"); }, false, L""},
        {L"Tree", [](const fs::path& p) { ASSERT_TRUE(test::SaveInPlace(p / L"inner" / L"notes.txt", "new text!")); },
         false, L"inner\\notes.txt"},
    };
    for (const Case& c : cases) {
        const fs::path source = dir / c.item;
        // What stands at the target is cleared (here: nothing) once the copy is whole, right before
        // the rename into place: the moment the user saves.
        const std::error_code ec = MoveToTarget(source, out / c.item, false, nullptr, [&] {
            c.save(source);
            return std::error_code();
        });
        const auto saved = [&](const fs::path& item) { return *c.file ? item / c.file : item; };
        if (c.moved) {
            EXPECT_FALSE(ec) << ec.message();
            EXPECT_EQ(ReadFile(saved(out / c.item)), "old text");
            EXPECT_FALSE(fs::exists(source));
        } else {
            EXPECT_TRUE(IsSourceChanged(ec)) << PathToUtf8(source) << ": " << ec.message();
            EXPECT_EQ(ReadFile(saved(source)), "new text!") << "the user's save is kept";
            EXPECT_FALSE(fs::exists(out / c.item)) << "the stale copy is taken back";
        }
    }
    EXPECT_EQ(test::EntryNames(out), std::vector<std::string>{"held.txt"}) << "no staging copy left";
    test::RemoveTree(out);
}

INSTANTIATE_TEST_SUITE_P(Volumes, CrossVolume, ::testing::Values(OtherVolume::driveLetter, OtherVolume::mountedFolder),
                         [](const auto& info) {
                             return info.param == OtherVolume::driveLetter ? std::string("DriveLetter") : std::string("MountedFolder");
                         });

TEST(RecycleItem, SendsTheItemToTheTrash) {
    const auto data = test::FixturePath("xdg-data");
    if (!data) GTEST_SKIP() << "needs a private XDG data folder (run through ctest)";
    TempDir dir;
    const std::wstring name = L"recycle-me-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    WriteFile(dir / name, "bye");
    const RouteItemResult r = RecycleItem(dir / name, "Trash rule");
    ExpectResult(r, "Sent to Recycle Bin via Trash rule", true, false);
    EXPECT_EQ(r.target, "Recycle Bin");
    EXPECT_FALSE(fs::exists(dir / name));
    EXPECT_EQ(ReadFile(*data / L"Trash" / L"files" / name), "bye");

    const RouteItemResult missing = RecycleItem(dir / L"never-there.txt", "Trash rule");
    ExpectResult(missing, "Could not send to Recycle Bin.", false, false);
    EXPECT_EQ(missing.target, "Recycle Bin");
    EXPECT_EQ(SendToRecycleBin(fs::path()), RecycleOutcome::failed);

    // The shell parses plain paths, which would trim "report." to "report" (a sibling) or read
    // "CON.txt" as a device: such names are refused, and neither they nor the sibling go.
    for (const wchar_t* literal : {L"report.", L"report ", L"CON.txt"}) {
        WriteLiteral(dir / literal, "keep me");
        WriteFile(dir / L"report", "the sibling");
        ExpectResult(RecycleItem(dir / literal, "Trash rule"),
                     "Skipped (the Recycle Bin cannot take this name or path as it is \xE2\x80\x94 not deleted).", false, false);
        EXPECT_EQ(ReadLiteral(dir / literal), "keep me") << PathToUtf8(literal);
        EXPECT_EQ(ReadFile(dir / L"report"), "the sibling");
    }
}

// Run by ctest with Wine's trash made impossible (its folder is a plain file): what Windows does
// on a drive without a Recycle Bin, where the shell deletes for good and reports success.
TEST(RecycleWithoutBin, ItemsStayAndTheLogSaysSo) {
    if (!std::getenv("KW_EXPECT_NO_RECYCLE_BIN")) GTEST_SKIP() << "run by the recycle_without_a_bin test";
    TempDir dir;
    WriteFile(dir / L"in" / L"precious.txt", "only copy");
    fs::create_directories(dir / L"in" / L"Folder");
    WriteFile(dir / L"in" / L"Folder" / L"inside.txt", "inside");
    AppSettings s;
    Rule trash = MoveRule("Trash rule", fs::path(), ".txt");
    trash.action = RuleAction::recycle;
    Rule folders = MoveRule("Old folders", fs::path(), "");
    folders.clauses[0].type = ConditionType::any_file;
    folders.action = RuleAction::recycle;
    s.rules = {trash, folders};
    // Through a route job, as the program runs it: on a worker thread of its own.
    std::promise<RouteJobResult> done;
    RouteJob job;
    job.Start(s, {dir / L"in" / L"precious.txt", dir / L"in" / L"Folder"},
              [&](RouteJobResult r) { done.set_value(std::move(r)); }, {});
    const RouteJobResult result = done.get_future().get();
    ASSERT_EQ(result.items.size(), 2u);
    for (const RouteItemResult& r : result.items)
        ExpectResult(r, "Skipped (no Recycle Bin for this item \xE2\x80\x94 not deleted).", false, false);
    EXPECT_EQ(result.failed, 2);
    EXPECT_EQ(ReadFile(dir / L"in" / L"precious.txt"), "only copy");
    EXPECT_EQ(ReadFile(dir / L"in" / L"Folder" / L"inside.txt"), "inside");

    // A replace here deletes the old item for good, as the overwrite policy always did: the plan
    // says so before, the outcome after.
    WriteFile(dir / L"in" / L"report.pdf", "new");
    WriteFile(dir / L"out" / L"report.pdf", "old");
    Rule docs = MoveRule("Docs", dir / L"out");
    docs.conflict = ConflictPolicy::overwrite;
    s.rules = {docs};
    BatchCache planning(s);
    EXPECT_EQ(PlanItem(dir / L"in" / L"report.pdf", planning).outcome.message,
              "Would replace " + PathToUtf8(dir / L"out" / L"report.pdf") +
                  ": the name is taken, overwrite; the old one would be deleted for good");
    const RouteItemResult replaced = Route(dir / L"in" / L"report.pdf", s);
    ExpectResult(replaced, "Moved via Docs \xE2\x80\x94 replaced (the old one was deleted for good)", true, false);
    EXPECT_EQ(replaced.replacedAt, 0u);
    EXPECT_EQ(ReadFile(dir / L"out" / L"report.pdf"), "new");
}

}  // namespace
}  // namespace kw

namespace kw {
namespace {

// A plan predicts routing: each item is planned (nothing moves), then routed, and the two agree
// on the rule, the target and the kind of outcome.
TEST(PlanItem, SaysWhatRoutingThenDoes) {
    TempDir dir;
    const fs::path in = dir / L"in", docs = dir / L"docs", fresh = dir / L"not yet";
    WriteFile(in / L"report.pdf", "new");
    WriteFile(docs / L"report.pdf", "old");
    WriteFile(in / L"notes.pdf", "n");
    WriteFile(docs / L"inside.pdf", "i");
    WriteFile(in / L"keep.txt", "k");
    WriteFile(in / L"song.mp3", "s");
    Rule keep = MoveRule("Keep", "", ".txt");
    keep.action = RuleAction::leave_in_place;
    AppSettings s;
    s.rules = {keep, MoveRule("Music", fresh, ".mp3"), MoveRule("Docs", docs)};

    struct Row {
        fs::path item;
        PlannedFate fate;
        const char* rule;
        fs::path target;
        const char* words;
    };
    const Row rows[] = {
        {in / L"report.pdf", PlannedFate::move, "Docs", docs / L"report (1).pdf", "the name is taken, auto-rename"},
        {docs / L"inside.pdf", PlannedFate::skip, "Docs", docs / L"inside.pdf", "Skipped (already in destination folder)."},
        {in / L"keep.txt", PlannedFate::leave, "Keep", {}, "Left in place (Keep)"},
        {in / L"song.mp3", PlannedFate::move, "Music", fresh / L"song.mp3", "the folder will be created"},
    };
    std::vector<ItemPlan> plans;
    for (const Row& row : rows) {
        BatchCache batch(s);
        plans.push_back(PlanItem(row.item, batch));
    }
    EXPECT_EQ(ReadFile(in / L"report.pdf"), "new");
    EXPECT_FALSE(fs::exists(fresh));
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        const ItemPlan& plan = plans[i];
        SCOPED_TRACE(PathToUtf8(row.item));
        EXPECT_FALSE(plan.nameOnly);
        EXPECT_EQ(plan.outcome.fate, row.fate);
        EXPECT_EQ(plan.decision.ruleName, row.rule);
        EXPECT_NE(plan.outcome.message.find(row.words), std::string::npos) << plan.outcome.message;
        EXPECT_EQ(plan.outcome.target, row.target.empty() ? "" : PathToUtf8(row.target));
        const RouteItemResult routed = Route(row.item, s);
        EXPECT_EQ(routed.rule, row.rule);
        if (!row.target.empty()) {
            EXPECT_EQ(routed.target, PathToUtf8(row.target));
        }
        EXPECT_EQ(routed.ok && !routed.skipped, row.fate == PlannedFate::move) << routed.message;
    }

    // A name alone: the size condition cannot be known, so the plan branches on it.
    Rule big = MoveRule("Big", docs);
    big.clauses[0].type = ConditionType::file_size;
    big.clauses[0].sizeOp = SizeOp::greater;
    s.rules.insert(s.rules.begin(), big);
    BatchCache batch(s);
    const ItemPlan named = PlanItem(in / L"missing.pdf", batch);
    EXPECT_TRUE(named.nameOnly);
    EXPECT_EQ(named.decision.ruleName, "Docs");
    EXPECT_EQ(named.trace.rules[0].standing, RuleStanding::depends);
    EXPECT_EQ(named.trace.rules[0].clauses[0].truth, Truth::unknown);
    ASSERT_EQ(named.branches.size(), 1u);
    EXPECT_EQ(named.branches[0].rule, 0u);
    EXPECT_EQ(named.branches[0].outcome.fate, PlannedFate::move);
}

// Two items of one drop with one name (a camera card's 100CANON\IMG_0001.JPG and
// 101CANON\IMG_0001.JPG): the second never replaces the first, whatever the policy, and the plan
// of the drop says what the batch then does.
TEST(PlanItem, ItemsOfOneBatchWithOneNameKeepEachOtherAndThePlanAgrees) {
    for (const ConflictPolicy policy : {ConflictPolicy::overwrite, ConflictPolicy::rename, ConflictPolicy::skip}) {
        SCOPED_TRACE(static_cast<int>(policy));
        TempDir dir;
        const fs::path photos = dir / L"Photos";
        const fs::path items[] = {dir / L"100CANON" / L"IMG_0001.JPG", dir / L"101CANON" / L"IMG_0001.JPG",
                                  dir / L"102CANON" / L"img_0001.jpg"};
        WriteFile(items[0], "first");
        WriteFile(items[1], "second");
        WriteFile(items[2], "third");
        if (policy != ConflictPolicy::skip) WriteFile(photos / L"IMG_0001.JPG", "there before");
        Rule rule = MoveRule("Photos", photos, ".jpg");
        rule.conflict = policy;
        AppSettings s;
        s.rules = {rule};

        std::vector<ItemPlan> plans;
        {
            BatchCache plan(s);
            for (const fs::path& item : items) plans.push_back(PlanItem(item, plan));
        }
        RouteJobResult routed;
        RouteJob job;
        job.Start(s, {std::begin(items), std::end(items)}, [&](RouteJobResult r) { routed = std::move(r); }, {});
        job.Wait();
        ASSERT_EQ(routed.items.size(), 3u);
        for (size_t i = 0; i < 3; ++i) {
            SCOPED_TRACE(i);
            const RouteItemResult& r = routed.items[i];
            EXPECT_EQ(plans[i].outcome.fate == PlannedFate::move, r.ok && !r.skipped) << plans[i].outcome.message << " / " << r.message;
            EXPECT_EQ(plans[i].outcome.target, r.target) << plans[i].outcome.message;
        }
        if (policy == ConflictPolicy::skip) {
            EXPECT_EQ(ReadFile(photos / L"IMG_0001.JPG"), "first");
            EXPECT_EQ(routed.items[1].message, "Skipped (an earlier item of this batch took that name).");
            EXPECT_EQ(ReadFile(items[2]), "third");
            continue;
        }
        // The first item meets only what was there before: replaced or renamed, as the user asked.
        const bool overwrite = policy == ConflictPolicy::overwrite;
        EXPECT_EQ(ReadFile(photos / L"IMG_0001.JPG"), overwrite ? "first" : "there before");
        EXPECT_EQ(ReadFile(photos / L"IMG_0001 (1).JPG"), overwrite ? "second" : "first");
        EXPECT_EQ(ReadFile(photos / L"IMG_0001 (2).JPG"), overwrite ? "third" : "second");
        if (overwrite) {
            EXPECT_NE(routed.items[1].message.find("an earlier item of this batch took IMG_0001.JPG"), std::string::npos)
                << routed.items[1].message;
            EXPECT_NE(plans[2].outcome.message.find("an earlier item of this batch takes the name"), std::string::npos);
        }
        for (const fs::path& item : items) EXPECT_FALSE(fs::exists(item)) << PathToUtf8(item);
    }
}

}  // namespace
}  // namespace kw
