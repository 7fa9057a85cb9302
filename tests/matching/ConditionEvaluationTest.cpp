#include <gtest/gtest.h>

#include <windows.h>

#include "matching/ConditionEvaluation.h"
#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"
#include "support/FakeClock.h"
#include "support/LiteralFile.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;
using test::FakeClock;
using test::TempDir;

RuleClause Clause(ConditionType type) {
    RuleClause c;
    c.type = type;
    return c;
}

bool Matches(const RuleClause& clause, const fs::path& path, const Clock& clock = SystemClock()) {
    const std::wstring name = ItemFileName(path);
    return ClauseMatches(clause, path, name, ToUtf8(name), clock);
}

TEST(ExtensionCondition, ComparesTheLastExtensionCaseInsensitively) {
    RuleClause clause = Clause(ConditionType::extension);
    clause.extensions = ".JPG; png";
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"C:\\x\\photo.jpg", true},   {L"C:\\x\\PHOTO.PNG", true}, {L"C:\\x\\photo", false},
        {L"C:\\x\\.png", false},       {L"C:\\x\\a.png.txt", false}, {L"C:\\x.png\\a", false},
        {L"C:\\x\\a.png:zone", true},  {L"C:\\x\\", false},           {L"photo.jpg", true},
    };
    for (const auto& [path, expected] : cases) EXPECT_EQ(Matches(clause, path), expected) << ToUtf8(path);

    clause.extensions = "tar.gz";
    EXPECT_FALSE(Matches(clause, L"C:\\a.tar.gz"));
    clause.extensions = "gz";
    EXPECT_TRUE(Matches(clause, L"C:\\a.tar.gz"));
    clause.extensions = ".";
    EXPECT_FALSE(Matches(clause, L"C:\\file."));  // the list never holds a bare "."
    clause.extensions = "";
    EXPECT_FALSE(Matches(clause, L"C:\\a.pdf"));
}

TEST(ExtensionCondition, TestsFoldersByTheirName) {
    TempDir dir;
    fs::create_directory(dir / L"Photos.2024");
    RuleClause clause = Clause(ConditionType::extension);
    clause.extensions = "2024";
    EXPECT_TRUE(Matches(clause, dir / L"Photos.2024"));
}

TEST(SizeCondition, ComparesRealSizesAndCountsFoldersAsEmpty) {
    TempDir dir;
    const fs::path file = dir / L"one mebibyte.bin";
    test::WriteFileOfSize(file, 1048576);
    fs::create_directory(dir / L"folder");

    RuleClause clause = Clause(ConditionType::file_size);
    clause.sizeBytes = 1048576;
    const std::pair<SizeOp, bool> fileCases[] = {
        {SizeOp::greater, false}, {SizeOp::greater_equal, true}, {SizeOp::less, false},
        {SizeOp::less_equal, true}, {SizeOp::equal, true}, {static_cast<SizeOp>(9), false},
    };
    for (const auto& [op, expected] : fileCases) {
        clause.sizeOp = op;
        EXPECT_EQ(Matches(clause, file), expected) << static_cast<int>(op);
    }

    clause.sizeOp = SizeOp::less;
    clause.sizeBytes = 10;
    EXPECT_TRUE(Matches(clause, dir / L"folder"));
    clause.sizeOp = SizeOp::equal;
    clause.sizeBytes = 0;
    EXPECT_TRUE(Matches(clause, dir / L"folder"));
}

TEST(SizeCondition, MissingItemIsFalseForEveryOperator) {
    TempDir dir;
    RuleClause clause = Clause(ConditionType::file_size);
    clause.sizeBytes = 0;
    for (int op = 0; op < 5; ++op) {
        clause.sizeOp = static_cast<SizeOp>(op);
        EXPECT_FALSE(Matches(clause, dir / L"gone.txt")) << op;
        EXPECT_FALSE(Matches(clause, dir / L"no such folder" / L"gone.txt")) << op;
    }
}

