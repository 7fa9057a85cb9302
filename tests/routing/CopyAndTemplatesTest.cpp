#include <gtest/gtest.h>

#include <windows.h>

#include "model/TextEncoding.h"
#include "routing/FileTree.h"
#include "routing/ItemActions.h"
#include "routing/ItemPlan.h"
#include "support/Fixtures.h"
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
        ExpectResult(CopyItem(dir / L"in" / L"a.txt", out, ConflictPolicy::overwrite, {}, "C"), "Copied via C", true, false);
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
    ExpectResult(RouteItem(in / L"x.bad", batch), "Skipped (the destination template has an error).", false, true);
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

}  // namespace
}  // namespace kw
