// Routing benchmarks, printed as figures (not pass/fail):
//  1. moving N small files within one volume by an extension rule through the route job,
//     against a bare MoveFileExW loop over the same number of files, in the same run;
//  2. ActivityLog::LoadTail on a 1 MB and a 100 MB log.
// Usage: RoutingBench.exe [files=10000] [rounds=3]

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <vector>

#include "model/TextEncoding.h"
#include "routing/ActivityLog.h"
#include "routing/RouteJob.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::vector<fs::path> MakeFiles(const fs::path& folder, int count) {
    fs::create_directories(folder);
    std::vector<fs::path> files;
    files.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        fs::path p = folder / (L"item-" + std::to_wstring(i) + L".dat");
        HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(h, "payload", 7, &written, nullptr);
        CloseHandle(h);
        files.push_back(std::move(p));
    }
    return files;
}

double BareMoves(const fs::path& root, int count) {
    const std::vector<fs::path> files = MakeFiles(root / L"bare-in", count);
    fs::create_directories(root / L"bare-out");
    const auto start = Clock::now();
    for (const fs::path& f : files)
        MoveFileExW(f.c_str(), (root / L"bare-out" / f.filename()).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
    const double seconds = Seconds(start);
    fs::remove_all(root / L"bare-in");
    fs::remove_all(root / L"bare-out");
    return seconds;
}

double RoutedMoves(const fs::path& root, int count, int& moved) {
    std::vector<fs::path> files = MakeFiles(root / L"job-in", count);
    kw::AppSettings settings;
    kw::Rule rule;
    rule.name = "Data";
    rule.clauses[0].extensions = ".dat";
    rule.destination = kw::PathToUtf8(root / L"job-out");
    settings.rules = {rule};
    fs::create_directories(root / L"job-out");
    kw::RouteJob job;
    std::promise<kw::RouteJobResult> done;
    auto result = done.get_future();
    const auto start = Clock::now();
    job.Start(settings, std::move(files), [&](kw::RouteJobResult r) { done.set_value(std::move(r)); },
              [](int, int, std::string) {});
    moved = result.get().moved;
    const double seconds = Seconds(start);
    fs::remove_all(root / L"job-in");
    fs::remove_all(root / L"job-out");
    return seconds;
}

void WriteLog(const fs::path& path, size_t bytes) {
    std::string line = "2026-03-09 14:05:31 | [ok] C:\\Inbox\\bill.pdf -> D:\\Docs\\bill.pdf (Moved via Invoices)\n";
    std::string block;
    while (block.size() < (1u << 20)) block += line;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    for (size_t written = 0; written < bytes; written += block.size()) {
        DWORD n = 0;
        WriteFile(h, block.data(), static_cast<DWORD>(std::min(block.size(), bytes - written)), &n, nullptr);
    }
    CloseHandle(h);
}

double TailSeconds(const fs::path& path, int repeats) {
    const kw::ActivityLog log(path);
    std::vector<std::string> lines;
    const auto start = Clock::now();
    for (int i = 0; i < repeats; ++i) log.LoadTail(lines, 500);
    return Seconds(start) / repeats;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    wchar_t temp[MAX_PATH + 1]{};
    GetTempPathW(MAX_PATH, temp);
    const fs::path root = fs::path(temp) / (L"kw-bench-" + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(root);

    std::printf("Moving %d small files within one volume (best of %d rounds)\n", count, rounds);
    double bestBare = 1e9, bestJob = 1e9;
    for (int r = 0; r < rounds; ++r) {
        int moved = 0;
        const double bare = BareMoves(root, count);
        const double routed = RoutedMoves(root, count, moved);
        std::printf("  round %d: bare MoveFileExW %.3f s, route job %.3f s (moved %d), ratio %.2f\n", r + 1, bare,
                    routed, moved, routed / bare);
        bestBare = std::min(bestBare, bare);
        bestJob = std::min(bestJob, routed);
    }
    std::printf("RESULT move: bare %.3f s, route job %.3f s, ratio %.2f (target <= 1.20)\n", bestBare, bestJob,
                bestJob / bestBare);

    WriteLog(root / L"small.log", 1u << 20);
    WriteLog(root / L"large.log", 100u << 20);
    const double small = TailSeconds(root / L"small.log", 20);
    const double large = TailSeconds(root / L"large.log", 20);
    std::printf("RESULT LoadTail(500): 1 MB log %.2f ms, 100 MB log %.2f ms, ratio %.2f\n", small * 1e3, large * 1e3,
                large / small);
    fs::remove_all(root);
    return 0;
}
