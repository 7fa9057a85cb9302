#include <gtest/gtest.h>

#include "model/WatchedFolder.h"
#include "watch/WatchPolicy.h"

namespace kw {
namespace {

TEST(WatchPolicy, PartialTemporaryHiddenAndSystemItemsAreNeverRouted) {
    const struct {
        const wchar_t* name;
        uint32_t attributes;
        bool never;
    } rows[] = {
        {L"setup.exe.crdownload", 0, true}, {L"movie.mkv.PART", 0, true},   {L"a.partial", 0, true},
        {L"b.download", 0, true},           {L"~$Report.docx", 0, true},    {L"x.Tmp", 0, true},
        {L"desktop.ini", 0x2 | 0x4, true},  {L"notes.txt", 0x2, true},      {L"report.pdf", 0x20, false},
        {L"partial.pdf", 0, false},         {L"tmp", 0, false},             {L"a~$b.txt", 0, false},
        {L"download.zip", 0, false},
    };
    for (const auto& row : rows) EXPECT_EQ(IsNeverRouted(row.name, row.attributes), row.never) << row.name;
}

// A download written for 8 s and a file copied in with an old write time: ready only once two
// looks agree and the last write lies the settle time back.
TEST(WatchPolicy, AnItemSettlesOnlyAfterItsLastWriteAndTwoLooksThatAgree) {
    constexpr int64_t settle = 3000;
    constexpr uint64_t tick = 10000;  // 1 ms in file-time ticks
    const uint64_t t0 = 133000000000000000ull;
    SettleState growing;
    int64_t ms = 0;
    // Looked at whenever it is due, while it grows by a chunk every second until 8 s.
    const auto sizeAt = [](int64_t at) { return static_cast<uint64_t>(std::min<int64_t>(at / 1000, 8)); };
    const auto writtenAt = [&](int64_t at) { return t0 + static_cast<uint64_t>(std::min<int64_t>(at / 1000, 8) * 1000) * tick; };
    int64_t readyAt = -1;
    for (int looks = 0; looks < 20 && readyAt < 0; ++looks) {
        const Sighting now{sizeAt(ms), writtenAt(ms)};
        if (Observe(growing, now, ms, t0 + static_cast<uint64_t>(ms) * tick, settle) == SettleVerdict::ready) readyAt = ms;
        else ms = std::max(ms + 1, growing.dueMs);
    }
    EXPECT_GE(readyAt, 8000 + settle);
    EXPECT_LE(readyAt, 8000 + settle + 1000) << "settle time plus at most a second after the last write";

    // Written long ago: a second look a moment later is all it takes.
    SettleState old;
    const Sighting copied{42, t0};
    const uint64_t later = t0 + 3600ull * 1000 * tick;
    EXPECT_EQ(Observe(old, copied, 0, later, settle), SettleVerdict::wait);
    EXPECT_EQ(old.dueMs, 250);
    EXPECT_EQ(Observe(old, copied, 100, later, settle), SettleVerdict::wait) << "not before it is due";
    EXPECT_EQ(Observe(old, copied, 250, later, settle), SettleVerdict::ready);
    // A write time ahead of the clock counts as a write now.
    SettleState ahead;
    EXPECT_EQ(Observe(ahead, Sighting{1, later}, 0, t0, settle), SettleVerdict::wait);
    EXPECT_EQ(ahead.dueMs, settle);
}

TEST(WatchPolicy, TheLoopGuardKnowsTheLatestItemsInAnySpellingAndForgetsTheOldest) {
    LoopGuard guard(3);
    guard.Note("C:\\In\\a.pdf");
    guard.Note("C:\\In\\b.pdf");
    guard.Note("C:\\In\\a.pdf");  // noted twice: forgotten only with its last noting
    EXPECT_TRUE(guard.Holds("\\\\?\\c:\\in\\A.PDF"));
    EXPECT_TRUE(guard.Holds("C:/In/x/../b.pdf"));
    EXPECT_FALSE(guard.Holds("C:\\In\\c.pdf"));
    guard.Note("C:\\In\\c.pdf");
    guard.Note("C:\\In\\d.pdf");
    EXPECT_FALSE(guard.Holds("C:\\In\\b.pdf"));
    EXPECT_TRUE(guard.Holds("C:\\In\\a.pdf"));
    EXPECT_EQ(guard.Size(), 3u);
    // The keys of a listing are the same keys.
    EXPECT_EQ(FolderKeys("\\\\?\\C:\\In\\").Of(L"a.PDF"), PathKey("c:\\in\\A.pdf"));
    EXPECT_EQ(FolderKeys("E:\\").Of(L"x"), PathKey("E:\\X"));
}

TEST(WatchPolicy, FolderContainment) {
    EXPECT_TRUE(LiesIn("C:\\In", "c:\\in\\a.txt", false));
    EXPECT_FALSE(LiesIn("C:\\In", "C:\\In\\sub\\a.txt", false));
    EXPECT_TRUE(LiesIn("C:\\In", "C:\\In\\sub\\a.txt", true));
    EXPECT_FALSE(LiesIn("C:\\In", "C:\\Inbox\\a.txt", true));
    EXPECT_TRUE(LiesIn("E:\\", "E:\\a.txt", false));
    EXPECT_TRUE(LiesIn("C:\\In\\", "C:\\In", true));
}

TEST(WatchPolicy, WordsShownToTheUser) {
    EXPECT_EQ(GroupedCount(0), "0");
    EXPECT_EQ(GroupedCount(999), "999");
    EXPECT_EQ(GroupedCount(1234), "1,234");
    EXPECT_EQ(GroupedCount(1234567), "1,234,567");
    EXPECT_EQ(ExistingItemsOffer("C:\\Users\\me\\Downloads\\", 1234),
              "Watching Downloads would route 1,234 items that are already there");
    EXPECT_EQ(ExistingItemsOffer("E:\\", 1), "Watching E:\\ would route 1 item that is already there");
    EXPECT_EQ(WatchBatchLine("C:\\Users\\me\\Downloads", 3), "[watch] C:\\Users\\me\\Downloads: 3 item(s)");
    EXPECT_EQ(WatchingSummary(2, false), "Watching 2 folders");
    EXPECT_EQ(WatchingSummary(1, false), "Watching 1 folder");
    EXPECT_EQ(WatchingSummary(3, true), "Paused");
    EXPECT_EQ(WatchingSummary(0, true), "");
}

}  // namespace
}  // namespace kw
