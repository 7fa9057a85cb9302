#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "model/TextEncoding.h"
#include "routing/FileTree.h"
#include "routing/ItemActions.h"
#include "routing/ItemPlan.h"
#include "support/Fixtures.h"
#include "support/HeldFile.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

void ExpectResult(const RouteItemResult& r, const std::string& message, bool ok, bool skipped) {
    EXPECT_EQ(r.message, message);
    EXPECT_EQ(r.ok, ok) << r.message;
    EXPECT_EQ(r.skipped, skipped) << r.message;
}

// Ticks of a local date at noon (far from any midnight a time zone could move it past).
uint64_t TicksOfLocalDay(WORD year, WORD month, WORD day) {
    SYSTEMTIME local{year, month, 0, day, 12, 0, 0, 0}, utc{};
    TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc);
    FILETIME ft{};
    SystemTimeToFileTime(&utc, &ft);
    return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

// The item stays; its copy meets the destination's names as a move would, on one volume and
// across volumes, for a file and a whole folder.
TEST(CopyItem, CopiesUnderEachConflictPolicyAndKeepsTheItem) {
    TempDir dir;
    std::vector<fs::path> destinations = {dir / L"out"};
    if (const auto volume = test::SecondVolume())
        destinations.push_back(*volume / (L"kw-copy-" + std::to_wstring(GetCurrentProcessId())));
    for (const fs::path& out : destinations) {
        WriteFile(dir / L"in" / L"a.txt", "first");
        WriteFile(dir / L"in" / L"Tree" / L"deep" / L"t.txt", "tree");
        ExpectResult(CopyItem(dir / L"in" / L"a.txt", out, ConflictPolicy::rename, {}, "C"), "Copied via C", true, false);
        ExpectResult(CopyItem(dir / L"in" / L"Tree", out, ConflictPolicy::rename, {}, "C"), "Copied via C", true, false);
        EXPECT_EQ(ReadFile(out / L"Tree" / L"deep" / L"t.txt"), "tree");
        EXPECT_EQ(ReadFile(dir / L"in" / L"Tree" / L"deep" / L"t.txt"), "tree");

        WriteFile(dir / L"in" / L"a.txt", "second");
        const RouteItemResult renamed = CopyItem(dir / L"in" / L"a.txt", out, ConflictPolicy::rename, {}, "C");
        EXPECT_TRUE(renamed.copied);
        EXPECT_EQ(renamed.target, PathToUtf8(out / L"a (1).txt"));
        ExpectResult(CopyItem(dir / L"in" / L"a.txt", out, ConflictPolicy::skip, {}, "C"), "Skipped (name already exists).",
                     false, true);
        EXPECT_EQ(ReadFile(out / L"a.txt"), "first");
        const RouteItemResult replaced = CopyItem(dir / L"in" / L"a.txt", out, ConflictPolicy::overwrite, {}, "C");
        EXPECT_TRUE(replaced.ok && replaced.copied) << replaced.message;
        EXPECT_EQ(ReadFile(out / L"a.txt"), "second");
        EXPECT_EQ(ReadFile(dir / L"in" / L"a.txt"), "second");
        EXPECT_EQ(test::EntryCount(out), 3u) << "no staging copy left";
        test::RemoveTree(out);
        test::RemoveTree(dir / L"in");
    }
}

Rule TemplateRule(const char* name, std::string destination, const char* regex) {
    Rule r;
    r.name = name;
    r.destination = std::move(destination);
    r.clauses[0].type = ConditionType::regex;
    r.clauses[0].regex = regex;
    return r;
}

// Where the old item of a replace went: the trash folder Wine keeps as the Recycle Bin.
std::optional<std::string> InTrash(const std::wstring& name) {
    const auto data = test::FixturePath("xdg-data");
    if (!data || !fs::exists(*data / L"Trash" / L"files" / name)) return std::nullopt;
    return ReadFile(*data / L"Trash" / L"files" / name);
}

