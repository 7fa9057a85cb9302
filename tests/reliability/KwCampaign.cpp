// Reliability campaign program: prepares batches of real files and folder trees, routes them
// through the route job exactly as the application does, and checks by content hash that every
// item exists exactly once, whole, at its source or its target. The driver script
// (campaign.sh) kills it at random moments and calls it again to check and to finish the batch.
//
//   KwCampaign prepare <root> <count> <seed>   items in <root>\src, their hashes in <root>\manifest.txt
//   KwCampaign route <root> <destination>      routes everything in <root>\src to <destination>
//   KwCampaign route-cancel <root> <destination> <n>   ... cancelled after n items
//   KwCampaign route-watched <root> <destination>   watches <root>\src, routes what settles there
//   KwCampaign undo <root>                     puts back every routing batch in <root>\history.jsonl
//   KwCampaign route-rewrite <root> <destination>   routes while programs save some of the items
//   KwCampaign verify <root> <destination> [final|back]   final: all at the target; back: all at the source
//   KwCampaign save-loop <folder>              saves two settings documents in turn, for ever
//   KwCampaign check-save <folder>             config.json is exactly one of the two documents
//   KwCampaign hostile <root> <otherVolume> [fullVolume] [stick: the folder drive W: shows]
//   KwCampaign fuzz <seconds> <root>
//   KwCampaign denied prepare|route|verify <root> <otherVolumeFolder>
// Every mode prints one "RESULT" line; the exit code is 0 only when nothing was lost or broken.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <future>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "history/BatchHistory.h"
#include "history/HistoryFile.h"
#include "history/MoveIntents.h"
#include "history/Undo.h"
#include "model/DataFolder.h"
#include "matching/RuleSelection.h"
#include "model/SettingsFile.h"
#include "model/SettingsJson.h"
#include "model/TextEncoding.h"
#include "routing/FileTree.h"
#include "routing/ItemActions.h"
#include "routing/MoveJournal.h"
#include "routing/RouteJob.h"
#include "watch/FolderWatcher.h"
#include "reliability/Campaign.h"
#include "support/EditorSave.h"

namespace fs = std::filesystem;

namespace campaign {

constexpr wchar_t kStagingPrefix[] = L"~kfpart-";

// FNV-1a over every byte; for folders over each entry's relative name and content in name order.
struct Hash {
    uint64_t value = 1469598103934665603ull;
    void Add(const void* data, size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) value = (value ^ p[i]) * 1099511628211ull;
    }
};

bool HashFile(const std::wstring& path, Hash& hash) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char buffer[64 * 1024];
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h, buffer, sizeof buffer, &got, nullptr)) { ok = false; break; }
        if (got == 0) break;
        hash.Add(buffer, got);
    }
    CloseHandle(h);
    return ok;
}

std::vector<std::wstring> ListFolder(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE h = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(h, &data));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

