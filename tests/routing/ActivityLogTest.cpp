#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <random>
#include <thread>

#include "routing/ActivityLog.h"
#include "routing/LogLinePaths.h"
#include "routing/LogSearch.h"
#include "support/FakeClock.h"
#include "support/HeldFile.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const test::FakeClock kClock(0, LocalTime{2026, 3, 9, 14, 5, 1});

// What reading the whole file line by line gives.
std::vector<std::string> NaiveTail(const std::string& text, size_t max) {
    std::vector<std::string> all;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) all.push_back(line);
        start = end + 1;
    }
    if (all.size() > max) all.erase(all.begin(), all.end() - static_cast<ptrdiff_t>(max));
    return all;
}

TEST(ActivityLog, AppendsTimestampedLinesAndReturnsThem) {
    TempDir dir;
    const ActivityLog log(dir / L"activity.log", kClock);
    EXPECT_EQ(log.Timestamp(), "2026-03-09 14:05:01");
    EXPECT_FALSE(fs::exists(log.LogFilePath()));
    EXPECT_EQ(log.Append("Received 3 dropped item(s)."), "2026-03-09 14:05:01 | Received 3 dropped item(s).");
    EXPECT_EQ(log.Append("[ok] C:\\a \xE2\x80\x94 b"), "2026-03-09 14:05:01 | [ok] C:\\a \xE2\x80\x94 b");
    EXPECT_EQ(ReadFile(log.LogFilePath()),
              "2026-03-09 14:05:01 | Received 3 dropped item(s).\n2026-03-09 14:05:01 | [ok] C:\\a \xE2\x80\x94 b\n");
}

TEST(ActivityLog, AppendWhileAnotherProgramLocksTheFile) {
    TempDir dir;
    const ActivityLog log(dir / L"activity.log", kClock);
    WriteFile(log.LogFilePath(), "before\n");
    test::HeldFile lock(log.LogFilePath());
    ASSERT_TRUE(lock.Held());
    EXPECT_EQ(log.Append("while locked"), "2026-03-09 14:05:01 | while locked");
    lock.Release();
    EXPECT_EQ(ReadFile(log.LogFilePath()), "before\n");
    log.Append("after");
    EXPECT_EQ(ReadFile(log.LogFilePath()), "before\n2026-03-09 14:05:01 | after\n");
}

// Clearing keeps the log aside under the minute of the clear (a second clear in that minute takes
// the next number) and leaves an empty log; a cleared log comes back in front of what was logged
// since. The newest five cleared logs stay, and only names of that form are ever removed. A log
// another program holds is not cleared at all.
TEST(ActivityLog, ClearKeepsTheLogAsideAndBringBackPutsItInFront) {
    TempDir dir;
    const ActivityLog log(dir / L"activity.log", kClock);
    log.Append("one");
    const ClearedLog first = log.Clear();
    ASSERT_FALSE(first.error) << first.error.message();
    EXPECT_EQ(first.aside, dir / L"activity-2026-03-09-1405.log");
    EXPECT_EQ(ReadFile(first.aside), "2026-03-09 14:05:01 | one\n");
    EXPECT_TRUE(fs::exists(log.LogFilePath()));
    EXPECT_EQ(fs::file_size(log.LogFilePath()), 0u);
    std::vector<std::string> lines{"stale"};
    log.LoadTail(lines, 500);
    EXPECT_TRUE(lines.empty());

    log.Append("two");
    const ClearedLog second = log.Clear();
    EXPECT_EQ(second.aside, dir / L"activity-2026-03-09-1405-2.log");
    EXPECT_EQ(log.LineCount(), 0u);
    log.Append("three");
    EXPECT_FALSE(log.BringBack(first.aside));
    EXPECT_EQ(ReadFile(log.LogFilePath()), "2026-03-09 14:05:01 | one\n2026-03-09 14:05:01 | three\n");
    EXPECT_EQ(log.LineCount(), 2u);
    EXPECT_FALSE(fs::exists(first.aside));
    EXPECT_TRUE(log.BringBack(first.aside)) << "brought back once only";
    EXPECT_EQ(log.LineCount(), 2u);

    WriteFile(dir / L"activity-notes.log", "mine");
    WriteFile(dir / L"activity-2026-04-01-0930.txt", "mine too");
    for (int day = 1; day <= 7; ++day) {
        log.Append("day " + std::to_string(day));
        EXPECT_FALSE(SetLogAside(log.LogFilePath(), LocalTime{2026, 4, day, 9, 30, 0}).error);
    }
    EXPECT_EQ(test::EntryNames(dir.Path()),
              (std::vector<std::string>{"activity-2026-04-01-0930.txt", "activity-2026-04-03-0930.log",
                                        "activity-2026-04-04-0930.log", "activity-2026-04-05-0930.log",
                                        "activity-2026-04-06-0930.log", "activity-2026-04-07-0930.log",
                                        "activity-notes.log", "activity.log"}));
    EXPECT_EQ(ReadFile(dir / L"activity-2026-04-07-0930.log"), "2026-03-09 14:05:01 | day 7\n");

    log.Append("held");
    test::HeldFile held(log.LogFilePath());
    ASSERT_TRUE(held.Held());
    const ClearedLog refused = log.Clear();
    EXPECT_TRUE(refused.error);
    EXPECT_TRUE(refused.aside.empty());
    held.Release();
    EXPECT_EQ(ReadFile(log.LogFilePath()), "2026-03-09 14:05:01 | held\n");
}