TEST(SizeCondition, HandlesLargeThresholdsAndLongPaths) {
    TempDir dir;
    fs::path deep = dir.Path();
    for (int i = 0; i < 6; ++i) deep /= std::wstring(50, static_cast<wchar_t>(L'a' + i));
    const fs::path file = deep / L"small.txt";
    test::WriteFile(file, "12345");
    ASSERT_GT(file.native().size(), 300u);
    RuleClause clause = Clause(ConditionType::file_size);
    clause.sizeOp = SizeOp::equal;
    clause.sizeBytes = 5;
    EXPECT_TRUE(Matches(clause, file));
    clause.sizeOp = SizeOp::less;
    clause.sizeBytes = UINT64_MAX;
    EXPECT_TRUE(Matches(clause, file));
}

TEST(AlphabeticalCondition, KeysOnTheFirstLetterOrDigit) {
    RuleClause clause = Clause(ConditionType::alphabetical);  // A..M
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"apple.txt", true}, {L"Zebra.txt", false}, {L"...mango", true}, {L"-x.txt", false},
        {L"9.txt", false},    {L"!!!", true},        {L"_report.txt", false}, {L"[m] notes", true},
        {L"", true},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(Matches(clause, fs::path(L"C:\\in") / name), expected) << ToUtf8(name);
    }
    EXPECT_EQ(AlphabeticalKey(L"_report.txt"), 'R');
    EXPECT_EQ(AlphabeticalKey(L"2024-plan.doc"), '2');
    EXPECT_EQ(AlphabeticalKey(L"  .-"), 'A');

    clause.alphaFrom = 'M';
    clause.alphaTo = 'A';
    EXPECT_TRUE(Matches(clause, L"C:\\in\\apple.txt"));
    EXPECT_FALSE(Matches(clause, L"C:\\in\\zebra.txt"));

    clause.alphaFrom = '0';
    clause.alphaTo = '9';
    EXPECT_TRUE(Matches(clause, L"C:\\in\\2024-plan.doc"));
}

TEST(AlphabeticalCondition, NonAsciiLettersCompareByTheirLowByte) {
    // U+00C4 (A with diaeresis) is a letter; its low byte 0xC4 is negative as a signed byte.
    EXPECT_EQ(AlphabeticalKey(L"\u00C4rger.txt"), static_cast<signed char>(0xC4));
    RuleClause clause = Clause(ConditionType::alphabetical);
    EXPECT_FALSE(Matches(clause, L"C:\\\u00C4rger.txt"));
    clause.alphaFrom = static_cast<char>(0x80);
    clause.alphaTo = 'A';
    EXPECT_TRUE(Matches(clause, L"C:\\\u00C4rger.txt"));
    // Beyond 8 bits a first letter is in no range: 報 (U+5831) is not '1', П (U+041F) not a control.
    clause.alphaFrom = '\x80';
    clause.alphaTo = '\x7F';
    for (const wchar_t* name : {L"\u5831\u544A\u66F8.pdf", L"\u041F\u0440\u0438\u0432\u0435\u0442.pdf", L"\u0645\u0631\u062D\u0628\u0627.pdf"})
        EXPECT_FALSE(Matches(clause, fs::path(L"C:\\in") / name)) << ToUtf8(name);
}

TEST(KeywordCondition, SearchesTheFileNameOnly) {
    RuleClause clause = Clause(ConditionType::keyword);
    clause.keyword = "inv, Tax return";
    EXPECT_TRUE(Matches(clause, L"C:\\x\\INVOICE-7.pdf"));
    EXPECT_TRUE(Matches(clause, L"C:\\x\\my tax return.pdf"));
    EXPECT_FALSE(Matches(clause, L"C:\\x\\tax-return.pdf"));
    EXPECT_FALSE(Matches(clause, L"C:\\invoices\\a.pdf"));

    clause.keywordCaseSensitive = true;
    EXPECT_FALSE(Matches(clause, L"C:\\x\\INVOICE-7.pdf"));
    EXPECT_TRUE(Matches(clause, L"C:\\x\\inv.pdf"));
    EXPECT_TRUE(Matches(clause, L"C:\\x\\Tax return 2025.pdf"));

    clause.keyword = " ,; ";
    EXPECT_FALSE(Matches(clause, L"C:\\x\\anything"));
    clause.keyword = "\xC3\xA4";  // a non-ASCII keyword matches its exact bytes
    clause.keywordCaseSensitive = false;
    EXPECT_TRUE(Matches(clause, L"C:\\x\\b\u00E4r.txt"));
}