// Under the overwrite policy the item already at the target goes to the Recycle Bin (a file or a
// whole folder, by a move or a copy, on one volume or across), and the outcome says so; an item
// held open by another program is not moved, and then nothing is replaced. Under Wine the bin is
// a trash folder; the restore from it is the undo tests' part.
TEST(Replace, TheOldItemGoesToTheRecycleBinFirst) {
    if (!test::FixturePath("xdg-data")) GTEST_SKIP() << "needs a private XDG data folder (run through ctest)";
    TempDir dir;
    const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
    std::vector<fs::path> destinations = {dir / L"out"};
    if (const auto volume = test::SecondVolume()) destinations.push_back(*volume / (L"kw-replace-" + tag));
    for (size_t i = 0; i < destinations.size(); ++i) {
        const fs::path& out = destinations[i];
        SCOPED_TRACE(PathToUtf8(out));
        const std::wstring n = std::to_wstring(i) + L"-" + tag;
        const std::wstring moved = L"moved-" + n + L".txt", copied = L"copied-" + n + L".txt", folder = L"Folder-" + n;
        WriteFile(dir / L"in" / moved, "new move");
        WriteFile(out / moved, "old, 13 bytes");
        WriteFile(dir / L"in" / copied, "new copy");
        WriteFile(out / copied, "old copy");
        WriteFile(dir / L"in" / folder / L"new.txt", "n");
        WriteFile(out / folder / L"old.txt", "o");

        const RouteItemResult m = MoveItem(dir / L"in" / moved, out, ConflictPolicy::overwrite, {}, "P");
        ExpectResult(m, "Replaced via P; the old one is in the Recycle Bin", true, false);
        EXPECT_EQ(ReadFile(out / moved), "new move");
        EXPECT_EQ(InTrash(moved), "old, 13 bytes");
        EXPECT_EQ(m.replacedBytes, 13u);
        EXPECT_GT(m.replacedAt, 0u);
        const RouteItemResult c = CopyItem(dir / L"in" / copied, out, ConflictPolicy::overwrite, {}, "C");
        ExpectResult(c, "Replaced with a copy via C; the old one is in the Recycle Bin", true, false);
        EXPECT_EQ(ReadFile(dir / L"in" / copied), "new copy");
        EXPECT_EQ(ReadFile(out / copied), "new copy");
        EXPECT_EQ(InTrash(copied), "old copy");
        // Wine's one trash folder takes files from another file system but not folders (the shell
        // then asks whether to delete for good); each Windows volume has a bin of its own.
        if (i == 0) {
            ExpectResult(MoveItem(dir / L"in" / folder, out, ConflictPolicy::overwrite, {}, "P"),
                         "Replaced via P; the old one is in the Recycle Bin", true, false);
            EXPECT_TRUE(fs::exists(out / folder / L"new.txt"));
            EXPECT_FALSE(fs::exists(out / folder / L"old.txt"));
            EXPECT_EQ(InTrash(folder + L"\\old.txt"), "o");
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 3) << "no staging copy left";
    }

    // Another program holds the item open without sharing: it cannot move, so the old one stays.
    WriteFile(dir / L"in" / L"held.txt", "held");
    WriteFile(dir / L"out" / L"held.txt", "kept");
    {
        test::HeldFile held(dir / L"in" / L"held.txt", test::Sharing::readers);
        ASSERT_TRUE(held.Held());
        const RouteItemResult r = MoveItem(dir / L"in" / L"held.txt", dir / L"out", ConflictPolicy::overwrite, {}, "P");
        EXPECT_FALSE(r.ok) << r.message;
        EXPECT_EQ(r.replacedAt, 0u);
    }
    EXPECT_EQ(ReadFile(dir / L"out" / L"held.txt"), "kept");
    EXPECT_EQ(ReadFile(dir / L"in" / L"held.txt"), "held");

    // The plan says where the old one would go.
    WriteFile(dir / L"in" / L"plan.pdf", "p");
    WriteFile(dir / L"out" / L"plan.pdf", "q");
    AppSettings s;
    s.rules = {TemplateRule("Docs", PathToUtf8(dir / L"out"), "\\.pdf$")};
    s.rules[0].conflict = ConflictPolicy::overwrite;
    BatchCache planning(s);
    EXPECT_EQ(PlanItem(dir / L"in" / L"plan.pdf", planning).outcome.message,
              "Would replace " + PathToUtf8(dir / L"out" / L"plan.pdf") +
                  ": the name is taken, overwrite; the old one would go to the Recycle Bin");
    for (size_t i = 1; i < destinations.size(); ++i) test::RemoveTree(destinations[i]);
}

