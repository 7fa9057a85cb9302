#include <gtest/gtest.h>

#include <windows.h>

#include "model/TextEncoding.h"
#include "routing/FileTree.h"
#include "routing/NameConflicts.h"
#include "support/FakeClock.h"
#include "support/LiteralFile.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;
using test::TempDir;

const test::FakeClock kMarch9th(0, LocalTime{2026, 3, 9, 14, 5, 31});

AutoRenameOptions Mode(AutoRenameMode mode, std::string prefix = "", std::string suffix = "") {
    return AutoRenameOptions{mode, std::move(prefix), std::move(suffix)};
}

TEST(LetterSequence, CountsInBijectiveBase26) {
    const std::pair<int, const wchar_t*> cases[] = {{1, L"A"},   {26, L"Z"},   {27, L"AA"},   {28, L"AB"},
                                                    {52, L"AZ"}, {53, L"BA"},  {702, L"ZZ"},  {703, L"AAA"},
                                                    {9999, L"NTO"}, {0, L"A"}, {-4, L"A"}};
    for (const auto& [n, letters] : cases) EXPECT_EQ(LetterSequence(n), letters) << n;
}

TEST(CandidateName, BuildsEachStyle) {
    struct Case {
        AutoRenameOptions options;
        int index;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {Mode(AutoRenameMode::numbered), 1, L"report (1).pdf"},
        {Mode(AutoRenameMode::numbered), 2, L"report (2).pdf"},
        {Mode(AutoRenameMode::letters), 1, L"report (A).pdf"},
        {Mode(AutoRenameMode::letters), 27, L"report (AA).pdf"},
        {Mode(AutoRenameMode::date_suffix), 1, L"report_2026-03-09.pdf"},
        {Mode(AutoRenameMode::date_suffix), 2, L"report_2026-03-09 (2).pdf"},
        {Mode(AutoRenameMode::date_prefix), 1, L"2026-03-09_report.pdf"},
        {Mode(AutoRenameMode::date_prefix), 3, L"2026-03-09_report (3).pdf"},
        {Mode(AutoRenameMode::prefix_numbered, "old-"), 1, L"old-report (1).pdf"},
        {Mode(AutoRenameMode::prefix_numbered, ""), 1, L"report (1).pdf"},
        {Mode(AutoRenameMode::suffix_numbered, "", "-dup"), 1, L"report-dup (1).pdf"},
        {Mode(AutoRenameMode::suffix_numbered, "", "\xC3\xA4"), 2, L"report\u00E4 (2).pdf"},
        {Mode(static_cast<AutoRenameMode>(17)), 4, L"report (4).pdf"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CandidateName(L"report", L".pdf", c.index, c.options, kMarch9th), c.expected) << ToUtf8(c.expected);
}

TEST(UniqueTargetPath, PicksTheFirstFreeSibling) {
    TempDir dir;
    const auto touch = [&](const wchar_t* name) { test::WriteFile(dir / name, "x"); };
    const auto unique = [&](const wchar_t* name, AutoRenameOptions options = Mode(AutoRenameMode::numbered)) {
        return UniqueTargetPath(dir / name, options, kMarch9th).filename().wstring();
    };
    EXPECT_EQ(unique(L"free.pdf"), L"free.pdf");

    touch(L"report.pdf");
    touch(L"report (1).pdf");
    EXPECT_EQ(unique(L"report.pdf"), L"report (2).pdf");

    touch(L"archive.tar.gz");
    EXPECT_EQ(unique(L"archive.tar.gz"), L"archive.tar (1).gz");
    touch(L".gitignore");
    EXPECT_EQ(unique(L".gitignore"), L".gitignore (1)");
    // Names are taken literally, as the move writes them: "file." is not "file".
    touch(L"file");
    EXPECT_EQ(unique(L"file."), L"file.");
    test::WriteLiteral(dir / L"file.");
    EXPECT_EQ(unique(L"file."), L"file (1).");
    fs::create_directory(dir / L"Photos");
    fs::create_directory(dir / L"Photos.2024");
    EXPECT_EQ(unique(L"Photos"), L"Photos (1)");
    EXPECT_EQ(unique(L"Photos.2024"), L"Photos (1).2024");

    touch(L"report_2026-03-09.pdf");
    EXPECT_EQ(unique(L"report.pdf", Mode(AutoRenameMode::date_suffix)), L"report_2026-03-09 (2).pdf");
    EXPECT_EQ(unique(L"report.pdf", Mode(AutoRenameMode::prefix_numbered, "old-")), L"old-report (1).pdf");
    EXPECT_EQ(unique(L"report.pdf", Mode(AutoRenameMode::letters)), L"report (A).pdf");
}

TEST(UniqueTargetPath, FallsBackToAnUntestedCopyNameWhenAllCandidatesAreTaken) {
    TempDir dir;
    test::WriteFile(dir / L"r.txt", "x");
    for (int i = 1; i <= kMaxRenameCandidates; ++i) test::WriteFile(dir / (L"r (" + std::to_wstring(i) + L").txt"), "");
    EXPECT_EQ(UniqueTargetPath(dir / L"r.txt", Mode(AutoRenameMode::numbered)), dir / L"r (copy).txt");
    test::WriteFile(dir / L"r (copy).txt", "taken");
    EXPECT_EQ(UniqueTargetPath(dir / L"r.txt", Mode(AutoRenameMode::numbered)), dir / L"r (copy).txt");
}

TEST(TargetExists, TreatsTheNotFoundFamilyAsFree) {
    TempDir dir;
    test::WriteFile(dir / L"file", "x");
    std::error_code error;
    EXPECT_TRUE(TargetExists(dir / L"file", error));
    EXPECT_FALSE(error);
    EXPECT_FALSE(TargetExists(dir / L"none", error));
    EXPECT_FALSE(error);
    EXPECT_FALSE(TargetExists(dir / L"none" / L"deeper", error));
    EXPECT_FALSE(error);
    EXPECT_FALSE(TargetExists(dir / L"file" / L"below a file", error));
    EXPECT_FALSE(error);
    EXPECT_FALSE(TargetExists(dir / L"bad*name?", error));
    EXPECT_FALSE(error);
}

}  // namespace
}  // namespace kw