// 0 when the object is missing or unreadable.
uint64_t HashItem(const fs::path& item) {
    const std::wstring p = kw::ExtendedPath(item);
    const DWORD attributes = GetFileAttributesW(p.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
    Hash hash;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return HashFile(p, hash) ? hash.value : 0;
    std::vector<std::wstring> pending{L""};
    while (!pending.empty()) {
        const std::wstring relative = pending.back();
        pending.pop_back();
        for (const std::wstring& name : ListFolder(relative.empty() ? p : p + L"\\" + relative)) {
            const std::wstring child = relative.empty() ? name : relative + L"\\" + name;
            hash.Add(child.data(), child.size() * sizeof(wchar_t));
            const std::wstring full = p + L"\\" + child;
            if (GetFileAttributesW(full.c_str()) & FILE_ATTRIBUTE_DIRECTORY) pending.push_back(child);
            else if (!HashFile(full, hash)) return 0;
        }
    }
    return hash.value ? hash.value : 1;
}

bool WriteBytes(const fs::path& path, const std::string& bytes) {
    HANDLE h = CreateFileW(kw::ExtendedPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(h);
    return ok;
}

std::string RandomBytes(std::mt19937& random, size_t size) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

kw::RouteJobResult RunBatch(const kw::AppSettings& settings, std::vector<fs::path> items) {
    kw::RouteJob job;
    std::promise<kw::RouteJobResult> done;
    auto result = done.get_future();
    job.Start(settings, std::move(items), [&](kw::RouteJobResult r) { done.set_value(std::move(r)); },
              [](int, int, std::string) {});
    return result.get();
}

kw::AppSettings CatchAllTo(const fs::path& destination, kw::ConflictPolicy conflict) {
    kw::AppSettings settings;
    settings.noMatchPolicy = kw::NoMatchPolicy::unsorted;
    settings.catchAllPath = kw::PathToUtf8(destination);
    settings.catchAllConflict = conflict;
    return settings;
}

}  // namespace campaign

namespace {
using namespace campaign;

// An item of the manifest: its name inside the source folder and its content hash.
struct Item {
    std::wstring name;
    uint64_t hash = 0;
};

std::vector<Item> ReadManifest(const fs::path& root) {
    std::vector<Item> items;
    std::ifstream in(root / L"manifest.txt");
    std::string name;
    uint64_t hash = 0;
    while (in >> name >> hash) items.push_back({kw::PathFromUtf8(name).native(), hash});
    return items;
}

std::wstring Arg(wchar_t** argv, int argc, int i) { return i < argc ? argv[i] : L""; }

int Prepare(const fs::path& root, int count, unsigned seed) {
    std::mt19937 random(seed);
    const fs::path source = root / L"src";
    fs::create_directories(source);
    std::ofstream manifest(root / L"manifest.txt", std::ios::trunc);
    for (int i = 0; i < count; ++i) {
        fs::path item;
        if (i % 7 == 3) {
            // A small tree: a file at the top and two more a folder below.
            item = source / (L"tree-" + std::to_wstring(i));
            fs::create_directories(item / L"inner");
            WriteBytes(item / L"top.bin", RandomBytes(random, 1 + random() % 8192));
            WriteBytes(item / L"inner" / L"a.txt", RandomBytes(random, 1 + random() % 2048));
            WriteBytes(item / L"inner" / L"b.dat", RandomBytes(random, 1 + random() % 30000));
        } else {
            // Mostly small files, now and then one large enough that a kill can land mid-copy.
            const size_t size = (i % 50 == 0) ? 2u << 20 : 1 + random() % 20000;
            item = source / (L"item-" + std::to_wstring(i) + L".dat");
            WriteBytes(item, RandomBytes(random, size));
        }
        manifest << kw::PathToUtf8(item.filename()) << ' ' << HashItem(item) << '\n';
    }
    std::printf("RESULT prepared %d items\n", count);
    return 0;
}

// One batch through the route job as the application runs it: recorded in <root>\history.jsonl
// item by item. `cancelAfter` > 0 cancels the batch once that many items are done.
kw::RouteJobResult RecordedBatch(const fs::path& root, const kw::AppSettings& settings, std::vector<fs::path> items,
                                 uint64_t undoOf, kw::BatchHooks hooks, int cancelAfter = 0) {
    kw::HistoryBatch batch;
    batch.time = kw::SystemClock().UtcTicks();
    batch.id = batch.time;
    batch.undoOf = undoOf;
    auto recording = std::make_shared<kw::BatchRecording>(std::make_shared<kw::HistoryFile>(root / L"history.jsonl"), batch);
    auto intents = std::make_shared<kw::MoveIntents>(root, batch);
    hooks.intent = [intents](const fs::path& source, const fs::path& target) { intents->Add(source, target); };
    kw::RouteJob job;
    int done = 0;
    hooks.itemDone = [&](const fs::path&, const kw::RouteItemResult& r) {
        recording->Add(r);
        if (++done == cancelAfter) job.RequestStop();
    };
    std::promise<kw::RouteJobResult> finished;
    auto result = finished.get_future();
    job.Start(settings, std::move(items), [&](kw::RouteJobResult r) { finished.set_value(std::move(r)); },
              [](int, int, std::string) {}, std::move(hooks));
    return result.get();
}

int Route(const fs::path& root, const fs::path& destination, int cancelAfter) {
    std::vector<fs::path> items;
    for (const Item& item : ReadManifest(root)) items.push_back(root / L"src" / item.name);
    const kw::RouteJobResult result = RecordedBatch(root, CatchAllTo(destination), std::move(items), 0, {}, cancelAfter);
    std::printf("RESULT routed: moved %d, skipped %d, failed %d, cancelled %d\n", result.moved, result.skipped,
                result.failed, result.notHandled);
    return 0;
}

// <root>\src as a watched folder whose items already there are routed, as the application
// does at start: each settled arrival is a recorded batch of the one route job, while the
// campaign keeps writing files into the folder. Runs until killed (or for a minute).
int RouteWatched(const fs::path& root, const fs::path& destination) {
    kw::AppSettings settings = CatchAllTo(destination);
    kw::WatchedFolder folder;
    folder.path = kw::PathToUtf8(root / L"src");
    folder.routeExisting = true;
    folder.settleSeconds = 1;
    settings.watching.folders = {folder};
    kw::FolderWatcher watcher([] {});
    watcher.Configure(settings);
    const auto history = std::make_shared<kw::HistoryFile>(root / L"history.jsonl");
    kw::RouteJob job;
    int moved = 0;
    for (auto end = std::chrono::steady_clock::now() + std::chrono::minutes(1); std::chrono::steady_clock::now() < end;) {
        for (kw::WatchArrival& arrival : watcher.TakeArrivals()) {
            kw::HistoryBatch batch;
            batch.time = batch.id = kw::SystemClock().UtcTicks();
            auto recording = std::make_shared<kw::BatchRecording>(history, batch);
            kw::BatchHooks hooks;
            hooks.itemDone = [recording, &watcher](const fs::path&, const kw::RouteItemResult& r) {
                recording->Add(r);
                if (r.ok && !r.skipped) watcher.NoteOwnItem(kw::PathFromUtf8(r.target));
            };
            auto intents = std::make_shared<kw::MoveIntents>(root, batch);
            hooks.intent = [intents](const fs::path& source, const fs::path& target) { intents->Add(source, target); };
            std::promise<kw::RouteJobResult> done;
            const std::vector<fs::path> items = arrival.items;
            job.Start(settings, std::move(arrival.items), [&done](kw::RouteJobResult r) { done.set_value(std::move(r)); },
                      [](int, int, std::string) {}, std::move(hooks));
            moved += done.get_future().get().moved;
            watcher.Finished(items);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    std::printf("RESULT routed from the watched folder: moved %d\n", moved);
    return 0;
}

// The manifest's items as two drops, the second arriving while the first runs: it waits in the
// route job's queue and runs after it, as a batch of its own, as the application's second drop does.
int RouteQueued(const fs::path& root, const fs::path& destination) {
    std::vector<fs::path> first, second;
    for (const Item& item : ReadManifest(root)) (first.size() <= second.size() ? first : second).push_back(root / L"src" / item.name);
    kw::RouteJob job;
    std::vector<std::shared_ptr<kw::BatchRecording>> recordings;
    std::vector<std::future<kw::RouteJobResult>> results;
    std::vector<std::promise<kw::RouteJobResult>> promises(2);
    uint64_t id = kw::SystemClock().UtcTicks();
    // One writer for both: the second batch's line is written while the first one's items are.
    const auto history = std::make_shared<kw::HistoryFile>(root / L"history.jsonl");
    for (int b = 0; b < 2; ++b) {
        kw::HistoryBatch batch;
        batch.time = batch.id = id + b;
        auto recording = std::make_shared<kw::BatchRecording>(history, batch);
        kw::BatchHooks hooks;
        hooks.itemDone = [recording](const fs::path&, const kw::RouteItemResult& r) { recording->Add(r); };
        auto intents = std::make_shared<kw::MoveIntents>(root, batch);
        hooks.intent = [intents](const fs::path& source, const fs::path& target) { intents->Add(source, target); };
        results.push_back(promises[b].get_future());
        job.Start(CatchAllTo(destination), std::move(b == 0 ? first : second),
                  [&promises, b](kw::RouteJobResult r) { promises[b].set_value(std::move(r)); }, [](int, int, std::string) {},
                  std::move(hooks));
    }
    int moved = 0;
    for (auto& result : results) moved += result.get().moved;
    std::printf("RESULT routed in two batches: moved %d\n", moved);
    return 0;
}

// A batch routed while the files are being saved, as programs save them: every tenth file is
// held open for writing by a program from before the batch and saved through that handle a few
// items after its own turn (a log, an editor that keeps its file open); every tenth from the
// fifth on is saved by the user a few items after its turn, over its contents or by replacing it
// (refused while the move holds it). Whatever the moment, each item's newest contents must exist
// exactly once, at its source or its target.
int RouteRewrite(const fs::path& root, const fs::path& destination) {
    std::vector<fs::path> items;
    for (const Item& item : ReadManifest(root)) items.push_back(root / L"src" / item.name);
    std::map<size_t, std::unique_ptr<kw::test::OpenForWriting>> writers;
    std::map<std::wstring, uint64_t> newest;  // name -> hash of its newest contents
    for (size_t i = 0; i < items.size(); i += 10)
        if (fs::is_regular_file(items[i])) writers[i] = std::make_unique<kw::test::OpenForWriting>(items[i]);
    kw::BatchHooks hooks;
    hooks.step = [&](size_t index, const fs::path& item, kw::BatchCache& cache) {
        if (index >= 3) {
            const size_t earlier = index - 3;
            const fs::path& saved = items[earlier];
            const std::string text = "saved during the batch: " + std::to_string(earlier);
            if (const auto writer = writers.find(earlier); writer != writers.end() && writer->second->Opened()) {
                writer->second->SaveAndClose(text);
                newest[saved.filename().native()] = 0;
            } else if (earlier % 10 == 5 && fs::is_regular_file(saved)) {
                const bool done = earlier % 20 == 5 ? kw::test::SaveInPlace(saved, text) : kw::test::SaveByReplacing(saved, text);
                if (done) newest[saved.filename().native()] = 0;
            }
        }
        return kw::RouteItem(item, cache);
    };
    const kw::RouteJobResult result = RecordedBatch(root, CatchAllTo(destination), items, 0, std::move(hooks));
    writers.clear();
    int lost = 0, duplicated = 0, leftInPlace = 0;
    for (const Item& item : ReadManifest(root)) {
        const fs::path source = root / L"src" / item.name, target = destination / item.name;
        const uint64_t want = newest.count(item.name) ? 0 : item.hash;
        // A saved item's newest contents are the saved text, wherever it is.
        const auto holds = [&](const fs::path& path) {
            if (!fs::exists(path)) return false;
            if (want) return HashItem(path) == want;
            std::ifstream in(path, std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            return text.rfind("saved during the batch: ", 0) == 0;
        };
        const bool atSource = holds(source), atTarget = holds(target);
        leftInPlace += atSource && !atTarget;
        if (!atSource && !atTarget) {
            ++lost;
            std::printf("LOST %s\n", kw::PathToUtf8(item.name).c_str());
        } else if (fs::exists(source) && fs::exists(target)) {
            ++duplicated;
            std::printf("DUPLICATE %s\n", kw::PathToUtf8(item.name).c_str());
        }
    }
    std::printf("RESULT rewrite: moved %d, saved during the batch %zu, left in place %d, lost %d, duplicated %d\n",
                result.moved, newest.size(), leftInPlace, lost, duplicated);
    return lost + duplicated == 0 ? 0 : 1;
}

// Undoes every routing batch in <root>\history.jsonl, newest first (a rerun after a kill puts
// back what the killed undo had not).
int Undo(const fs::path& root) {
    int back = 0, skipped = 0, failed = 0;
    const std::vector<kw::HistoryBatch> history = kw::LoadHistory(root / L"history.jsonl");
    for (auto batch = history.rbegin(); batch != history.rend(); ++batch) {
        if (batch->undoOf) continue;
        std::vector<kw::UndoStep> steps = kw::PlanUndo(*batch);
        std::vector<fs::path> items;
        kw::BatchHooks hooks;
        for (const kw::UndoStep& step : steps) items.push_back(step.from);
        hooks.step = [&steps](size_t index, const fs::path&, kw::BatchCache& batch) {
            return kw::UndoItem(steps[index], {}, &batch.Staging());
        };
        const kw::RouteJobResult result = RecordedBatch(root, {}, std::move(items), batch->id, std::move(hooks));
        back += result.moved;
        skipped += result.skipped;
        failed += result.failed;
    }
    std::printf("RESULT undone: back %d, skipped %d, failed %d\n", back, skipped, failed);
    return failed == 0 ? 0 : 1;
}

// Target names of the moves whose journals lie in `journals` (the program's folder): cut short by
// a kill, they are finished by the next batch.
std::vector<std::wstring> JournaledTargets(const fs::path& journals) {
    std::vector<std::wstring> targets;
    const std::wstring folder = kw::ExtendedPath(journals);
    for (const std::wstring& name : ListFolder(folder)) {
        if (!kw::IsJournalName(name)) continue;
        std::ifstream in(fs::path(folder + L"\\" + name), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
        for (const kw::MoveJournal& move : kw::ParseJournalFile(text).moves) targets.push_back(move.target);
    }
    return targets;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Counts each manifest item at source and destination. An item whole at both ends is pending
// when a journal of its move lies beside it (the next batch finishes that move), else a
// duplicate. With `final` every item must have arrived at the destination, once, and nothing
// with a staging name may be left.
int Verify(const fs::path& root, const fs::path& destination, bool final, bool back) {
    int whole = 0, lost = 0, duplicated = 0, pending = 0, remnants = 0, atTarget = 0, unrecorded = 0;
    // As the application's next start does: what a killed batch moved is recorded from its intents.
    kw::HistoryFile history(root / L"history.jsonl");
    kw::CompleteHistoryFromIntents(history, root);
    std::vector<std::string> targets, sources;  // of every move on record, lower case
    for (const kw::HistoryBatch& batch : kw::LoadHistory(root / L"history.jsonl"))
        for (const kw::HistoryItem& item : batch.items)
            if (kw::PlacedAtTarget(item.fate)) {
                targets.push_back(Lower(item.target));
                sources.push_back(Lower(item.source));
            }
    const auto onRecord = [](const std::vector<std::string>& paths, const fs::path& path) {
        return std::find(paths.begin(), paths.end(), Lower(kw::PathToUtf8(path))) != paths.end();
    };
    // Journals of routing moves and of an undo's lie in the program's data folder.
    const std::vector<std::wstring> journaled = JournaledTargets(kw::DataFolder().folder);
    for (const Item& item : ReadManifest(root)) {
        const uint64_t atSource = HashItem(root / L"src" / item.name);
        const uint64_t atDestination = HashItem(destination / item.name);
        const bool sourceWhole = atSource == item.hash, targetWhole = atDestination == item.hash;
        if (sourceWhole && targetWhole) {
            if (std::find(journaled.begin(), journaled.end(), item.name) != journaled.end()) {
                ++pending;
                std::printf("PENDING %s\n", kw::PathToUtf8(item.name).c_str());
            } else {
                ++duplicated;
                std::printf("DUPLICATE %s\n", kw::PathToUtf8(item.name).c_str());
            }
        } else if (!sourceWhole && !targetWhole) {
            ++lost;
            std::printf("LOST %s (source %s, target %s)\n", kw::PathToUtf8(item.name).c_str(),
                        atSource ? "damaged" : "missing", atDestination ? "damaged" : "missing");
        } else {
            ++whole;
            atTarget += targetWhole;
            // Every item that moved is on record: at the destination, by a move that put it there;
            // back where it was after a move away, by the undo that put it back.
            const fs::path source = root / L"src" / item.name, target = destination / item.name;
            if ((targetWhole && !onRecord(targets, target)) ||
                (sourceWhole && onRecord(sources, source) && !onRecord(targets, source))) {
                ++unrecorded;
                std::printf("UNRECORDED %s\n", kw::PathToUtf8(item.name).c_str());
            }
            // A damaged remainder beside the whole item is a duplicate in part.
            if ((sourceWhole && atDestination) || (targetWhole && atSource)) {
                ++remnants;
                std::printf("REMNANT %s\n", kw::PathToUtf8(item.name).c_str());
            }
        }
    }
    int staging = 0;
    for (const fs::path& folder : {destination, root / L"src"})
        for (const std::wstring& name : ListFolder(kw::ExtendedPath(folder)))
            if (name.rfind(kStagingPrefix, 0) == 0) {
                ++staging;
                std::printf("STAGING %s\n", kw::PathToUtf8(folder / name).c_str());
            }
    const int unfinished = final ? (back ? atTarget : whole - atTarget) + pending + staging : 0;
    std::printf("RESULT items %d, whole once %d, at target %d, lost %d, duplicated %d, pending %d, remnants %d, "
                "staging leftovers %d, unrecorded %d\n",
                whole + lost + duplicated + pending, whole, atTarget, lost, duplicated, pending, remnants, staging,
                unrecorded);
    return lost + duplicated + remnants + unfinished + unrecorded == 0 ? 0 : 1;
}

kw::AppSettings SaveDocument(bool large) {
    kw::AppSettings settings;
    settings.catchAllPath = large ? "C:\\Sorted\\Large" : "C:\\Sorted\\Small";
    const int rules = large ? 300 : 2;
    for (int i = 0; i < rules; ++i) {
        kw::Rule rule;
        rule.id = "rule-" + std::to_string(10000000 + i);
        rule.name = "Rule " + std::to_string(i) + (large ? " of the large document" : "");
        rule.destination = "C:\\Sorted\\" + std::to_string(i);
        settings.rules.push_back(rule);
    }
    return settings;
}

int SaveLoop(const fs::path& folder) {
    fs::create_directories(folder);
    const kw::AppSettings documents[2] = {SaveDocument(false), SaveDocument(true)};
    for (unsigned n = 0;; ++n) kw::WriteSettingsFile(folder / L"config.json", documents[n % 2]);
}

int CheckSave(const fs::path& folder) {
    std::ifstream in(folder / L"config.json", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const bool small = text == kw::SerializeSettings(SaveDocument(false));
    const bool large = text == kw::SerializeSettings(SaveDocument(true));
    std::printf("RESULT config.json %s (%zu bytes)\n", small ? "old" : large ? "new" : "BROKEN", text.size());
    return small || large ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = Arg(argv, argc, 1);
    const fs::path a = Arg(argv, argc, 2), b = Arg(argv, argc, 3);
    try {
        if (mode == L"prepare") return Prepare(a, std::stoi(b), static_cast<unsigned>(std::stoul(Arg(argv, argc, 4))));
        if (mode == L"route") return Route(a, b, 0);
        if (mode == L"route-cancel") return Route(a, b, std::stoi(Arg(argv, argc, 4)));
        if (mode == L"route-queued") return RouteQueued(a, b);
        if (mode == L"route-watched") return RouteWatched(a, b);
        if (mode == L"undo") return Undo(a);
        if (mode == L"route-rewrite") return RouteRewrite(a, b);
        if (mode == L"verify") return Verify(a, b, Arg(argv, argc, 4) != L"", Arg(argv, argc, 4) == L"back");
        if (mode == L"save-loop") return SaveLoop(a);
        if (mode == L"check-save") return CheckSave(a);
        if (mode == L"hostile") return campaign::Hostile(a, b, Arg(argv, argc, 4), Arg(argv, argc, 5));
        if (mode == L"fuzz") return campaign::Fuzz(std::stod(a.native()), b);
        if (mode == L"denied") return campaign::Denied(a.native(), b, Arg(argv, argc, 4));
    } catch (const std::exception& e) {
        std::printf("RESULT exception: %s\n", e.what());
        return 3;
    }
    std::fprintf(stderr, "usage: KwCampaign prepare|route|verify|save-loop|check-save|hostile|fuzz|denied ...\n");
    return 2;
}