// The destination is built from each item, the same way for the router and for its plan; a
// template with an error routes nothing; a batch can copy what its rules would move.
TEST(RouteItem, ResolvesDestinationTemplatesAndCopiesWhenAsked) {
    TempDir dir;
    const fs::path in = dir / L"in";
    WriteFile(in / L"Acme_Invoice_7.pdf", "invoice");
    WriteFile(in / L"IMG_0042.JPG", "photo");
    WriteFile(in / L"x.bad", "bad");
    test::SetLastWriteTicks(in / L"IMG_0042.JPG", TicksOfLocalDay(2024, 5, 17));
    const std::string root = PathToUtf8(dir.Path());
    AppSettings s;
    s.rules = {TemplateRule("Invoices", root + "\\Clients\\{client}", "^(?<client>\\w+?)_Invoice"),
               TemplateRule("Photos", root + "\\Photos\\{modified:yyyy}\\{modified:MM}", "\\.JPG$"),
               TemplateRule("Broken", root + "\\{colour}", "\\.bad$")};

    BatchCache planning(s);
    EXPECT_EQ(PlanItem(in / L"IMG_0042.JPG", planning).outcome.message,
              "Would move via Photos to " + root + "\\Photos\\2024\\05\\IMG_0042.JPG (the folder will be created)");
    BatchCache batch(s);
    ExpectResult(RouteItem(in / L"Acme_Invoice_7.pdf", batch), "Moved via Invoices", true, false);
    EXPECT_EQ(ReadFile(dir / L"Clients" / L"Acme" / L"Acme_Invoice_7.pdf"), "invoice");
    const RouteItemResult photo = RouteItem(in / L"IMG_0042.JPG", batch);
    EXPECT_EQ(photo.target, root + "\\Photos\\2024\\05\\IMG_0042.JPG");
    ExpectResult(RouteItem(in / L"x.bad", batch), "Skipped (the destination template has an error).", false, false);
    EXPECT_EQ(PlanItem(in / L"x.bad", planning).outcome.message, "Skipped (the destination template has an error).");
    EXPECT_TRUE(fs::exists(in / L"x.bad"));

    WriteFile(in / L"Globex_Invoice_1.pdf", "g");
    BatchCache copying(s, BatchOptions{true});
    const RouteItemResult copied = RouteItem(in / L"Globex_Invoice_1.pdf", copying);
    ExpectResult(copied, "Copied via Invoices", true, false);
    EXPECT_TRUE(copied.copied);
    EXPECT_EQ(ReadFile(in / L"Globex_Invoice_1.pdf"), "g");
    EXPECT_EQ(ReadFile(dir / L"Clients" / L"Globex" / L"Globex_Invoice_1.pdf"), "g");
}