TEST(ActivityLog, TailToleratesForeignLineEndings) {
    TempDir dir;
    const ActivityLog log(dir / L"activity.log", kClock);
    std::vector<std::string> lines{"stale"};
    log.LoadTail(lines, 500);
    EXPECT_TRUE(lines.empty());  // no file yet

    WriteFile(log.LogFilePath(), "a\r\n\r\n\nb\rc\r\n\n  \nlast");
    log.LoadTail(lines, 500);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b\rc", "  ", "last"}));
    log.LoadTail(lines, 2);
    EXPECT_EQ(lines, (std::vector<std::string>{"  ", "last"}));
}

TEST(ActivityLog, TailKeepsTheLast500InFileOrder) {
    TempDir dir;
    const ActivityLog log(dir / L"activity.log", kClock);
    std::string text;
    for (int i = 1; i <= 600; ++i) text += "line " + std::to_string(i) + "\n";
    WriteFile(log.LogFilePath(), text);
    std::vector<std::string> lines;
    log.LoadTail(lines, 500);
    ASSERT_EQ(lines.size(), 500u);
    EXPECT_EQ(lines.front(), "line 101");
    EXPECT_EQ(lines.back(), "line 600");
}

// The tail is read from the end in chunks; whatever the chunk boundaries cut, it must equal
// what reading the whole file gives.
TEST(ActivityLog, TailEqualsReadingTheWholeFile) {
    TempDir dir;
    const ActivityLog log(dir / L"activity.log", kClock);
    std::mt19937 random(99);
    for (int round = 0; round < 12; ++round) {
        std::string text;
        const size_t target = 1000 + random() % (400 * 1024);
        while (text.size() < target) {
            const int kind = static_cast<int>(random() % 10);
            if (kind == 0) text += "\n";
            else if (kind == 1) text += "\r\n";
            else if (kind == 2) text += std::string(random() % 70000, 'w') + "\n";  // longer than a chunk
            else text += "entry " + std::to_string(random()) + (kind == 3 ? "\r\n" : "\n");
        }
        if (round % 3 == 0) text += "unterminated";
        WriteFile(log.LogFilePath(), text);
        for (size_t max : {size_t{1}, size_t{7}, size_t{500}, size_t{100000}}) {
            std::vector<std::string> lines;
            log.LoadTail(lines, max);
            EXPECT_EQ(lines, NaiveTail(text, max)) << "round " << round << " max " << max;
        }
    }
}

}  // namespace
}  // namespace kw

namespace kw {
namespace {

TEST(ActivityLog, AppendAllWritesEveryLineWithOneOpen) {
    test::TempDir dir;
    const ActivityLog log(dir / L"activity.log", kClock);
    log.Append("first");
    const std::vector<std::string> lines = log.AppendAll({"[ok] a", "[skip] b", "[fail] c"});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2], "2026-03-09 14:05:01 | [fail] c");
    std::vector<std::string> tail;
    log.LoadTail(tail, 10);
    EXPECT_EQ(tail, (std::vector<std::string>{"2026-03-09 14:05:01 | first", "2026-03-09 14:05:01 | [ok] a",
                                              "2026-03-09 14:05:01 | [skip] b", "2026-03-09 14:05:01 | [fail] c"}));
    EXPECT_TRUE(log.AppendAll({}).empty());
}

