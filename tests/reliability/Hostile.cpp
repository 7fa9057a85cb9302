// Hostile conditions and hostile names: every item gets its result (a failure carries the
// system's message), the batch goes on past failures, and afterwards each item exists exactly
// once, whole, at its source or its target.

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <system_error>

#include "model/TextEncoding.h"
#include "reliability/Campaign.h"
#include "model/SettingsFile.h"
#include "model/SettingsStore.h"
#include "routing/FileTree.h"
#include "routing/JournalSeal.h"
#include "routing/MoveJournal.h"
#include "routing/MoveStaging.h"
#include "model/AppFolder.h"

namespace fs = std::filesystem;

namespace campaign {
namespace {

struct Tally {
    int scenarios = 0, items = 0, lost = 0, duplicated = 0, faults = 0;
};

// Hashes of everything directly inside the folders (files and whole trees).
std::multiset<uint64_t> Contents(const std::vector<fs::path>& folders) {
    std::multiset<uint64_t> hashes;
    for (const fs::path& folder : folders)
        for (const std::wstring& name : ListFolder(kw::ExtendedPath(folder)))
            if (name.rfind(L"~kfpart-", 0) != 0) hashes.insert(HashItem(folder / name));
    return hashes;
}

// One scenario: route `items` with `settings`, then every expected hash must be found exactly
// once among `folders`. `expectFailure` says each item must fail (with a message).
// `release` runs between the batch and the check (a held handle would hide its file from it).
void Run(Tally& tally, const char* name, const kw::AppSettings& settings, const std::vector<fs::path>& items,
         const std::vector<uint64_t>& expected, const std::vector<fs::path>& folders, bool expectFailure,
         const std::function<void()>& release = {}) {
    const kw::RouteJobResult result = RunBatch(settings, items);
    if (release) release();
    const std::multiset<uint64_t> found = Contents(folders);
    int lost = 0, duplicated = 0, faults = 0;
    for (uint64_t hash : expected) {
        const size_t n = found.count(hash);
        lost += n == 0;
        duplicated += n > 1;
    }
    for (const kw::RouteItemResult& r : result.items) {
        const bool failed = !r.ok && !r.skipped;
        if (failed && r.message.empty()) ++faults;
        if (expectFailure != failed) ++faults;
        if (expectFailure != failed || lost || duplicated)
            std::printf("  %s: %s -> %s: %s\n", name, r.source.c_str(), r.target.c_str(), r.message.c_str());
    }
    if (result.items.size() != items.size()) ++faults;
    std::printf("scenario %-28s items %zu, moved %d, failed %d, lost %d, duplicated %d, faults %d%s\n", name,
                items.size(), result.moved, result.failed, lost, duplicated, faults,
                result.items.empty() ? "" : (" (" + result.items.back().message + ")").c_str());
    ++tally.scenarios;
    tally.items += static_cast<int>(items.size());
    tally.lost += lost;
    tally.duplicated += duplicated;
    tally.faults += faults;
}

struct Batch {
    std::vector<fs::path> items;
    std::vector<uint64_t> hashes;
};

Batch Files(std::mt19937& random, const fs::path& folder, const std::vector<std::wstring>& names, size_t size) {
    Batch batch;
    fs::create_directories(folder);
    for (const std::wstring& name : names) {
        const fs::path item = folder / name;
        if (!WriteBytes(item, RandomBytes(random, size))) {
            std::printf("  (could not create \"%s\": error %lu; left out)\n", kw::PathToUtf8(name).c_str(), GetLastError());
            continue;
        }
        batch.items.push_back(item);
        batch.hashes.push_back(HashItem(item));
    }
    return batch;
}

// What a batch killed right after renaming its copy into place leaves: the copy whole at
// `destination`, the source still where it was, and the move's sealed record in a journal beside
// the program. `copyTime`, when not 0, is the last-write time the copy's file system kept (FAT
// rounds it to 2 s). Returns the copy's path.
fs::path LeaveKilledMove(const fs::path& source, const fs::path& destination, uint64_t copyTime = 0) {
    const fs::path area = kw::StagingPath(destination);
    fs::create_directories(area);
    const fs::path copy = kw::StagingPath(area);
    kw::CopyTree(source, copy, false);
    kw::MoveJournal move;
    kw::FingerprintTree(source, move.copied);
    move.copy = kw::ExtendedPath(copy);
    move.source = kw::ExtendedPath(source);
    move.target = source.filename().native();
    move.aside = kw::StagingPath(source.parent_path()).filename().native();
    move.seal = kw::SealJournal(kw::MoveJournalBody(move)).value_or(L"");
    const std::wstring areaPath = kw::ExtendedPath(area);
    const std::wstring text = kw::AreaLine({areaPath, kw::SealJournal(kw::AreaBody(areaPath)).value_or(L"")}) +
                              kw::FormatMoveJournal(move);
    WriteBytes(kw::AppFolder() / kw::JournalName(area.filename().native()),
               std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
    const fs::path target = destination / source.filename();
    MoveFileExW(copy.c_str(), target.c_str(), 0);
    if (copyTime) {
        const FILETIME t{static_cast<DWORD>(copyTime), static_cast<DWORD>(copyTime >> 32)};
        HANDLE h = CreateFileW(target.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(h, nullptr, nullptr, &t);
        CloseHandle(h);
    }
    return target;
}

std::wstring MissingDrive() {
    const DWORD used = GetLogicalDrives();
    for (int letter = 'Q'; letter <= 'Z'; ++letter)
        if (!(used & (1u << (letter - 'A')))) return std::wstring(1, static_cast<wchar_t>(letter)) + L":\\";
    return L"";
}

}  // namespace

int Hostile(const fs::path& root, const fs::path& otherVolume, const fs::path& fullVolume, const fs::path& stick) {
    std::mt19937 random(7);
    Tally tally;
    int n = 0;
    const auto scratch = [&](const wchar_t* what) { return root / (std::to_wstring(++n) + L"-" + what); };
    const std::vector<fs::path> volumes = {root, otherVolume};

    for (const fs::path& volume : volumes) {
        const bool cross = volume != root;
        const std::string side = cross ? " (other volume)" : "";
        {
            // A source another handle holds open without sharing, between two free files.
            const fs::path src = scratch(L"locked"), dst = volume / (src.filename().native() + L"-out");
            Batch batch = Files(random, src, {L"held.txt"}, 4000);
            HANDLE held = CreateFileW(batch.items[0].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            Run(tally, ("source held open" + side).c_str(), CatchAllTo(dst), batch.items, batch.hashes, {src, dst}, true,
                [&] { CloseHandle(held); });
            Batch free = Files(random, src, {L"free-1.txt", L"free-2.txt"}, 100);
            Run(tally, ("after the held one" + side).c_str(), CatchAllTo(dst), free.items, free.hashes, {src, dst}, false);
        }
        {
            const fs::path src = scratch(L"readonly"), dst = volume / (src.filename().native() + L"-out");
            Batch batch = Files(random, src, {L"ro.txt"}, 3000);
            SetFileAttributesW(batch.items[0].c_str(), FILE_ATTRIBUTE_READONLY);
            const fs::path folder = src / L"ro-folder";
            fs::create_directories(folder / L"deep");
            WriteBytes(folder / L"deep" / L"ro-inner.txt", RandomBytes(random, 500));
            SetFileAttributesW((folder / L"deep" / L"ro-inner.txt").c_str(), FILE_ATTRIBUTE_READONLY);
            SetFileAttributesW((folder / L"deep").c_str(), FILE_ATTRIBUTE_READONLY);
            SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_READONLY);
            batch.items.push_back(folder);
            batch.hashes.push_back(HashItem(folder));
            Run(tally, ("read-only file and folder" + side).c_str(), CatchAllTo(dst), batch.items, batch.hashes,
                {src, dst}, false);
        }
        {
            const fs::path src = scratch(L"dest-file"), dst = volume / (src.filename().native() + L"-out");
            Batch batch = Files(random, src, {L"a.txt", L"b.txt"}, 200);
            WriteBytes(dst, "I am a file, not a folder");
            batch.hashes.push_back(HashItem(dst));
            Run(tally, ("destination is a file" + side).c_str(), CatchAllTo(dst), batch.items, batch.hashes,
                {src, volume}, true);
        }
        {
            // Names Windows treats specially, and names that differ from a taken one only by case.
            const fs::path src = scratch(L"names"), dst = volume / (src.filename().native() + L"-out");
            fs::create_directories(dst);
            WriteBytes(dst / L"Report.txt", "already there");
            Batch batch = Files(random, src,
                                {L"CON", L"NUL", L"COM1.txt", L"trailing dot.", L"trailing space ", L"report.TXT",
                                 L"\u041e\u0442\u0447\u0451\u0442.txt", L"\u6587\u4ef6.txt", L"\U0001F4C1 emoji.txt",
                                 L"100% #1; done.txt", L"a%PATH%b.txt"},
                                300);
            batch.hashes.push_back(HashItem(dst / L"Report.txt"));
            Run(tally, ("hostile names" + side).c_str(), CatchAllTo(dst), batch.items, batch.hashes, {src, dst}, false);
        }
        for (const kw::ConflictPolicy policy :
             {kw::ConflictPolicy::overwrite, kw::ConflictPolicy::rename, kw::ConflictPolicy::skip}) {
            // One drop, one name in three folders (a camera card's 100CANON, 101CANON, ...), a file
            // of that name already at the destination: no item of the batch replaces another.
            const fs::path src = scratch(L"same-name"), dst = volume / (src.filename().native() + L"-out");
            Batch batch;
            for (const wchar_t* folder : {L"100CANON", L"101CANON", L"102CANON"}) {
                Batch one = Files(random, src / folder, {folder[2] == L'2' ? L"img_0001.jpg" : L"IMG_0001.JPG"}, 800);
                batch.items.insert(batch.items.end(), one.items.begin(), one.items.end());
                batch.hashes.insert(batch.hashes.end(), one.hashes.begin(), one.hashes.end());
            }
            Batch there = Files(random, dst, {L"IMG_0001.JPG"}, 700);
            // Overwriting what was there before is what the user asked for.
            if (policy != kw::ConflictPolicy::overwrite) batch.hashes.push_back(there.hashes[0]);
            const char* names[] = {"same name in one drop, rename", "same name in one drop, overwrite",
                                   "same name in one drop, skip"};
            Run(tally, (names[static_cast<int>(policy)] + side).c_str(), CatchAllTo(dst, policy), batch.items,
                batch.hashes, {src / L"100CANON", src / L"101CANON", src / L"102CANON", dst}, false);
        }
        {
            // A folder named like a staging folder, dropped, beside another one: both are the
            // user's, and nothing of either is deleted.
            const fs::path src = scratch(L"staging-named"), dst = volume / (src.filename().native() + L"-out");
            const fs::path dropped = src / L"~kfpart-1234abcd-0001", beside = src / L"~kfpart-1234abcd-0002";
            Batch inner = Files(random, dropped, {L"inner.txt"}, 600);
            Batch kept = Files(random, beside, {L"kept.txt"}, 600);
            Batch photo = Files(random, src, {L"photo.jpg"}, 600);
            std::vector<uint64_t> expected = inner.hashes;
            expected.insert(expected.end(), kept.hashes.begin(), kept.hashes.end());
            expected.insert(expected.end(), photo.hashes.begin(), photo.hashes.end());
            Run(tally, ("dropped staging-named folder" + side).c_str(), CatchAllTo(dst), {dropped, photo.items[0]},
                expected, {src, dst, dropped, beside, dst / dropped.filename()}, false);
        }
        {
            // Source and target paths past 260 characters, a file and a tree.
            std::wstring deep = L"long";
            while (deep.size() < 280) deep += L"\\" + std::wstring(40, L'L');
            const fs::path src = scratch(L"long") / deep, dst = volume / (scratch(L"long-out").filename().native()) / deep;
            fs::create_directories(kw::ExtendedPath(src));
            Batch batch = Files(random, src, {L"far-away.txt"}, 1000);
            fs::create_directories(kw::ExtendedPath(src / L"tree" / L"inner"));
            WriteBytes(src / L"tree" / L"inner" / L"leaf.txt", "leaf");
            batch.items.push_back(src / L"tree");
            batch.hashes.push_back(HashItem(src / L"tree"));
            Run(tally, ("paths past 260" + side).c_str(), CatchAllTo(dst), batch.items, batch.hashes, {src, dst}, false);
        }
    }
    {
        // The destination is the folder the items already lie in, spelled otherwise, under the
        // overwrite policy: each item is its own "target" and must never be deleted as one.
        const fs::path src = scratch(L"Aliased");
        Batch batch = Files(random, src / L"Inner", {L"a.pdf", L"b.pdf"}, 700);
        Batch top = Files(random, src, {L"c.pdf"}, 900);
        batch.items.insert(batch.items.end(), top.items.begin(), top.items.end());
        batch.hashes.insert(batch.hashes.end(), top.hashes.begin(), top.hashes.end());
        std::wstring upper = src.native();
        for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
        std::vector<fs::path> spellings = {upper, src.native() + L"\\", src / L"Inner" / L"..",
                                           L"\\\\?\\" + src.native()};
        if (GetFileAttributesW(L"U:\\") != INVALID_FILE_ATTRIBUTES && src.native().rfind(L"C:", 0) == 0)
            spellings.push_back(L"U" + src.native().substr(1));
        for (const fs::path& spelling : spellings)
            Run(tally, "aliased destination, overwrite", CatchAllTo(spelling, kw::ConflictPolicy::overwrite),
                batch.items, batch.hashes, {src, src / L"Inner"}, false);
    }
    {
        // A whole drive dropped (from This PC) under the overwrite policy: refused (the rule cannot
        // be carried out: a failure), and what was routed to the destination before stays.
        const fs::path dst = scratch(L"drive-dropped-out");
        Batch before = Files(random, dst, {L"routed-before.txt"}, 500);
        Run(tally, "drive root dropped", CatchAllTo(dst, kw::ConflictPolicy::overwrite),
            {otherVolume.root_path(), fs::path(L"\\\\?\\") / root.root_path()}, before.hashes, {dst}, true);
    }
    {
        // A recycle rule where the Recycle Bin cannot take anything (campaign.sh runs this mode
        // with Wine's trash made impossible): every item stays, and is reported as not routed.
        const fs::path src = scratch(L"no-bin");
        Batch batch = Files(random, src, {L"r1.txt", L"r2.txt"}, 600);
        fs::create_directories(src / L"Tree" / L"in");
        WriteBytes(src / L"Tree" / L"in" / L"t.txt", RandomBytes(random, 300));
        batch.items.push_back(src / L"Tree");
        batch.hashes.push_back(HashItem(src / L"Tree"));
        kw::AppSettings settings;
        kw::Rule recycle;
        recycle.name = "Recycle";
        recycle.action = kw::RuleAction::recycle;
        recycle.clauses[0].type = kw::ConditionType::any_file;
        settings.rules = {recycle};
        Run(tally, "recycle without a bin", settings, batch.items, batch.hashes, {src}, true);
    }
    {
        // A journal planted by a stranger in the folder items come from, naming a file elsewhere,
        // with a decoy "copy" of the same size and time beside it.
        const fs::path victimFolder = scratch(L"victim"), planted = scratch(L"downloads");
        Batch victim = Files(random, victimFolder, {L"thesis.docx"}, 2000);
        Batch decoy = Files(random, planted, {L"thesis.docx"}, 2000);
        FILETIME written{};
        HANDLE v = CreateFileW(victim.items[0].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        GetFileTime(v, nullptr, nullptr, &written);
        CloseHandle(v);
        HANDLE d = CreateFileW(decoy.items[0].c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        SetFileTime(d, nullptr, nullptr, &written);
        CloseHandle(d);
        kw::MoveJournal journal;
        journal.source = kw::ExtendedPath(victim.items[0]);
        journal.target = L"thesis.docx";
        kw::FingerprintTree(victim.items[0], journal.copied);
        journal.seal = std::wstring(64, L'0');
        const std::wstring text = kw::FormatMoveJournal(journal);
        WriteBytes(planted / L"~kfpart-0badf00d-0001.journal",
                   std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
        Batch bait = Files(random, planted, {L"bait.txt"}, 100);
        std::vector<uint64_t> expected = victim.hashes;
        expected.insert(expected.end(), decoy.hashes.begin(), decoy.hashes.end());
        expected.insert(expected.end(), bait.hashes.begin(), bait.hashes.end());
        const fs::path out = scratch(L"downloads-out");
        Run(tally, "planted journal and decoy", CatchAllTo(out), bait.items, expected, {victimFolder, planted, out}, false);
    }
    {
        // A move killed after its copy took its name on a FAT stick (the copy's time rounded to
        // 2 s): the next batch finishes it, the item ends once.
        const fs::path src = scratch(L"fat-src"), dst = otherVolume / (scratch(L"fat-out").filename().native());
        Batch batch = Files(random, src, {L"photo.jpg"}, 900);
        HANDLE h = CreateFileW(batch.items[0].c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        const FILETIME odd{static_cast<DWORD>(133000000012345678ull), static_cast<DWORD>(133000000012345678ull >> 32)};
        SetFileTime(h, nullptr, nullptr, &odd);
        CloseHandle(h);
        LeaveKilledMove(batch.items[0], dst, 133000000000000000ull);
        Batch bait = Files(random, src, {L"bait.txt"}, 100);
        std::vector<uint64_t> expected = batch.hashes;
        expected.push_back(bait.hashes[0]);
        Run(tally, "killed move, FAT-rounded copy", CatchAllTo(dst), bait.items, expected, {src, dst}, false);
    }
    if (!stick.empty()) {
        // A move from a stick killed after its copy took its name, settled while the stick is out:
        // the record waits, and the move is finished once the stick is back.
        const fs::path dst = scratch(L"stick-out");
        Batch batch = Files(random, stick, {L"from-the-stick.txt"}, 900);
        LeaveKilledMove(fs::path(L"W:\\") / batch.items[0].filename(), dst);
        const fs::path pulled = stick.native() + L"-pulled";
        MoveFileExW(stick.c_str(), pulled.c_str(), 0);
        Batch bait = Files(random, scratch(L"stick-bait"), {L"bait.txt"}, 100);
        Run(tally, "killed move, stick out", CatchAllTo(dst), bait.items, bait.hashes, {dst}, false);
        MoveFileExW(pulled.c_str(), stick.c_str(), 0);
        Batch again = Files(random, scratch(L"stick-bait"), {L"bait-2.txt"}, 100);
        std::vector<uint64_t> expected = batch.hashes;
        expected.push_back(again.hashes[0]);
        Run(tally, "killed move, stick back", CatchAllTo(dst), again.items, expected, {stick, dst}, false);
    }
    {
        // config.json held open without sharing at start-up, then saved twice: not a byte of it
        // may change while held, and once released its rules are adopted, not replaced.
        const fs::path folder = scratch(L"settings");
        fs::create_directories(folder);
        const fs::path config = folder / L"config.json";
        kw::AppSettings original = CatchAllTo(folder / L"Unsorted");
        kw::Rule rule;
        rule.name = "Kept rule";
        rule.destination = kw::PathToUtf8(folder / L"Kept");
        original.rules = {rule};
        kw::WriteSettingsFile(config, original);
        const uint64_t before = HashItem(config);
        HANDLE held = CreateFileW(config.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        kw::SettingsStore store(config);
        kw::AppSettings live;
        store.Load(live);
        live.overlayVisible = !live.overlayVisible;  // the user's first change
        store.Save(live);
        CloseHandle(held);  // the document can be read only once released
        const uint64_t afterHeldSave = HashItem(config);
        store.Save(live);
        const bool adopted = live.rules.size() == 1 && live.rules[0].name == "Kept rule";
        const int lost = (afterHeldSave != before || HashItem(config) != before || !adopted) ? 1 : 0;
        std::printf("scenario %-28s items 1, lost %d (%s)\n", "config.json held at start", lost,
                    adopted ? "rules adopted once released" : "rules gone");
        ++tally.scenarios;
        ++tally.items;
        tally.lost += lost;
    }
    {
        const std::wstring drive = MissingDrive();
        const fs::path src = scratch(L"missing-drive");
        Batch batch = Files(random, src, {L"x.txt", L"y.txt"}, 100);
        Run(tally, "destination on a missing drive", CatchAllTo(fs::path(drive) / L"Nowhere"), batch.items,
            batch.hashes, {src}, true);
    }
    if (!fullVolume.empty()) {
        // More than fits: the first items arrive, the rest fail whole at their source.
        const fs::path src = scratch(L"full"), dst = fullVolume / L"full-out";
        Batch batch = Files(random, src, {L"f1.bin", L"f2.bin", L"f3.bin", L"f4.bin", L"f5.bin"}, 90 * 1024);
        const kw::RouteJobResult result = RunBatch(CatchAllTo(dst), batch.items);
        const std::multiset<uint64_t> found = Contents({src, dst});
        int lost = 0, faults = 0;
        for (uint64_t hash : batch.hashes) lost += found.count(hash) != 1;
        for (const kw::RouteItemResult& r : result.items) faults += !r.ok && r.message.empty();
        const bool sawFull = result.failed > 0;
        std::printf("scenario %-28s items %zu, moved %d, failed %d, lost %d, faults %d (%s)\n", "full destination volume",
                    batch.items.size(), result.moved, result.failed, lost, faults,
                    sawFull ? result.items.back().message.c_str() : "the volume never filled");
        ++tally.scenarios;
        tally.items += static_cast<int>(batch.items.size());
        tally.lost += lost;
        tally.faults += faults + (sawFull ? 0 : 1);
        int staging = 0;
        for (const std::wstring& name : ListFolder(kw::ExtendedPath(dst))) staging += name.rfind(L"~kfpart-", 0) == 0;
        if (staging) std::printf("  %d staging copies left on the full volume\n", staging);
        tally.faults += staging;
    }
    std::printf("RESULT hostile: scenarios %d, items %d, lost %d, duplicated %d, faults %d\n", tally.scenarios,
                tally.items, tally.lost, tally.duplicated, tally.faults);
    return tally.lost + tally.duplicated + tally.faults == 0 ? 0 : 1;
}

// --- Access denied --------------------------------------------------------------------------------
// Only an unprivileged user meets access denied (as root, Wine is refused nothing), and Wine runs
// only in a prefix of the user's own. campaign.sh therefore runs this in three steps: "prepare"
// as root creates the items and notes their hashes; the script then closes folders to the user on
// the Linux side (root-owned, mode 0700: no entry; 0755: no change); "route" runs as that user in
// its own prefix; "verify" runs as root again and finds every item exactly once.

namespace {

const wchar_t* const kDeniedFolders[] = {L"open-src", L"open-dest", L"closed-src", L"closed-dest", L"locked-src",
                                         L"locked-dest"};

struct DeniedCase {
    const char* name;
    const wchar_t* sourceFolder;
    std::vector<const wchar_t*> items;  // each one must fail with the system's access-denied text
    fs::path destination;
    const wchar_t* freeItem;  // in open-src, to open-dest: must move, after the failures
};

std::vector<DeniedCase> DeniedCases(const fs::path& root, const fs::path& other) {
    const std::vector<const wchar_t*> closed = {L"c1.txt", L"c2.bin", L"Closed Tree"};
    const std::vector<const wchar_t*> locked = {L"l1.txt", L"Locked Tree"};
    const std::vector<const wchar_t*> open = {L"o1.txt", L"Open Tree"};
    return {
        {"source folder closed", L"closed-src", closed, root / L"open-dest", L"free-1.free"},
        {"source folder read-only", L"locked-src", locked, root / L"open-dest", L"free-2.free"},
        {"source folder read-only (other volume)", L"locked-src", locked, other / L"open", L"free-3.free"},
        {"destination closed", L"open-src", open, root / L"closed-dest", L"free-4.free"},
        {"destination read-only", L"open-src", open, root / L"locked-dest", L"free-5.free"},
        {"destination closed (other volume)", L"open-src", open, other / L"closed", L"free-6.free"},
    };
}

std::vector<fs::path> DeniedFolders(const fs::path& root, const fs::path& other) {
    std::vector<fs::path> folders;
    for (const wchar_t* name : kDeniedFolders) folders.push_back(root / name);
    folders.push_back(other / L"open");
    folders.push_back(other / L"closed");
    return folders;
}

int DeniedPrepare(const fs::path& root) {
    std::mt19937 random(11);
    for (const wchar_t* name : kDeniedFolders) fs::create_directories(root / name);
    std::ofstream manifest(root / L"denied-manifest.txt", std::ios::trunc);
    const auto file = [&](const fs::path& path, size_t size) {
        fs::create_directories(path.parent_path());
        WriteBytes(path, RandomBytes(random, size));
    };
    file(root / L"closed-src" / L"c1.txt", 3000);
    file(root / L"closed-src" / L"c2.bin", 70000);
    file(root / L"closed-src" / L"Closed Tree" / L"inner" / L"x.txt", 500);
    file(root / L"locked-src" / L"l1.txt", 4000);
    file(root / L"locked-src" / L"Locked Tree" / L"z.txt", 600);
    file(root / L"locked-src" / L"Locked Tree" / L"inner" / L"y.txt", 700);
    file(root / L"open-src" / L"o1.txt", 800);
    file(root / L"open-src" / L"Open Tree" / L"inner" / L"w.txt", 900);
    for (int i = 1; i <= 6; ++i) file(root / L"open-src" / (L"free-" + std::to_wstring(i) + L".free"), 100u + i);
    int items = 0;
    for (const wchar_t* folder : {L"closed-src", L"locked-src", L"open-src"})
        for (const std::wstring& name : ListFolder(kw::ExtendedPath(root / folder))) {
            manifest << HashItem(root / folder / name) << '\n';
            ++items;
        }
    std::printf("RESULT denied prepared %d items\n", items);
    return 0;
}

int DeniedRoute(const fs::path& root, const fs::path& other) {
    const std::string deniedText = std::system_category().message(ERROR_ACCESS_DENIED);
    int scenarios = 0, items = 0, faults = 0;
    for (const DeniedCase& c : DeniedCases(root, other)) {
        kw::AppSettings settings = CatchAllTo(c.destination);
        kw::Rule free;
        free.name = "Free";
        free.destination = kw::PathToUtf8(root / L"open-dest");
        free.clauses[0].extensions = "free";
        settings.rules.push_back(free);
        std::vector<fs::path> batch;
        for (const wchar_t* item : c.items) batch.push_back(root / c.sourceFolder / item);
        batch.push_back(root / L"open-src" / c.freeItem);
        const kw::RouteJobResult result = RunBatch(settings, batch);
        int caseFaults = result.items.size() == batch.size() ? 0 : 1;
        for (size_t i = 0; i < result.items.size(); ++i) {
            const kw::RouteItemResult& r = result.items[i];
            const bool isFree = i + 1 == batch.size();
            const bool expected = isFree ? r.ok && !r.skipped : !r.ok && !r.skipped && r.message == deniedText;
            if (!expected) {
                ++caseFaults;
                std::printf("  %s: %s -> %s: %s\n", c.name, r.source.c_str(), r.target.c_str(), r.message.c_str());
            }
        }
        std::printf("scenario %-38s items %zu, moved %d, failed %d, faults %d (%s)\n", c.name, batch.size(),
                    result.moved, result.failed, caseFaults,
                    result.items.empty() ? "" : result.items.front().message.c_str());
        ++scenarios;
        items += static_cast<int>(batch.size());
        faults += caseFaults;
    }
    std::printf("RESULT denied: scenarios %d, items %d, faults %d\n", scenarios, items, faults);
    return faults == 0 ? 0 : 1;
}

int DeniedVerify(const fs::path& root, const fs::path& other) {
    std::multiset<uint64_t> expected;
    std::ifstream manifest(root / L"denied-manifest.txt");
    for (uint64_t hash = 0; manifest >> hash;) expected.insert(hash);
    const std::vector<fs::path> folders = DeniedFolders(root, other);
    const std::multiset<uint64_t> found = Contents(folders);
    int lost = 0, duplicated = 0, staging = 0;
    for (uint64_t hash : expected) {
        lost += found.count(hash) == 0;
        duplicated += found.count(hash) > 1;
    }
    for (const fs::path& folder : folders)
        for (const std::wstring& name : ListFolder(kw::ExtendedPath(folder)))
            if (name.rfind(L"~kfpart-", 0) == 0) {
                ++staging;
                std::printf("  staging name left: %s\n", kw::PathToUtf8(folder / name).c_str());
            }
    std::printf("RESULT denied verify: items %zu, lost %d, duplicated %d, faults %d\n", expected.size(), lost,
                duplicated, staging);
    return lost + duplicated + staging == 0 && !expected.empty() ? 0 : 1;
}

}  // namespace

int Denied(const std::wstring& step, const fs::path& root, const fs::path& otherVolume) {
    if (step == L"prepare") return DeniedPrepare(root);
    if (step == L"route") return DeniedRoute(root, otherVolume);
    if (step == L"verify") return DeniedVerify(root, otherVolume);
    std::printf("RESULT denied: unknown step\n");
    return 2;
}

}  // namespace campaign
