#include <gtest/gtest.h>

#include <windows.h>

#include <future>

#include "model/AppFolder.h"
#include "model/TextEncoding.h"
#include "routing/FileTree.h"
#include "routing/ItemActions.h"
#include "routing/JournalKey.h"
#include "routing/JournalSeal.h"
#include "routing/MoveJournal.h"
#include "routing/RouteJob.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The one record a journal of one move holds, if it is whole.
std::optional<MoveJournal> ParseMoveJournal(std::wstring_view text) {
    const JournalFile file = ParseJournalFile(text);
    if (file.moves.size() != 1) return std::nullopt;
    return file.moves[0];
}

MoveJournal SampleJournal() {
    MoveJournal j;
    j.source = L"\\\\?\\C:\\in\\\u041e\u0442\u0447\u0451\u0442 \U0001F4C1 CON.";
    j.target = L"\u041e\u0442\u0447\u0451\u0442 \U0001F4C1 CON. (1)";
    j.aside = L"~kfpart-00000001-0002";
    j.copied = {true, 18446744073709551615ull, 42, 1234567890123ull};
    j.seal = L"00ff";
    return j;
}

TEST(MoveJournal, RoundTripsAndRejectsEveryJournalCutShort) {
    const MoveJournal j = SampleJournal();
    const std::wstring text = FormatMoveJournal(j);
    const auto parsed = ParseMoveJournal(text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->source, j.source);
    EXPECT_EQ(parsed->target, j.target);
    EXPECT_EQ(parsed->aside, j.aside);
    EXPECT_EQ(parsed->copied, j.copied);
    EXPECT_EQ(parsed->seal, j.seal);
    EXPECT_EQ(MoveJournalBody(*parsed), MoveJournalBody(j));
    // A kill while the journal is written leaves a prefix of it: never to be taken for whole.
    for (size_t n = 0; n < text.size(); ++n) EXPECT_FALSE(ParseMoveJournal(text.substr(0, n))) << n;

    for (const auto& [from, to] : {std::pair{L"kind\tfolder", L"kind\tfold"}, {L"entries\t42", L"entries\t4x"},
                                   {L"bytes\t18446744073709551615", L"bytes\t18446744073709551616"},
                                   {L"kfmove 2", L"kfmove 1"}, {L"seal\t", L"seel\t"}, {L"target\t", L"tar\t"},
                                   // Nothing may lead outside the journal's folder or the source's.
                                   {L"target\t", L"target\t..\\"}, {L"aside\t~", L"aside\tx~"},
                                   {L"source\t\\\\?\\", L"source\t"}}) {
        std::wstring damaged = text;
        damaged.replace(damaged.find(from), std::wcslen(from), to);
        EXPECT_FALSE(ParseMoveJournal(damaged)) << ToUtf8(to);
    }
}

// A batch's journal: records one after another, some settled, the last one cut short by a kill.
TEST(MoveJournal, BatchJournalGivesTheWholeRecordsNotYetSettled) {
    MoveJournal first = SampleJournal(), second = SampleJournal(), third = SampleJournal();
    const std::wstring area = L"\\\\?\\T:\\out\\~kfpart-00000001-0001";
    first.copy = area + L"\\~kfpart-00000001-0003";
    second.copy = area + L"\\~kfpart-00000001-0004";
    third.copy = area + L"\\~kfpart-00000001-0005";
    MoveJournal outside = second;
    outside.copy = L"\\\\?\\T:\\out\\~kfpart-00000001-0004";  // not inside a staging folder
    const std::wstring thirdText = FormatMoveJournal(third);
    const std::wstring text = AreaLine({area, L"00ff"}) + AreaLine({L"\\\\?\\T:\\out\\Documents", L"00ff"}) +
                              FormatMoveJournal(first) + FormatMoveJournal(second) + FormatMoveJournal(outside) +
                              SettledLine(first.copy) + thirdText.substr(0, thirdText.size() - 2);
    const JournalFile file = ParseJournalFile(text);
    ASSERT_EQ(file.areas.size(), 1u);  // only staging folders are ever named for clearing
    EXPECT_EQ(file.areas[0].folder, area);
    ASSERT_EQ(file.moves.size(), 1u);
    EXPECT_EQ(file.moves[0].copy, second.copy);
    EXPECT_EQ(MoveJournalBody(file.moves[0]), MoveJournalBody(second));
    EXPECT_EQ(FormatMoveJournal(file.moves[0]), FormatMoveJournal(second));
}

