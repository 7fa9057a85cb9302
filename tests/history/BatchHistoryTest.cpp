#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <thread>

#include "history/BatchHistory.h"
#include "history/CrashRecovery.h"
#include "history/HistoryFile.h"
#include "history/MoveIntents.h"
#include "history/Undo.h"
#include "history/UndoOffer.h"
#include "model/Clock.h"
#include "model/TextEncoding.h"
#include "routing/FileTree.h"
#include "routing/ItemActions.h"
#include "routing/MoveStaging.h"
#include "routing/SourceDeletion.h"
#include "support/EditorSave.h"
#include "support/Fixtures.h"
#include "support/TempDir.h"

namespace kw {
namespace {
namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

HistoryItem Moved(uint64_t batch, const fs::path& source, const fs::path& target, ItemIdentities* identities = nullptr) {
    return RecordOf(batch, RouteItemResult{PathToUtf8(source), PathToUtf8(target), "Docs", "Moved via Docs", true, false},
                    identities);
}

// Routes each item to `destination` and records it as the application does (a batch passes
// what it learns of its folders' identities; without them each item is identified in full).
HistoryBatch RouteAndRecord(const fs::path& history, uint64_t id, const std::vector<fs::path>& items,
                            const fs::path& destination, ItemIdentities* identities = nullptr) {
    HistoryBatch batch{id, 1000 + id, 0, {}};
    HistoryFile file(history);
    HistoryWriter writer(file, batch);
    for (const fs::path& item : items) {
        const RouteItemResult r = MoveItem(item, destination, ConflictPolicy::rename, {}, "Docs");
        EXPECT_TRUE(r.ok) << r.message;
        const HistoryItem recorded = Moved(id, item, PathFromUtf8(r.target), identities);
        writer.Add(recorded);
        batch.items.push_back(recorded);
    }
    return batch;
}

TEST(BatchHistory, SurvivesDamagedAndCutLinesAndKeepsTheNewestBatches) {
    TempDir dir;
    const fs::path file = dir / L"history.jsonl";
    WriteFile(dir / L"a.txt", "a");
    WriteFile(dir / L"out" / L"a.txt", "a");
    { HistoryFile h(file); HistoryWriter(h, HistoryBatch{1, 10, 0, {}}).Add(Moved(1, dir / L"a.txt", dir / L"out" / L"a.txt")); }
    // A damaged line, a line torn by another write landing in it, then a line cut short by a
    // kill: each is skipped alone and counted, and the next batch's lines still count.
    WriteFile(dir / L"junk", "");
    std::string text = ReadFile(file) + "{\"item\": 1, \"fate\": \"moved\"\n" +
                       "{\"item\": 1, \"fate\": \"moved\", \"sou{\"logged\": 1}\n{\"item\":1,\"fa";
    WriteFile(file, text);
    { HistoryFile h(file); HistoryWriter(h, HistoryBatch{2, 20, 1, {}}).Add(Moved(2, dir / L"out" / L"a.txt", dir / L"a.txt")); }
    // A watched folder's batch is labelled; a label of the wrong kind costs the label, not the batch.
    HistoryBatch watched{3, 30, 0, {}};
    watched.watchedFolder = "D:\\Downl\xC3\xB6" "ads";
    { HistoryFile h(file); HistoryWriter(h, watched); }
    WriteFile(file, ReadFile(file) + "{\"batch\": 4, \"time\": 40, \"watched\": 5}\n");
    size_t damaged = 0;
    std::vector<HistoryBatch> batches = LoadHistory(file, &damaged);
    EXPECT_EQ(damaged, 3u);
    ASSERT_EQ(batches.size(), 4u);
    EXPECT_FALSE(batches[0].logged) << "the mark inside the torn line is not taken";
    EXPECT_EQ(batches[0].items.size(), 1u);
    EXPECT_EQ(batches[0].watchedFolder, "");
    EXPECT_EQ(batches[2].watchedFolder, watched.watchedFolder);
    EXPECT_EQ(batches[3].watchedFolder, "");
    EXPECT_EQ(batches[1].undoOf, 1u);
    ASSERT_EQ(batches[1].items.size(), 1u);
    EXPECT_EQ(batches[1].items[0].target, PathToUtf8(dir / L"a.txt"));
    TreeFingerprint atTarget;
    ASSERT_FALSE(FingerprintTree(dir / L"out" / L"a.txt", atTarget));
    EXPECT_EQ(batches[0].items[0].moved, atTarget);
    // A last line cut short costs only itself.
    EXPECT_EQ(ParseHistory(ReadFile(file) + "{\"item\": 4, \"fate\": \"mo", &damaged).size(), 4u);
    EXPECT_EQ(damaged, 4u);

    {
        HistoryFile h(file);
        for (uint64_t id = 5; id <= 12; ++id) HistoryWriter(h, HistoryBatch{id, id, 0, {}});
    }
    EXPECT_EQ(HistoryFile(file).Load(10).damaged, 3u);
    batches = LoadHistory(file, &damaged);
    EXPECT_EQ(damaged, 0u) << "the rewrite leaves the damaged lines out";
    ASSERT_EQ(batches.size(), 10u);
    EXPECT_EQ(batches.front().id, 3u);
    EXPECT_EQ(batches.front().watchedFolder, watched.watchedFolder) << "kept by the rewrite";
    EXPECT_EQ(batches.back().id, 12u);
}

// Ids, times and counts are whole numbers as the program writes them. A line holding a fraction,
// a negative number or one past its field's range is damaged like any other and skipped: never
// converted into some other id, time or count.
TEST(BatchHistory, ALineWithANumberTheProgramNeverWritesIsSkipped) {
    const std::string batch = "{\"batch\": 7, \"time\": 70}\n";
    const std::string item = R"({"item": 7, "fate": "moved", "source": "C:\\a", "target": "D:\\a", "rule": "", "message": "",)"
                             R"( "moved": {"kind": "file", "bytes": 1, "entries": 1, "stamp": 5}})" "\n";
    for (const char* damaged : {
             R"({"batch": 134175313417531200000000012000000000, "time": 80})",  // read as a fraction
             R"({"batch": 8, "time": 1e300})",
             R"({"batch": -8, "time": 80})",
             R"({"batch": 8.5, "time": 80})",
             R"({"batch": 8, "time": 80, "undoOf": -1.5})",
             R"({"stopped": 7, "notRouted": 1e300})",
             R"({"stopped": 7, "notRouted": -5})",
             R"({"stopped": 7, "notRouted": 4294967296})",
             R"({"logged": -7})",
             R"({"item": 7, "fate": "recycled", "source": "C:\\b", "target": "Recycle Bin", "recycled": {"at": -1e19}})",
             R"({"item": 7, "fate": "moved", "source": "C:\\b", "target": "D:\\b", "moved": {"kind": "file", "bytes": 1e20, "entries": 1, "stamp": 5}})",
         }) {
        const std::vector<HistoryBatch> batches = ParseHistory(batch + item + damaged + "\n");
        ASSERT_EQ(batches.size(), 1u) << damaged;
        EXPECT_EQ(batches[0].items.size(), 1u) << damaged;
        EXPECT_EQ(batches[0].notRouted, 0) << damaged;
        EXPECT_FALSE(batches[0].logged) << damaged;
    }
}

// The worker appends the running batch's items while the window's thread opens the batches queued
// behind it and marks ended ones logged: through the one writer, every line comes back whole and
// every item in its batch, once, in order.
TEST(HistoryFile, BatchesRecordedFromSeveralThreadsAtOnceAreReadBackWhole) {
    TempDir dir;
    const auto history = std::make_shared<HistoryFile>(dir / L"history.jsonl");
    constexpr int kBatches = 8, kItems = 300;
    const std::string padding(600, 'x');  // long lines, as long paths and messages make them
    const auto source = [&](int batch, int item) {
        return "C:\\in\\" + padding + "\\" + std::to_string(batch) + "-" + std::to_string(item) + ".txt";
    };
    std::vector<std::thread> threads;
    for (int b = 1; b <= kBatches; ++b)
        threads.emplace_back([&, b] {
            BatchRecording recording(history, HistoryBatch{static_cast<uint64_t>(b), 1, 0, {}});
            for (int i = 0; i < kItems; ++i)
                recording.Add(RouteItemResult{source(b, i), "", "", "Left in place (No matching rule)", true, true});
            recording.Stopped(2);
            MarkBatchLogged(*history, static_cast<uint64_t>(b));
            EXPECT_TRUE(recording.Recorded());
        });
    for (std::thread& thread : threads) thread.join();
    size_t damaged = 0;
    std::vector<HistoryBatch> batches = LoadHistory(history->Path(), &damaged);
    EXPECT_EQ(damaged, 0u);
    ASSERT_EQ(batches.size(), static_cast<size_t>(kBatches));
    std::sort(batches.begin(), batches.end(), [](const HistoryBatch& a, const HistoryBatch& b) { return a.id < b.id; });
    for (int b = 1; b <= kBatches; ++b) {
        const HistoryBatch& batch = batches[static_cast<size_t>(b - 1)];
        ASSERT_EQ(batch.items.size(), static_cast<size_t>(kItems)) << "batch " << b;
        for (int i = 0; i < kItems; ++i) ASSERT_EQ(batch.items[static_cast<size_t>(i)].source, source(b, i));
        EXPECT_EQ(batch.notRouted, 2);
        EXPECT_TRUE(batch.logged);
    }
}

// A batch whose lines do not reach the history (a folder gone, a full disk: the full-disk
// fixture's history.jsonl links to /dev/full) is known not to be recorded, so undo is not offered
// for it beyond this session; its items are still known to the session.
TEST(BatchHistory, ABatchThatCouldNotBeWrittenIsKnownNotToBeRecorded) {
    const auto fixture = test::FixturePath("full-disk");
    if (!fixture) GTEST_SKIP() << "needs the full-disk fixture (run through ctest)";
    TempDir dir;
    const RouteItemResult left{PathToUtf8(dir / L"a.txt"), "", "", "Left in place", true, true};
    for (const fs::path& file : {dir / L"history.jsonl", dir / L"gone" / L"history.jsonl", *fixture / L"history.jsonl"}) {
        BatchRecording recording(std::make_shared<HistoryFile>(file), HistoryBatch{1, 10, 0, {}});
        recording.Add(left);
        EXPECT_EQ(recording.Recorded(), file == dir / L"history.jsonl") << PathToUtf8(file);
        EXPECT_EQ(recording.Batch().items.size(), 1u);
    }
    EXPECT_EQ(LoadHistory(dir / L"history.jsonl").size(), 1u);
}

TEST(Undo, PutsFilesAndFoldersBackAndCanItselfBeUndone) {
    TempDir dir;
    const fs::path history = dir / L"history.jsonl";
    WriteFile(dir / L"in" / L"bill.pdf", "bill");
    WriteFile(dir / L"in" / L"Tree" / L"deep" / L"t.txt", "tree");
    std::vector<fs::path> destinations = {dir / L"Docs"};
    if (const auto volume = test::SecondVolume())
        destinations.push_back(*volume / (L"kw-undo-" + std::to_wstring(GetCurrentProcessId())));
    for (const fs::path& destination : destinations) {
        const HistoryBatch batch =
            RouteAndRecord(history, 1, {dir / L"in" / L"bill.pdf", dir / L"in" / L"Tree"}, destination);
        ASSERT_FALSE(fs::exists(dir / L"in" / L"Tree"));
        test::RemoveTree(dir / L"in");  // the original folder is gone too: undo makes it again
        HistoryBatch undo{2, 0, 1, {}};
        for (const UndoStep& step : PlanUndo(batch)) {
            const RouteItemResult r = UndoItem(step);
            EXPECT_TRUE(r.ok) << r.message;
            undo.items.push_back(Moved(2, step.from, step.to));
        }
        EXPECT_EQ(ReadFile(dir / L"in" / L"bill.pdf"), "bill") << PathToUtf8(destination);
        EXPECT_EQ(ReadFile(dir / L"in" / L"Tree" / L"deep" / L"t.txt"), "tree");
        EXPECT_FALSE(fs::exists(destination / L"bill.pdf"));
        // Undo of the undo routes them again; and that is undone in turn, from its own record
        // (across volumes the copies are new objects: the first batch's record no longer fits).
        HistoryBatch redo{3, 0, 2, {}};
        for (const UndoStep& step : PlanUndo(undo)) {
            EXPECT_TRUE(UndoItem(step).ok);
            redo.items.push_back(Moved(3, step.from, step.to));
        }
        EXPECT_EQ(ReadFile(destination / L"Tree" / L"deep" / L"t.txt"), "tree");
        EXPECT_FALSE(fs::exists(dir / L"in" / L"bill.pdf"));
        for (const UndoStep& step : PlanUndo(redo)) EXPECT_TRUE(UndoItem(step).ok);
        if (destination != destinations.front()) test::RemoveTree(destination);
    }
}

// An undo across volumes copies each item back and deletes it where the batch put it once its
// group is committed: an item the user saved there meanwhile stays there, with the new text, and
// no stale copy is left at its old place.
TEST(Undo, AnItemSavedWhileItIsPutBackAcrossVolumesStaysWithItsNewContents) {
    const auto volume = test::SecondVolume();
    if (!volume) GTEST_SKIP() << "needs drive T: on a second file system (run through ctest)";
    TempDir dir;
    const fs::path out = *volume / (L"kw-undo-saved-" + std::to_wstring(GetCurrentProcessId()));
    WriteFile(dir / L"in" / L"notes.txt", "old text");
    WriteFile(dir / L"in" / L"other.txt", "other");
    const HistoryBatch batch =
        RouteAndRecord(dir / L"history.jsonl", 1, {dir / L"in" / L"notes.txt", dir / L"in" / L"other.txt"}, out);
    MoveStaging staging(dir.Path());
    staging.GroupCommits(true);
    const std::vector<UndoStep> steps = PlanUndo(batch);
    test::OpenForWriting writer(out / L"notes.txt");  // an editor that holds its file
    for (const UndoStep& step : steps) EXPECT_TRUE(UndoItem(step, {}, &staging).ok);
    writer.SaveAndClose("new text!");
    const std::vector<std::error_code> outcomes = staging.Commit();
    ASSERT_EQ(outcomes.size(), steps.size());
    for (size_t i = 0; i < steps.size(); ++i)
        EXPECT_EQ(IsSourceChanged(outcomes[i]), steps[i].from.filename() == L"notes.txt") << outcomes[i].message();
    EXPECT_EQ(ReadFile(out / L"notes.txt"), "new text!");
    EXPECT_FALSE(fs::exists(dir / L"in" / L"notes.txt")) << "the stale copy is taken back";
    EXPECT_EQ(ReadFile(dir / L"in" / L"other.txt"), "other");
    EXPECT_FALSE(fs::exists(out / L"other.txt"));
    staging.Close();
    test::RemoveTree(out);
}

// A batch killed with moves not yet in its history (the item in flight, or a group still waiting
// for its commit): the next start records, from the intents the batch wrote before each move,
// every item found at the path it was about to take and gone from where it was; nothing else.
TEST(MoveIntents, TheNextStartRecordsEveryMoveAKillLeftOffTheHistory) {
    TempDir dir;
    const fs::path history = dir / L"history.jsonl";
    for (const wchar_t* name : {L"recorded.txt", L"unrecorded.txt", L"never.txt", L"retried.txt", L"cut.txt"})
        WriteFile(dir / L"in" / name, name == std::wstring(L"never.txt") ? "stays" : "moved");
    WriteFile(dir / L"out" / L"retried.txt", "someone else's");  // the first name tried was taken
    const HistoryBatch batch = RouteAndRecord(history, 7, {dir / L"in" / L"recorded.txt"}, dir / L"out");
    for (const wchar_t* name : {L"unrecorded.txt", L"cut.txt"}) fs::rename(dir / L"in" / name, dir / L"out" / name);
    fs::rename(dir / L"in" / L"retried.txt", dir / L"out" / L"retried (1).txt");
    std::string intents = FormatIntentsHeader(batch);
    for (const wchar_t* name : {L"recorded.txt", L"unrecorded.txt", L"never.txt", L"retried.txt"})
        intents += FormatIntent(dir / L"in" / name, dir / L"out" / name);
    intents += FormatIntent(dir / L"in" / L"retried.txt", dir / L"out" / L"retried (1).txt");
    intents += FormatIntent(dir / L"in" / L"cut.txt", dir / L"out" / L"cut.txt").substr(0, 20);  // cut short
    WriteFile(dir / L"intents-7.txt", intents);
    HistoryFile writer(history);

    EXPECT_EQ(CompleteHistoryFromIntents(writer, dir.Path()), 2u);
    EXPECT_FALSE(fs::exists(dir / L"intents-7.txt"));
    const std::vector<HistoryBatch> all = LoadHistory(history);
    ASSERT_EQ(all.size(), 1u);
    std::vector<std::string> targets;
    for (const HistoryItem& item : all[0].items) targets.push_back(PathToUtf8(PathFromUtf8(item.target).filename()));
    EXPECT_EQ(targets, (std::vector<std::string>{"recorded.txt", "unrecorded.txt", "retried (1).txt"}));
    // What was recorded can be undone.
    for (const UndoStep& step : PlanUndo(all[0])) EXPECT_TRUE(UndoItem(step).ok) << PathToUtf8(step.from);
    EXPECT_EQ(ReadFile(dir / L"in" / L"unrecorded.txt"), "moved");
    EXPECT_EQ(ReadFile(dir / L"out" / L"retried.txt"), "someone else's");

    // A move across volumes cut short with the item whole at both ends waits for the batch that
    // finishes it; the start after that records it.
    WriteFile(dir / L"in" / L"pending.txt", "both");
    WriteFile(dir / L"out" / L"pending.txt", "both");
    HistoryBatch later{8, 2000, 0, {}};
    WriteFile(dir / L"intents-8.txt", FormatIntentsHeader(later) + FormatIntent(dir / L"in" / L"pending.txt", dir / L"out" / L"pending.txt"));
    EXPECT_EQ(CompleteHistoryFromIntents(writer, dir.Path()), 0u);
    fs::remove(dir / L"in" / L"pending.txt");
    EXPECT_EQ(CompleteHistoryFromIntents(writer, dir.Path()), 1u);
    EXPECT_FALSE(fs::exists(dir / L"intents-8.txt"));
    EXPECT_EQ(LoadHistory(history).back().id, 8u) << "its batch line is written with it";
}

// A rename in place (a file, a folder) and a move under a new name, recorded and read back as
// the history file holds them: undo gives each its old name in its old place.
TEST(Undo, PutsRenamedItemsBackUnderTheirOldNameAndPlace) {
    TempDir dir;
    WriteFile(dir / L"in" / L"notes.txt", "notes");
    WriteFile(dir / L"in" / L"Trip.2024" / L"a.jpg", "trip");
    WriteFile(dir / L"in" / L"bill.pdf", "bill");
    AppSettings s;
    s.rules.resize(2);
    s.rules[0].clauses[0].extensions = "txt 2024";  // a folder's "extension" is part of its name
    s.rules[0].action = RuleAction::rename;
    s.rules[0].renameTo = "{name} (old)";
    s.rules[1].renameTo = "{name} 2024";
    s.rules[1].destination = PathToUtf8(dir / L"Docs");
    BatchCache cache(s);
    std::vector<RouteItemResult> results;
    std::string lines = FormatBatchLine(HistoryBatch{1, 1000, 0, {}}) + "\n";
    for (const wchar_t* name : {L"notes.txt", L"Trip.2024", L"bill.pdf"}) {
        results.push_back(RouteItem(dir / L"in" / name, cache));
        lines += FormatItemLine(RecordOf(1, results.back())) + "\n";
    }
    EXPECT_EQ(TallyText(TallyOf(results)), "moved 1, renamed 2");
    EXPECT_EQ(ReadFile(dir / L"in" / L"Trip.2024 (old)" / L"a.jpg"), "trip");
    EXPECT_EQ(ReadFile(dir / L"Docs" / L"bill 2024.pdf"), "bill");
    const HistoryBatch batch = ParseHistory(lines).front();
    ASSERT_EQ(batch.items.size(), 3u);
    EXPECT_EQ(batch.items[0].fate, ItemFate::renamed);
    EXPECT_EQ(batch.items[2].fate, ItemFate::moved);
    for (const UndoStep& step : PlanUndo(batch)) EXPECT_TRUE(UndoItem(step).ok) << PathToUtf8(step.from);
    EXPECT_EQ(ReadFile(dir / L"in" / L"notes.txt"), "notes");
    EXPECT_EQ(ReadFile(dir / L"in" / L"Trip.2024" / L"a.jpg"), "trip");
    EXPECT_EQ(ReadFile(dir / L"in" / L"bill.pdf"), "bill");
    EXPECT_FALSE(fs::exists(dir / L"in" / L"notes (old).txt"));
    EXPECT_FALSE(fs::exists(dir / L"Docs" / L"bill 2024.pdf"));
}

// A copy goes (to the Recycle Bin) only while it is the copy that was made and its original is
// still there: otherwise it may be the only one left.
TEST(Undo, RemovesOnlyUnchangedCopiesWhoseOriginalIsThere) {
    if (!test::FixturePath("xdg-data")) GTEST_SKIP() << "needs a private XDG data folder (run through ctest)";
    TempDir dir;
    HistoryBatch batch{1, 1000, 0, {}};
    ItemIdentities identities;  // as a batch records them: files in the short form where it holds
    for (const wchar_t* name : {L"kept.txt", L"changed.txt", L"orphan.txt"}) {
        WriteFile(dir / L"in" / name, "original");
        const RouteItemResult r = CopyItem(dir / L"in" / name, dir / L"out", ConflictPolicy::rename, {}, "Docs");
        ASSERT_TRUE(r.copied) << r.message;
        batch.items.push_back(RecordOf(1, r, &identities));
    }
    EXPECT_EQ(batch.items[0].fate, ItemFate::copied);
    WriteFile(dir / L"out" / L"changed.txt", "edited since");
    fs::remove(dir / L"in" / L"orphan.txt");
    // Read back as the history file holds them.
    const auto readBack = [](const HistoryBatch& b) {
        std::string text = FormatBatchLine(b) + "\n";
        for (const HistoryItem& item : b.items) text += FormatItemLine(item) + "\n";
        return ParseHistory(text).front();
    };
    std::vector<std::string> messages;
    HistoryBatch undo{2, 2000, 1, {}};
    for (const UndoStep& step : PlanUndo(readBack(batch))) {
        const RouteItemResult r = UndoItem(step);
        messages.push_back(r.message);
        undo.items.push_back(RecordOf(2, r, &identities));
    }
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "Skipped (the original is no longer there \xE2\x80\x94 the copy is kept).",
                            "Skipped (the copy changed since it was made \xE2\x80\x94 left where it is).",
                            "Removed the copy (it is in the Recycle Bin)",
                        }));
    EXPECT_FALSE(fs::exists(dir / L"out" / L"kept.txt"));
    EXPECT_EQ(ReadFile(dir / L"in" / L"kept.txt"), "original");
    EXPECT_EQ(ReadFile(dir / L"out" / L"orphan.txt"), "original");
    // The redo copies again; the original never leaves its folder. Undoing that removes the copy.
    HistoryBatch redo{3, 3000, 2, {}};
    for (const UndoStep& step : PlanUndo(readBack(undo))) {
        const RouteItemResult r = UndoItem(step);
        EXPECT_EQ(r.message, "Copied again");
        redo.items.push_back(RecordOf(3, r, &identities));
    }
    ASSERT_EQ(redo.items.size(), 1u);
    EXPECT_EQ(ReadFile(dir / L"in" / L"kept.txt"), "original");
    EXPECT_EQ(ReadFile(dir / L"out" / L"kept.txt"), "original");
    for (const UndoStep& step : PlanUndo(readBack(redo))) EXPECT_EQ(UndoItem(step).message, "Removed the copy (it is in the Recycle Bin)");
    EXPECT_EQ(ReadFile(dir / L"in" / L"kept.txt"), "original");
    EXPECT_FALSE(fs::exists(dir / L"out" / L"kept.txt"));
}