// The whole log is searched from its end: a log of several read blocks, lines ending in LF or
// CRLF, a last line without its LF; every match is found once, newest first, and counted; a new
// search forgets the old one's lines; a log that is not there yet finds nothing, and is no error.
TEST(LogSearch, FindsEveryMatchingLineOfTheWholeLogNewestFirst) {
    TempDir dir;
    std::string text;
    std::vector<std::string> expected;  // oldest first
    for (int i = 0; i < 80000; ++i) {
        std::string line = "2026-03-09 14:05:01 | [" + std::string(i % 3 ? "ok" : "left") + "] C:\\In\\file" +
                           std::to_string(i) + (i % 1000 == 7 ? ".NEEDLE" : ".txt");
        if (i % 1000 == 7) expected.push_back(line);
        text += line + (i % 2 ? "\r\n" : "\n");
    }
    text += "2026-03-09 14:05:02 | last needle";  // no LF after it
    expected.push_back("2026-03-09 14:05:02 | last needle");
    ASSERT_GT(text.size(), 3u << 20) << "the log must span several blocks";
    WriteFile(dir / L"activity.log", text);

    int wakes = 0;
    LogSearch search([&wakes] { ++wakes; });
    const auto finish = [&search](std::vector<std::string>& found) {
        for (int i = 0; i < 1000 && search.Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_FALSE(search.Running());
        search.Collect(found);
    };
    std::vector<std::string> found;
    search.Start(dir / L"activity.log", {"needle", 0});
    finish(found);
    EXPECT_EQ(found, std::vector<std::string>(expected.rbegin(), expected.rend()));
    EXPECT_EQ(search.Matched(), expected.size());
    EXPECT_FALSE(search.Failed());
    EXPECT_GE(wakes, 1);

    found.clear();
    search.Start(dir / L"activity.log", {"NEEDLE", 5});  // [left] lines only
    finish(found);
    ASSERT_FALSE(found.empty());
    for (const std::string& line : found) EXPECT_TRUE(LogLineShown(line, "needle", 5)) << line;
    EXPECT_EQ(found.size(), 26u);  // i % 1000 == 7 and i % 3 == 0: 26 of the 80
    EXPECT_EQ(search.Matched(), found.size());

    found.clear();
    search.Start(dir / L"none.log", {"x", 0});
    finish(found);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(search.Matched(), 0u);
    EXPECT_FALSE(search.Failed());
    EXPECT_TRUE(search.Missing());
}

// The paths of an item's log line, as the router writes them: names with brackets, dashes and
// parentheses of their own, a message holding parentheses, an undo, a recovered line.
TEST(LogLinePaths, SourceAndTargetOfEachKindOfItemLine) {
    const struct {
        const char* line;
        const char* source;
        const char* target;
    } cases[] = {
        {"t | [ok] C:\\In\\a.pdf -> D:\\Docs\\a (2).pdf (Moved via Docs (2026))", "C:\\In\\a.pdf", "D:\\Docs\\a (2).pdf"},
        {"t | [skip] C:\\In\\b.txt -> D:\\B\\b.txt (Skipped (already in destination folder).)", "C:\\In\\b.txt",
         "D:\\B\\b.txt"},
        {"t | [left] C:\\In\\Report \xE2\x80\x94 March.txt \xE2\x80\x94 Left in place (No matching rule)",
         "C:\\In\\Report \xE2\x80\x94 March.txt", ""},
        {"t | [ok] C:\\In\\old.exe -> Recycle Bin (Sent to Recycle Bin via Old)", "C:\\In\\old.exe", ""},
        {"t | [undo] [ok] D:\\P\\c.jpg -> \\\\nas\\in\\c.jpg (Put back) \xE2\x80\x94 recovered after an unexpected exit",
         "D:\\P\\c.jpg", "\\\\nas\\in\\c.jpg"},
        {"t | [fail] C:\\In\\d.txt \xE2\x80\x94 Access denied", "C:\\In\\d.txt", ""},
        {"t | Received 5 dropped item(s).", "", ""},
        {"t | Done \xE2\x80\x94 moved 3, left in place 1", "", ""},
    };
    for (const auto& c : cases) {
        const LogLinePaths paths = PathsInLogLine(c.line);
        EXPECT_EQ(paths.source, c.source) << c.line;
        EXPECT_EQ(paths.target, c.target) << c.line;
    }
}

}  // namespace
}  // namespace kw
