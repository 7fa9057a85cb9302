// Hostile conditions and hostile names: every item gets its result (a failure carries the
// system's message), the batch goes on past failures, and afterwards each item exists exactly
// once, whole, at its source or its target.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>

#include "model/TextEncoding.h"
#include "reliability/Campaign.h"
#include "routing/FileTree.h"

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

std::wstring MissingDrive() {
    const DWORD used = GetLogicalDrives();
    for (int letter = 'Q'; letter <= 'Z'; ++letter)
        if (!(used & (1u << (letter - 'A')))) return std::wstring(1, static_cast<wchar_t>(letter)) + L":\\";
    return L"";
}

}  // namespace

int Hostile(const fs::path& root, const fs::path& otherVolume, const fs::path& fullVolume) {
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

}  // namespace campaign