// An item that replaced one the Recycle Bin took goes back first; then the old one comes out of
// the bin to its place. A redo sends the old one back to the bin before the item returns. Under
// Wine the bin's folder gives no details to find an item by, so a restore from the trash folder
// stands in for the shell's.
TEST(Undo, PutsTheReplacingItemBackThenRestoresTheReplacedOne) {
    const auto data = test::FixturePath("xdg-data");
    if (!data) GTEST_SKIP() << "needs a private XDG data folder (run through ctest)";
    TempDir dir;
    const std::wstring name = L"replaced-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount64()) + L".txt";
    WriteFile(dir / L"in" / name, "new");
    WriteFile(dir / L"out" / name, "old one");
    const RouteItemResult r = MoveItem(dir / L"in" / name, dir / L"out", ConflictPolicy::overwrite, {}, "Docs");
    ASSERT_EQ(r.replacedBytes, 7u) << r.message;
    const HistoryBatch batch{1, 1000, 0, {RecordOf(1, r)}};
    // Read back from its lines, as after a restart.
    const HistoryBatch loaded = ParseHistory(FormatBatchLine(batch) + "\n" + FormatItemLine(batch.items[0]) + "\n").front();
    const std::vector<UndoStep> steps = PlanUndo(loaded);
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_FALSE(steps[0].recycled);
    EXPECT_TRUE(steps[1].recycled);
    EXPECT_EQ(steps[1].to, dir / L"out" / name);
    EXPECT_EQ(steps[1].bytes, 7u);
    EXPECT_EQ(steps[1].deletedAfter, r.replacedAt - 2 * kTicksPerSecond);
    const RecycleRestore restore = [&](const UndoStep& step) {
        std::error_code ignored;
        fs::remove(*data / L"Trash" / L"info" / (step.to.filename().native() + L".trashinfo"), ignored);
        return MoveFileExW((*data / L"Trash" / L"files" / step.to.filename()).c_str(), step.to.c_str(), 0) != 0;
    };
    // Out of order, the old one finds its name taken and stays in the bin.
    EXPECT_EQ(UndoItem(steps[1], restore).message,
              "Skipped (the original name is taken \xE2\x80\x94 left in the Recycle Bin).");
    HistoryBatch undo{2, 2000, 1, {}};
    for (const UndoStep& step : steps) {
        const RouteItemResult u = UndoItem(step, restore);
        EXPECT_TRUE(u.ok) << u.message;
        undo.items.push_back(RecordOf(2, u));
    }
    EXPECT_EQ(ReadFile(dir / L"in" / name), "new");
    EXPECT_EQ(ReadFile(dir / L"out" / name), "old one");
    for (const UndoStep& step : PlanUndo(undo)) {
        const RouteItemResult u = UndoItem(step);
        EXPECT_TRUE(u.ok) << u.message;
    }
    EXPECT_EQ(ReadFile(dir / L"out" / name), "new");
    EXPECT_EQ(ReadFile(*data / L"Trash" / L"files" / name), "old one");
}