TEST(DateCondition, AgesInWholeDaysWithInclusiveBounds) {
    TempDir dir;
    const fs::path file = dir / L"dated.txt";
    test::WriteFile(file, "x");
    const uint64_t now = test::kMarch9th2026Noon;
    FakeClock clock(now);
    RuleClause clause = Clause(ConditionType::date);
    clause.dateDays = 10;

    struct Case {
        uint64_t ageTicks;
        bool older, newer;
    };
    const Case cases[] = {
        {10 * kTicksPerDay, true, true},           // exactly N days: both
        {10 * kTicksPerDay - 1, false, true},      // 9.99 days counts as 9
        {11 * kTicksPerDay - 1, true, true},       // 10.99 days counts as 10
        {11 * kTicksPerDay, true, false},
        {0, false, true},
    };
    for (const Case& c : cases) {
        test::SetLastWriteTicks(file, now - c.ageTicks);
        clause.dateOp = DateOp::older;
        EXPECT_EQ(Matches(clause, file, clock), c.older) << c.ageTicks;
        clause.dateOp = DateOp::newer;
        EXPECT_EQ(Matches(clause, file, clock), c.newer) << c.ageTicks;
    }

    // Dated in the future: age 0.
    test::SetLastWriteTicks(file, now + 5 * kTicksPerDay);
    clause.dateDays = 0;
    clause.dateOp = DateOp::newer;
    EXPECT_TRUE(Matches(clause, file, clock));
    clause.dateOp = DateOp::older;
    EXPECT_TRUE(Matches(clause, file, clock));
}

TEST(DateCondition, UnreadableItemIsAncient) {
    TempDir dir;
    FakeClock clock(test::kMarch9th2026Noon);
    RuleClause clause = Clause(ConditionType::date);
    clause.dateDays = 100000;
    clause.dateOp = DateOp::older;
    EXPECT_TRUE(Matches(clause, dir / L"missing.txt", clock));
    clause.dateDays = 0;
    clause.dateOp = DateOp::newer;
    EXPECT_FALSE(Matches(clause, dir / L"missing.txt", clock));
}

TEST(DateCondition, ReadsFoldersAndTheChosenTimestamp) {
    TempDir dir;
    const fs::path folder = dir / L"old folder";
    fs::create_directory(folder);
    const uint64_t now = test::kMarch9th2026Noon;
    test::SetLastWriteTicks(folder, now - 40 * kTicksPerDay);
    FakeClock clock(now);
    RuleClause clause = Clause(ConditionType::date);
    clause.dateDays = 30;
    EXPECT_TRUE(Matches(clause, folder, clock));
    // Wine cannot set creation times (they follow the last write), so "created" is checked only
    // for being read from the same attribute query: the folder was just made, not 40 days ago.
    clause.dateField = DateField::created;
    clause.dateOp = DateOp::newer;
    clause.dateDays = 100000;
    EXPECT_TRUE(Matches(clause, folder, clock));
}

// Win32 path parsing turns these last components into devices or trims them; the size and
// the date of the real file must still be read.
TEST(SizeAndDateConditions, ReadNamesThatWin32WouldReinterpret) {
    TempDir dir;
    const uint64_t now = test::kMarch9th2026Noon;
    FakeClock clock(now);
    const std::pair<const wchar_t*, uint64_t> cases[] = {
        {L"CON", 1234},          {L"NUL", 77},           {L"COM1.txt", 4096}, {L"LPT9", 5},
        {L"trailing dot.", 300}, {L"trailing space ", 1}, {L"two dots..", 12},
    };
    for (const auto& [name, size] : cases) {
        const fs::path file = dir / name;
        test::WriteLiteral(file, std::string(size, 'k'));
        test::SetLastWriteTicks(ExtendedPath(file), now - 40 * kTicksPerDay);

        RuleClause sizeIs = Clause(ConditionType::file_size);
        sizeIs.sizeOp = SizeOp::equal;
        sizeIs.sizeBytes = size;
        EXPECT_TRUE(Matches(sizeIs, file, clock)) << ToUtf8(name);
        sizeIs.sizeBytes = size + 1;
        EXPECT_FALSE(Matches(sizeIs, file, clock)) << ToUtf8(name);

        RuleClause date = Clause(ConditionType::date);
        date.dateDays = 30;
        date.dateOp = DateOp::older;
        EXPECT_TRUE(Matches(date, file, clock)) << ToUtf8(name);
        date.dateDays = 50;
        EXPECT_FALSE(Matches(date, file, clock)) << ToUtf8(name) << " (an unread date counts as ancient)";
    }
}

