// Folder watching: the start-up listing of a large folder against a bare FindFirstFileExW
// listing of it, the time from a file's last write to its hand-over, and the processor time
// used while ten watched folders stay idle. Usage: WatchBench <folder holding many files>
// <empty scratch folder> [idle seconds]. Prints figures; judges nothing.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"
#include "watch/FolderWatcher.h"

namespace {

using Clock = std::chrono::steady_clock;
double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

uint64_t BareListing(const std::wstring& folder) {
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileExW(kw::ChildPath(folder, L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return 0;
    uint64_t count = 0;
    do ++count;
    while (FindNextFileW(find, &found));
    FindClose(find);
    return count - 2;  // "." and ".."
}

double CpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](FILETIME t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;
}

kw::AppSettings Watch(const std::vector<std::filesystem::path>& folders) {
    kw::AppSettings s;
    kw::Rule r;
    r.clauses[0].type = kw::ConditionType::extension;
    r.clauses[0].extensions = "dat";
    r.destination = "C:\\nowhere";
    s.rules = {r};
    for (const auto& f : folders) s.watching.folders.push_back(kw::WatchedFolder{kw::PathToUtf8(f)});
    return s;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: WatchBench <large folder> <scratch folder> [idle seconds]\n");
        return 2;
    }
    const std::filesystem::path large = argv[1], scratch = argv[2];
    const int idleSeconds = argc > 3 ? _wtoi(argv[3]) : 60;

    // Start-up listing: the bare listing twice (the second with the folder in the cache), then
    // the watcher's first listing of the same folder.
    BareListing(kw::ExtendedPath(large));
    auto t = Clock::now();
    const uint64_t items = BareListing(kw::ExtendedPath(large));
    const double bare = Ms(Clock::now() - t);
    double scan = 0;
    {
        t = Clock::now();
        kw::FolderWatcher watcher([] {});
        watcher.Configure(Watch({large}));
        while (watcher.ItemsListed() < items) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        scan = Ms(Clock::now() - t);
    }
    std::printf("start-up listing of %llu items: bare FindFirstFileExW %.1f ms, watcher %.1f ms (%.2fx)\n",
                static_cast<unsigned long long>(items), bare, scan, scan / bare);

    // Latency from the last write (the file closed) to the hand-over, settle time 3 s.
    {
        const std::filesystem::path in = scratch / "latency";
        CreateDirectoryW(kw::ExtendedPath(in).c_str(), nullptr);
        kw::FolderWatcher watcher([] {});
        watcher.Configure(Watch({in}));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        double worst = 0, sum = 0;
        constexpr int kRuns = 5;
        for (int i = 0; i < kRuns; ++i) {
            const std::wstring name = kw::ChildPath(kw::ExtendedPath(in), L"item" + std::to_wstring(i) + L".dat");
            HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            WriteFile(file, "payload", 7, &written, nullptr);
            CloseHandle(file);
            const auto closed = Clock::now();
            while (watcher.TakeArrivals().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const double ms = Ms(Clock::now() - closed);
            worst = std::max(worst, ms);
            sum += ms;
        }
        std::printf("last write to hand-over (settle 3 s): mean %.0f ms, worst %.0f ms over %d files\n", sum / kRuns,
                    worst, kRuns);
    }

    // Idle: ten watched folders, nothing changes.
    {
        std::vector<std::filesystem::path> folders;
        for (int i = 0; i < 10; ++i) {
            folders.push_back(scratch / ("idle" + std::to_string(i)));
            CreateDirectoryW(kw::ExtendedPath(folders.back()).c_str(), nullptr);
        }
        kw::FolderWatcher watcher([] {});
        watcher.Configure(Watch(folders));
        std::this_thread::sleep_for(std::chrono::seconds(2));  // the start-up listings are done
        const double before = CpuMs();
        std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
        const double used = CpuMs() - before;
        std::printf("idle with 10 watched folders: %.1f ms of processor time in %d s (%.1f ms per hour)\n", used,
                    idleSeconds, used * 3600.0 / idleSeconds);
    }
    return 0;
}
