#include <gtest/gtest.h>

#include <windows.h>

#include <random>

#include "routing/ActivityLog.h"
#include "support/FakeClock.h"
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
    HANDLE lock = CreateFileW(log.LogFilePath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(log.Append("while locked"), "2026-03-09 14:05:01 | while locked");
    CloseHandle(lock);
    EXPECT_EQ(ReadFile(log.LogFilePath()), "before\n");
    log.Append("after");
    EXPECT_EQ(ReadFile(log.LogFilePath()), "before\n2026-03-09 14:05:01 | after\n");
}

TEST(ActivityLog, ClearLeavesAnEmptyFile) {
    TempDir dir;
    const ActivityLog log(dir / L"activity.log", kClock);
    log.Append("one");
    log.Clear();
    EXPECT_TRUE(fs::exists(log.LogFilePath()));
    EXPECT_EQ(fs::file_size(log.LogFilePath()), 0u);
    std::vector<std::string> lines{"stale"};
    log.LoadTail(lines, 500);
    EXPECT_TRUE(lines.empty());
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

}  // namespace
}  // namespace kw