// A new name from "Rename to": in the item's own folder (the rename action) and as part of a
// move or copy, under each conflict policy; the plan names the very target routing takes.
TEST(RouteItem, RenamesInPlaceAndAsItMovesUnderEachConflictPolicy) {
    using P = ConflictPolicy;
    constexpr RuleAction kRename = RuleAction::rename, kMove = RuleAction::move, kCopy = RuleAction::copy;
    struct Case {
        RuleAction action;
        const char* renameTo;
        P policy;
        const wchar_t* taken;  // a name already taken where the item goes
        std::string message;
        const wchar_t* ends;  // where the item (or its copy) ends up: "in\..." or "out\..."
    } cases[] = {
        {kRename, "{modified:yyyy-MM-dd} {name}", P::rename, nullptr, "Renamed via R", L"in\\2024-05-17 IMG_1.jpg"},
        {kRename, "{modified:yyyy-MM-dd} {name}", P::rename, L"2024-05-17 IMG_1.jpg", "Renamed via R",
         L"in\\2024-05-17 IMG_1 (1).jpg"},
        {kRename, "{modified:yyyy-MM-dd} {name}", P::skip, L"2024-05-17 IMG_1.jpg", "Skipped (name already exists).",
         L"in\\IMG_1.jpg"},
        {kRename, "{modified:yyyy-MM-dd} {name}", P::overwrite, L"2024-05-17 IMG_1.jpg", "", L"in\\2024-05-17 IMG_1.jpg"},
        {kRename, "{name}", P::overwrite, nullptr, "Left in place (it already has that name).", L"in\\IMG_1.jpg"},
        // Only the case changes: the name "taken" is the item's own, never replaced. (Wine reports
        // such a rename done and keeps the old case; Windows shows "img_1.jpg".)
        {kRename, "img_1", P::overwrite, nullptr, "Renamed via R", L"in\\img_1.jpg"},
        {kRename, "{colour}", P::rename, nullptr, "Skipped (the new name's template has an error).", L"in\\IMG_1.jpg"},
        {kMove, "{name} filed", P::rename, L"IMG_1 filed.jpg", "Moved via R", L"out\\IMG_1 filed (1).jpg"},
        {kMove, "{name} filed", P::skip, L"IMG_1 filed.jpg", "Skipped (name already exists).", L"in\\IMG_1.jpg"},
        {kMove, "{name} filed", P::overwrite, L"IMG_1 filed.jpg", "", L"out\\IMG_1 filed.jpg"},
        {kCopy, "{name}.png", P::rename, nullptr, "Copied via R", L"out\\IMG_1.png"},
    };
    TempDir dir;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const fs::path at = dir / std::to_wstring(i);
        const fs::path item = at / L"in" / L"IMG_1.jpg";
        WriteFile(item, "photo");
        test::SetLastWriteTicks(item, TicksOfLocalDay(2024, 5, 17));
        fs::create_directories(at / L"out");
        const fs::path takenAt = at / (c.action == kRename ? L"in" : L"out") / (c.taken ? c.taken : L"");
        if (c.taken) WriteFile(takenAt, "there before");
        AppSettings s;
        s.rules = {TemplateRule("R", PathToUtf8(at / L"out"), "IMG")};
        s.rules[0].action = c.action;
        s.rules[0].renameTo = c.renameTo;
        s.rules[0].conflict = c.policy;

        BatchCache planning(s);
        const ItemPlan plan = PlanItem(item, planning);
        BatchCache batch(s);
        const RouteItemResult r = RouteItem(item, batch);
        SCOPED_TRACE(std::to_string(i) + ": " + c.renameTo + " -> " + ToUtf8(c.ends));
        if (!c.message.empty()) {
            EXPECT_EQ(r.message, c.message);
        }
        EXPECT_EQ(plan.outcome.target, r.target) << plan.outcome.message;
        EXPECT_EQ(r.renamed, c.action == kRename && r.ok && !r.skipped);
        EXPECT_EQ(ReadFile(at / c.ends), "photo");
        const bool caseOnly = ToUtf8(c.ends) == "in\\img_1.jpg";  // the old name still finds the item
        EXPECT_EQ(fs::exists(item), c.action == kCopy || !r.ok || r.skipped || caseOnly);
        if (c.taken) {
            EXPECT_EQ(ReadFile(takenAt), r.ok && c.policy == P::overwrite ? "photo" : "there before");
        }
        if (i == 0) {
            EXPECT_EQ(plan.outcome.message, "Would rename to 2024-05-17 IMG_1.jpg via R");
        }
    }
}

}  // namespace
}  // namespace kw