TEST(RegexCondition, SearchesTheNameCaseSensitivelyInEcmaScriptSyntax) {
    RuleClause clause = Clause(ConditionType::regex);
    const std::tuple<const char*, const wchar_t*, bool> cases[] = {
        {"^IMG_\\d+", L"IMG_0042.jpg", true},
        {"^IMG_\\d+", L"x_IMG_1.jpg", false},
        {"img", L"IMG.jpg", false},
        {"([", L"anything", false},
        {"", L"anything", false},
        {"^.{2}$", L"\u00E4b", true},  // a character is one character, whatever its UTF-8 length
        {"^[\\u00e4]b$", L"\u00E4b", true},  // \u escapes as ECMAScript writes them
        {"(?i)img", L"IMG.jpg", true},  // inline options are honoured
        {"a++b", L"aab", true},         // and so is what PCRE2 adds to ECMAScript
        {"(x)?\\1y", L"y", true},      // a back reference to a group that took no part is empty
        {"pdf$", L"C.pdf", true},
        {"folder", L"a.txt", false},     // never the folder part
    };
    for (const auto& [pattern, name, expected] : cases) {
        clause.regex = pattern;
        EXPECT_EQ(Matches(clause, fs::path(L"C:\\folder") / name), expected) << pattern;
    }
}

TEST(ClauseMatches, AnyFileHoldsAndUnknownTypesDoNot) {
    EXPECT_TRUE(Matches(Clause(ConditionType::any_file), L"C:\\missing\\x"));
    EXPECT_FALSE(Matches(Clause(static_cast<ConditionType>(42)), L"C:\\x.pdf"));
}

// A date clause is the one condition that reads the clock, so a counting clock shows whether
// evaluation reached it.
TEST(RuleMatches, StopsAsSoonAsTheResultIsKnown) {
    FakeClock clock(test::kMarch9th2026Noon);
    Rule rule;
    rule.clauses = {Clause(ConditionType::extension), Clause(ConditionType::date)};
    rule.clauses[1].dateDays = 0;  // older than 0 days: always true when evaluated

    rule.combineLogic = CombineLogic::all;
    EXPECT_FALSE(RuleMatches(rule, L"C:\\in\\a.txt", clock));
    EXPECT_EQ(clock.Reads(), 0);
    EXPECT_TRUE(RuleMatches(rule, L"C:\\in\\a.pdf", clock));
    EXPECT_EQ(clock.Reads(), 1);

    rule.combineLogic = CombineLogic::any;
    EXPECT_TRUE(RuleMatches(rule, L"C:\\in\\a.pdf", clock));
    EXPECT_EQ(clock.Reads(), 1);
    EXPECT_TRUE(RuleMatches(rule, L"C:\\in\\a.txt", clock));
    EXPECT_EQ(clock.Reads(), 2);
}

TEST(RuleMatches, CombinesClausesAndIgnoresLogicForASingleClause) {
    Rule rule;
    rule.clauses = {Clause(ConditionType::extension), Clause(ConditionType::keyword)};
    rule.clauses[1].keyword = "invoice";
    rule.combineLogic = CombineLogic::all;
    EXPECT_TRUE(RuleMatches(rule, L"C:\\in\\Invoice 7.pdf"));
    EXPECT_FALSE(RuleMatches(rule, L"C:\\in\\letter.pdf"));
    rule.combineLogic = CombineLogic::any;
    EXPECT_TRUE(RuleMatches(rule, L"C:\\in\\letter.pdf"));
    EXPECT_TRUE(RuleMatches(rule, L"C:\\in\\invoice.txt"));
    EXPECT_FALSE(RuleMatches(rule, L"C:\\in\\letter.txt"));

    rule.clauses.resize(1);
    rule.combineLogic = static_cast<CombineLogic>(5);
    EXPECT_TRUE(RuleMatches(rule, L"C:\\in\\letter.pdf"));

    rule.clauses.clear();
    EXPECT_FALSE(RuleMatches(rule, L"C:\\in\\letter.pdf"));
}

}  // namespace
}  // namespace kw