TEST(MoveJournal, NamesItsJournalsAfterTheirStagingCopies) {
    EXPECT_TRUE(IsStagingName(L"~kfpart-0123abcd-00ff"));
    EXPECT_EQ(JournalName(L"~kfpart-0123abcd-00ff"), L"~kfpart-0123abcd-00ff.journal");
    EXPECT_EQ(StagingNameOfJournal(L"~kfpart-0123abcd-00ff.journal"), L"~kfpart-0123abcd-00ff");
    EXPECT_TRUE(IsJournalName(L"~kfpart-0123ABCD-00ff.journal"));
    for (const wchar_t* name : {L"~kfpart-0123abcd-00ff", L"~kfpart-0123abcd-00ff.txt", L"~kfpart-0123abcg-00ff.journal",
                                L"~kfpart-.journal", L"x~kfpart-0123abcd-00ff.journal", L".journal"})
        EXPECT_FALSE(IsJournalName(name)) << ToUtf8(name);
}

// The state a move across volumes leaves when the process is killed after its record was
// written, made the way the move makes it: the batch's staging folder in the destination with a
// whole copy inside, and the batch's journal (in the program's folder) naming the folder and
// holding the record, after a record of an earlier move of the batch that was given up. With
// `renamed`, the copy has already taken its name. `singleMove` leaves the layout of earlier
// versions: the copy under a staging name of its own, with a journal of that one move beside it.
class KilledMove : public ::testing::Test {
protected:
    void Leave(const fs::path& source, bool renamed, bool sealed = true, bool singleMove = false) {
        fs::create_directories(out);
        fs::create_directories(journals);
        const std::wstring batchName = L"~kfpart-0badf00d-0000", copyName = L"~kfpart-0badf00d-0001";
        staging = singleMove ? out / copyName : out / batchName / copyName;
        journal = singleMove ? out / JournalName(copyName) : journals / JournalName(batchName);
        target = out / source.filename();
        fs::create_directories(staging.parent_path());
        ASSERT_FALSE(CopyTree(source, staging, false));
        MoveJournal j;
        ASSERT_FALSE(FingerprintTree(staging, j.copied));
        j.copy = singleMove ? L"" : ExtendedPath(staging);
        j.source = ExtendedPath(source);
        j.target = source.filename().native();
        j.aside = L"~kfpart-0badf00d-0002";
        aside = source.parent_path() / j.aside;
        const auto seal = [&](std::wstring_view body) {
            return (sealKey ? SealJournalWith(*sealKey, body) : SealJournal(body)).value_or(L"");
        };
        if (sealed) j.seal = seal(MoveJournalBody(j));
        std::wstring text;
        if (!singleMove) {
            const std::wstring area = ExtendedPath(out / batchName);
            text += AreaLine({area, sealed ? seal(AreaBody(area)) : L""});
            // An earlier move of the batch, given up: its record must not be acted on.
            MoveJournal earlier = j;
            earlier.copy = area + L"\\~kfpart-0badf00d-0003";
            earlier.target = L"earlier.txt";
            text += FormatMoveJournal(earlier) + SettledLine(earlier.copy);
        }
        text += FormatMoveJournal(j);
        WriteFile(journal, std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
        if (renamed) {
            ASSERT_TRUE(MoveFileExW(staging.c_str(), target.c_str(), 0));
        }
    }
    // What the next batch does first.
    void Settle() { SweepStagingNames(out, SettleMoveJournals(journals)); }
    // Nothing with a staging name may be left in the destination, and no journal.
    void ExpectNoStagingNames() {
        for (const auto& entry : fs::directory_iterator(out))
            EXPECT_NE(entry.path().filename().native().rfind(L"~kfpart-", 0), 0u) << PathToUtf8(entry.path());
        EXPECT_FALSE(fs::exists(journal));
    }

    TempDir dir;
    fs::path out = dir / L"out", journals = dir / L"program", staging, journal, target, aside;
    std::optional<JournalKeyBytes> sealKey;  // sealed under this key instead of the installation's
};

TEST_F(KilledMove, CopyInPlaceFinishesByDeletingTheSource) {
    WriteFile(dir / L"in" / L"report.pdf", "report");
    WriteFile(dir / L"in" / L"Tree" / L"top.txt", "top");
    WriteFile(dir / L"in" / L"Tree" / L"sub" / L"deep.txt", "deep");
    fs::create_directories(dir / L"in" / L"Tree" / L"empty");
    for (const wchar_t* name : {L"report.pdf", L"Tree"}) {
        Leave(dir / L"in" / name, true);
        Settle();
        EXPECT_FALSE(fs::exists(dir / L"in" / name)) << PathToUtf8(name);
        ExpectNoStagingNames();
    }
    EXPECT_EQ(ReadFile(out / L"report.pdf"), "report");
    EXPECT_EQ(ReadFile(out / L"Tree" / L"sub" / L"deep.txt"), "deep");
    EXPECT_TRUE(fs::is_directory(out / L"Tree" / L"empty"));
}

// Starting again after the kill routes the same items: the one at both ends must end once.
TEST_F(KilledMove, NextBatchFinishesItBeforeRoutingTheSameItems) {
    WriteFile(dir / L"in" / L"a.txt", "a");
    WriteFile(dir / L"in" / L"b.txt", "b");
    journals = AppFolder();  // where a batch looks
    Leave(dir / L"in" / L"a.txt", true);
    AppSettings s;
    s.noMatchPolicy = NoMatchPolicy::unsorted;
    s.catchAllPath = PathToUtf8(out);
    RouteJob job;
    std::promise<RouteJobResult> done;
    auto result = done.get_future();
    job.Start(s, {dir / L"in" / L"a.txt", dir / L"in" / L"b.txt"}, [&](RouteJobResult r) { done.set_value(std::move(r)); },
              {});
    ASSERT_EQ(result.wait_for(std::chrono::seconds(60)), std::future_status::ready);
    const RouteJobResult r = result.get();
    EXPECT_EQ(r.items.at(0).message, "Source no longer exists.");
    EXPECT_EQ(r.moved, 1);
    EXPECT_EQ(ReadFile(out / L"a.txt"), "a");
    EXPECT_EQ(ReadFile(out / L"b.txt"), "b");
    EXPECT_EQ(test::EntryCount(out), 2u);
    EXPECT_TRUE(fs::is_empty(dir / L"in"));
}

// A batch asked to stop while it settles (a cancel, a log-off) keeps what it has not settled for
// the next one; and a folder named like a staging folder that a user drops is routed whole, never
// cleared as a leftover, as is one lying in a destination the batch does not use.
TEST_F(KilledMove, SettleStopsWhenAskedAndNeverClearsWhatWasDropped) {
    WriteFile(dir / L"in" / L"a.txt", "a");
    journals = AppFolder();
    Leave(dir / L"in" / L"a.txt", true);
    const fs::path dropped = dir / L"card" / L"~kfpart-12345678-0001";
    WriteFile(dropped / L"photo.jpg", "photo");
    const fs::path elsewhere = dir / L"other" / L"~kfpart-0000aaaa-0001" / L"part.bin";
    WriteFile(elsewhere, "someone's");
    AppSettings s;
    s.rules = {[&] {
        Rule r;
        r.name = "Other";
        r.destination = PathToUtf8(dir / L"other");
        r.clauses[0].extensions = ".zzz";
        return r;
    }()};
    s.noMatchPolicy = NoMatchPolicy::unsorted;
    s.catchAllPath = PathToUtf8(out);
    RouteJob job;
    const auto run = [&](bool stopFirst) {
        BatchHooks hooks;
        if (stopFirst)
            hooks.prepare = [&](std::vector<fs::path> items, const std::atomic<bool>&) {
                job.RequestStop();
                return items;
            };
        RouteJobResult result;
        job.Start(s, {dropped}, [&](RouteJobResult r) { result = std::move(r); }, {}, std::move(hooks));
        job.Wait();
        return result;
    };
    const RouteJobResult stopped = run(true);
    EXPECT_EQ(stopped.notHandled, 1);
    EXPECT_TRUE(fs::exists(journal)) << "nothing settled after the stop";
    EXPECT_EQ(ReadFile(dir / L"in" / L"a.txt"), "a");

    const RouteJobResult routed = run(false);
    ASSERT_EQ(routed.items.size(), 1u);
    EXPECT_TRUE(routed.items[0].ok) << routed.items[0].message;
    EXPECT_EQ(ReadFile(out / dropped.filename() / L"photo.jpg"), "photo");
    EXPECT_FALSE(fs::exists(dir / L"in" / L"a.txt")) << "the killed move is finished";
    EXPECT_FALSE(fs::exists(journal));
    EXPECT_EQ(ReadFile(elsewhere), "someone's");
    // The finished move is told in the log, since the killed batch never reported it.
    ASSERT_EQ(routed.notes.size(), 1u);
    EXPECT_NE(routed.notes[0].find("finished after the program was stopped"), std::string::npos) << routed.notes[0];
}

// A stick that is out when the next batch settles: its items are not "gone", and the move is
// finished once it is back.
TEST_F(KilledMove, RecordOnADriveThatIsNotThereWaitsForIt) {
    const auto stick = test::StickFolder();
    if (!stick) GTEST_SKIP() << "needs drive V: (run through ctest)";
    const fs::path pulled = stick->parent_path() / L"stick-out";
    WriteFile(*stick / L"a.txt", "on the stick");
    Leave(L"V:\\a.txt", true);
    ASSERT_TRUE(MoveFileExW(stick->c_str(), pulled.c_str(), 0));
    ASSERT_EQ(GetFileAttributesW(L"V:\\"), INVALID_FILE_ATTRIBUTES) << "the stick is out";
    Settle();
    EXPECT_TRUE(fs::exists(journal)) << "the record waits";

    ASSERT_TRUE(MoveFileExW(pulled.c_str(), stick->c_str(), 0));
    EXPECT_EQ(ReadFile(*stick / L"a.txt"), "on the stick");
    Settle();
    EXPECT_FALSE(fs::exists(*stick / L"a.txt")) << "the move is finished";
    EXPECT_EQ(ReadFile(target), "on the stick");
    ExpectNoStagingNames();
}

// FAT and exFAT keep times to 2 s: a copy there differs from its source in its time alone, and a
// move cut short after its rename is still finished (bytes are the proof).
TEST_F(KilledMove, CopyWithTheTimeAFatVolumeKeepsIsFinished) {
    const fs::path file = dir / L"in" / L"photo.jpg";
    WriteFile(file, "photo");
    test::SetLastWriteTicks(file, 133000000012345678ull);
    Leave(file, true);
    test::SetLastWriteTicks(target, 133000000000000000ull);  // rounded down to the even second
    Settle();
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(ReadFile(target), "photo");
    ExpectNoStagingNames();
}

// On FAT a daylight-saving change shifts every stored time by an hour; a rounded time moves by up
// to 2 s. Neither is a change; anything else is, and other file systems keep times exactly.
TEST(SameFingerprint, ToleratesWhatFatDoesToTimesAndNothingElse) {
    constexpr uint64_t kSecond = 10'000'000, kHour = 3600 * kSecond, t = 133000000000000000ull;
    const TreeFingerprint file{false, 5, 1, t};
    struct Row {
        uint64_t now;
        TimeKeeping keeping;
        bool same;
    } rows[] = {
        {t, TimeKeeping::exact, true},          {t + 1, TimeKeeping::exact, false},
        {t + 2 * kSecond, TimeKeeping::fat, true}, {t - 2 * kSecond, TimeKeeping::fat, true},
        {t + 3 * kSecond, TimeKeeping::fat, false}, {t + kHour, TimeKeeping::fat, true},
        {t - kHour + kSecond, TimeKeeping::fat, true}, {t + kHour, TimeKeeping::exact, false},
        {t + 2 * kHour, TimeKeeping::fat, false}, {t + kHour / 2, TimeKeeping::fat, false},
    };
    for (const Row& row : rows) {
        TreeFingerprint now = file;
        now.stamp = row.now;
        EXPECT_EQ(SameFingerprint(file, now, row.keeping), row.same) << (static_cast<int64_t>(row.now - t) / 10'000'000);
    }
    TreeFingerprint bigger = file;
    bigger.bytes = 6;
    EXPECT_FALSE(SameFingerprint(file, bigger, TimeKeeping::fat));
}

TEST_F(KilledMove, CopyNotYetInPlaceIsRemovedAndTheSourceKept) {
    WriteFile(dir / L"in" / L"Tree" / L"a.txt", "a");
    Leave(dir / L"in" / L"Tree", false);
    Settle();
    EXPECT_EQ(ReadFile(dir / L"in" / L"Tree" / L"a.txt"), "a");
    EXPECT_FALSE(fs::exists(target));
    ExpectNoStagingNames();
}

TEST_F(KilledMove, SourceThatNoLongerMatchesTheCopyIsKept) {
    const fs::path file = dir / L"in" / L"notes.txt";
    WriteFile(file, "first");
    Leave(file, true);
    test::SetLastWriteTicks(file, 133000000000000000ull);  // same size, touched since
    Settle();
    EXPECT_EQ(ReadFile(file), "first");
    EXPECT_EQ(ReadFile(target), "first");
    ExpectNoStagingNames();

    // Trees: one file grown at the source, or one missing at the target.
    for (const bool changeSource : {true, false}) {
        const fs::path tree = dir / (changeSource ? L"grown" : L"shrunk") / L"Tree";
        WriteFile(tree / L"a.txt", "a");
        WriteFile(tree / L"sub" / L"b.txt", "b");
        fs::remove_all(out);
        Leave(tree, true);
        if (changeSource) WriteFile(tree / L"sub" / L"b.txt", "bb");
        else fs::remove(target / L"sub" / L"b.txt");
        Settle();
        EXPECT_EQ(ReadFile(tree / L"a.txt"), "a") << changeSource;
        EXPECT_TRUE(fs::exists(tree / L"sub" / L"b.txt")) << changeSource;
        ExpectNoStagingNames();
    }
}

// Anyone who can write into a Downloads folder can leave a journal there naming any file, with a
// decoy of the same size and time as the "finished copy". Neither a journal this installation
// did not seal, nor a sealed one whose copy differs from the source in content, deletes it.
TEST_F(KilledMove, PlantedJournalOrDecoyCopyDeletesNothing) {
    const fs::path victim = dir / L"Documents" / L"thesis.docx";
    WriteFile(victim, "four years of work");
    for (const bool sealed : {false, true}) {
        fs::remove_all(out);
        Leave(victim, true, sealed);
        WriteFile(target, "same size decoy...");
        ASSERT_EQ(fs::file_size(target), fs::file_size(victim));
        TreeFingerprint decoy, original;
        ASSERT_FALSE(FingerprintTree(victim, original));
        test::SetLastWriteTicks(target, original.stamp);
        ASSERT_FALSE(FingerprintTree(target, decoy));
        ASSERT_EQ(decoy, original) << "the decoy must pass the metadata check";
        Settle();
        EXPECT_EQ(ReadFile(victim), "four years of work") << sealed;
        EXPECT_FALSE(fs::exists(aside));
    }
    // A journal is sealed under this installation's key, and a changed body breaks the seal.
    const auto seal = SealJournal(L"body");
    ASSERT_TRUE(seal);
    EXPECT_TRUE(SealHolds(L"body", *seal));
    EXPECT_FALSE(SealHolds(L"body!", *seal));
    EXPECT_FALSE(SealHolds(L"body", L""));
}

TEST_F(KilledMove, SourceRenamedAsideIsDeleted) {
    WriteFile(dir / L"in" / L"a.txt", "a");
    WriteFile(dir / L"in" / L"Tree" / L"b.txt", "b");
    for (const wchar_t* name : {L"a.txt", L"Tree"}) {
        const fs::path source = dir / L"in" / name;
        Leave(source, true);
        ASSERT_TRUE(MoveFileExW(source.c_str(), aside.c_str(), 0));  // the deletion had begun
        Settle();
        EXPECT_FALSE(fs::exists(aside)) << PathToUtf8(name);
        EXPECT_FALSE(fs::exists(source)) << PathToUtf8(name);
        ExpectNoStagingNames();
    }
    EXPECT_EQ(ReadFile(out / L"a.txt"), "a");
    EXPECT_EQ(ReadFile(out / L"Tree" / L"b.txt"), "b");
}

TEST_F(KilledMove, CopyWhoseSourceVanishedTakesItsName) {
    const fs::path file = dir / L"in" / L"only.txt";
    WriteFile(file, "only copy");
    Leave(file, false);
    fs::remove(file);
    Settle();
    EXPECT_EQ(ReadFile(target), "only copy");
    ExpectNoStagingNames();

    // When its name is taken meanwhile, the copy stays with its record, also from a batch that
    // spells the destination through another drive letter (when the machine has one mapped).
    WriteFile(file, "only copy");
    Leave(file, false);
    fs::remove(file);
    WriteFile(target, "someone else's");
    const std::vector<fs::path> spare = SettleMoveJournals(journals);
    EXPECT_TRUE(SweepStagingNames(test::ThroughAliasDrive(out).value_or(out), spare).empty());
    EXPECT_TRUE(SweepStagingNames(out, spare).empty());
    EXPECT_EQ(ReadFile(staging), "only copy");
    EXPECT_EQ(ReadFile(target), "someone else's");
    EXPECT_TRUE(fs::exists(journal));
}

// A key file damaged since journals were sealed with it (cut short here) is set aside, never
// deleted, and a new key made; the old key's journal is then acted on in no way: its copy, the
// only one left once the source is gone, stays in its staging folder, and the journal stays.
TEST_F(KilledMove, DamagedKeyIsReplacedAndItsJournalsLeftAlone) {
    const fs::path keyFile = journals / L"journal.key";
    fs::create_directories(journals);
    const JournalKeyFile first = LoadJournalKey(journals);
    ASSERT_EQ(first.state, KeyFileState::created);
    ASSERT_TRUE(first.key);
    sealKey = first.key;
    const fs::path file = dir / L"in" / L"only.txt";
    WriteFile(file, "only copy");
    Leave(file, false);
    fs::remove(file);
    const std::string damaged = ReadFile(keyFile).substr(0, 31);
    WriteFile(keyFile, damaged);

    const JournalKeyFile replaced = LoadJournalKey(journals);
    EXPECT_EQ(replaced.state, KeyFileState::replaced);
    ASSERT_TRUE(replaced.key);
    EXPECT_NE(*replaced.key, *first.key);
    EXPECT_EQ(replaced.setAside.parent_path(), journals);
    EXPECT_EQ(PathToUtf8(replaced.setAside.filename()).rfind("journal.key.damaged-", 0), 0u);
    EXPECT_EQ(ReadFile(replaced.setAside), damaged);
    EXPECT_EQ(fs::file_size(keyFile), 32u);
    EXPECT_EQ(LoadJournalKey(journals).state, KeyFileState::sound);

    // This process seals with its own key, which is not the old one either.
    Settle();
    EXPECT_EQ(ReadFile(staging), "only copy");
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(fs::exists(journal));
}

TEST_F(KilledMove, JournalCutShortMeansTheRenameNeverHappened) {
    const fs::path file = dir / L"in" / L"a.txt";
    WriteFile(file, "a");
    for (const bool singleMove : {false, true}) {
        Leave(file, false, true, singleMove);
        const std::string text = ReadFile(journal);
        WriteFile(journal, std::string_view(text).substr(0, text.size() - 6));
        Settle();
        EXPECT_EQ(ReadFile(file), "a");
        EXPECT_FALSE(fs::exists(target));
        if (!singleMove) {
            ExpectNoStagingNames();
            continue;
        }
        // An earlier version's journal of one move, cut short, proves nothing about its copy:
        // the copy is left where it is and reported.
        EXPECT_EQ(SweepStagingNames(out), std::vector<fs::path>{PlainPath(staging)});
        fs::remove_all(out);
    }
}

// Journals of one move, as earlier versions left them, are settled as before.
TEST_F(KilledMove, JournalOfOneMoveFromAnEarlierVersionIsFinished) {
    const fs::path file = dir / L"in" / L"a.txt";
    WriteFile(file, "a");
    Leave(file, true, true, true);
    EXPECT_TRUE(SweepStagingNames(out).empty());
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(ReadFile(target), "a");
    ExpectNoStagingNames();
}

}  // namespace
}  // namespace kw