// Either form of identity (in full, or a batch's: the folder's volume and the file's 64-bit index)
// tells the item moved from another with the same sizes and times.
TEST(Undo, NeverOverwritesAndLeavesChangedItemsWhereTheyAre) {
    for (const bool batchForm : {false, true}) {
        TempDir dir;
        ItemIdentities identities;
        ItemIdentities* const known = batchForm ? &identities : nullptr;
        const fs::path history = dir / L"history.jsonl";
        for (const wchar_t* name : {L"taken.txt", L"changed.txt", L"replaced.txt", L"gone.txt"})
            WriteFile(dir / L"in" / name, "original");
        const HistoryBatch batch = RouteAndRecord(history, 1,
                                                  {dir / L"in" / L"taken.txt", dir / L"in" / L"changed.txt",
                                                   dir / L"in" / L"replaced.txt", dir / L"in" / L"gone.txt"},
                                                  dir / L"out", known);
        // The test drives report NTFS, whose 64-bit indexes are unique: a batch uses the short form.
        for (const HistoryItem& item : batch.items) EXPECT_EQ(item.identity.size(), batchForm ? 33u : 49u) << item.identity;
        WriteFile(dir / L"in" / L"taken.txt", "a new file of the user's");
        WriteFile(dir / L"out" / L"changed.txt", "edited since");
        fs::remove(dir / L"out" / L"gone.txt");
        // Another file in its place with the same size and time: not the one that was moved.
        TreeFingerprint was;
        ASSERT_FALSE(FingerprintTree(dir / L"out" / L"replaced.txt", was));
        // (Made before the original goes: Linux would hand a file made after it the same inode,
        // which Wine reports as the file id; NTFS ids carry a sequence number against that.)
        WriteFile(dir / L"imposter", "imposter");
        test::SetLastWriteTicks(dir / L"imposter", was.stamp);
        ASSERT_TRUE(MoveFileExW((dir / L"imposter").c_str(), (dir / L"out" / L"replaced.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
        std::vector<std::string> messages;
        for (const UndoStep& step : PlanUndo(batch)) {
            const RouteItemResult r = UndoItem(step, {}, nullptr, known);
            EXPECT_FALSE(r.ok);
            EXPECT_TRUE(r.skipped);
            messages.push_back(r.message);
        }
        EXPECT_EQ(messages, (std::vector<std::string>{
                                "Skipped (no longer where it was put \xE2\x80\x94 nothing to put back).",
                                "Skipped (changed since it was moved \xE2\x80\x94 left where it is).",
                                "Skipped (changed since it was moved \xE2\x80\x94 left where it is).",
                                "Skipped (the original name is taken \xE2\x80\x94 left where it is).",
                            }));
        EXPECT_EQ(ReadFile(dir / L"in" / L"taken.txt"), "a new file of the user's");
        EXPECT_EQ(ReadFile(dir / L"out" / L"taken.txt"), "original");
        EXPECT_EQ(ReadFile(dir / L"out" / L"changed.txt"), "edited since");
    }
}

// Puts back `steps` and records them as the application records an undo batch; `upTo` items only,
// as when the undo is killed after that many.
HistoryBatch UndoAndRecord(const fs::path& history, uint64_t id, uint64_t undoOf, const std::vector<UndoStep>& steps,
                           size_t upTo) {
    BatchRecording recording(std::make_shared<HistoryFile>(history), HistoryBatch{id, 1000 + id, undoOf, {}});
    for (size_t i = 0; i < steps.size() && i < upTo; ++i) recording.Add(UndoItem(steps[i]));
    return recording.Batch();
}

std::vector<HistoryBatch> NewestFirst(const fs::path& history) {
    std::vector<HistoryBatch> all = LoadHistory(history);
    return {all.rbegin(), all.rend()};
}

// An undo killed part-way puts back only the rest when asked again (the items already back stay
// back), the batch then reads as undone, and what "Undo last batch" offers after that is a redo.
TEST(Undo, AnUndoCutShortIsFinishedNotUndone) {
    TempDir dir;
    const fs::path history = dir / L"history.jsonl";
    std::vector<fs::path> items;
    for (int i = 0; i < 5; ++i) {
        items.push_back(dir / L"in" / (L"f" + std::to_wstring(i) + L".txt"));
        WriteFile(items.back(), "content " + std::to_string(i));
    }
    RouteAndRecord(history, 1, items, dir / L"out");
    std::vector<HistoryBatch> batches = NewestFirst(history);
    EXPECT_EQ(LastBatchLabel(LastBatchOffer(batches), "10:14"), "Undo last batch (5 items, 10:14)");
    UndoAndRecord(history, 2, 1, PlanOffer(LastBatchOffer(batches), batches), 2);  // killed after two

    batches = NewestFirst(history);
    const UndoOffer rest = LastBatchOffer(batches);
    EXPECT_EQ(rest.kind, UndoKind::finish);
    EXPECT_EQ(rest.batch, 1u);
    EXPECT_EQ(LastBatchLabel(rest, "10:14"), "Put back the rest (3 items)");
    EXPECT_EQ(ConfirmQuestion(rest, "10:14"), "Put back the other 3 items moved at 10:14?");
    EXPECT_EQ(OfferFor(batches[1], batches).kind, UndoKind::finish);  // the batch's own row says so too
    const std::vector<UndoStep> steps = PlanOffer(rest, batches);
    ASSERT_EQ(steps.size(), 3u);
    UndoAndRecord(history, 3, 1, steps, steps.size());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ReadFile(items[static_cast<size_t>(i)]), "content " + std::to_string(i));
    EXPECT_TRUE(fs::is_empty(dir / L"out"));

    batches = NewestFirst(history);
    const UndoOffer undone = OfferFor(batches.back(), batches);
    EXPECT_EQ(undone.kind, UndoKind::undone);
    EXPECT_EQ(undone.when, batches.front().time);  // by the undo that finished it
    const UndoOffer redo = LastBatchOffer(batches);
    EXPECT_EQ(redo.kind, UndoKind::redo);
    EXPECT_EQ(redo.batch, 3u);
    EXPECT_EQ(LastBatchLabel(redo, "10:20"), "Redo last undo (3 items, 10:20)");
    // Once redone, the undo says so and offers nothing more.
    UndoAndRecord(history, 4, 3, PlanOffer(redo, batches), 3);
    batches = NewestFirst(history);
    EXPECT_EQ(OfferFor(batches[1], batches).kind, UndoKind::redone);
}

// After a crash the batches of the last run that were never marked as logged are found; the mark
// survives the history being pruned, and batches of earlier runs are not logged a second time.
TEST(BatchHistory, BatchesOfTheLastRunWithoutTheirLogLinesAreFound) {
    TempDir dir;
    const fs::path history = dir / L"history.jsonl", marker = dir / L"session.marker";
    EXPECT_EQ(BeginSession(marker, 100), std::nullopt);  // first run
    EndSession(marker);
    EXPECT_EQ(BeginSession(marker, 200), std::nullopt);  // ended cleanly
    WriteFile(dir / L"a.txt", "a");
    HistoryFile file(history);
    for (const uint64_t id : {150u, 210u, 220u, 230u})
        HistoryWriter(file, HistoryBatch{id, id, 0, {}}).Add(Moved(id, dir / L"in" / L"a.txt", dir / L"a.txt"));
    HistoryWriter(file, HistoryBatch{240, 240, 0, {}});  // killed before its first item was done
    MarkBatchLogged(file, 210);
    MarkBatchLogged(file, 150);
    file.Load(4);  // drops 150 and rewrites the rest, marks included
    // Killed: the mark stays, and the next start learns when the killed run began.
    EXPECT_EQ(BeginSession(marker, 300), std::optional<uint64_t>(200));
    std::vector<uint64_t> found;
    for (const HistoryBatch& b : UnloggedBatches(LoadHistory(history), 200)) found.push_back(b.id);
    EXPECT_EQ(found, (std::vector<uint64_t>{220, 230}));
    found.clear();
    for (const HistoryBatch& b : UnloggedBatches(LoadHistory(history), 225)) found.push_back(b.id);
    EXPECT_EQ(found, (std::vector<uint64_t>{230}));
}

}  // namespace
}  // namespace kw
