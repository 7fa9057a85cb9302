// Routing benchmarks. Each prints the program's figure, the floor's figure (what Windows itself
// must do for the same work, measured in the same run) and their ratio, or a rate, on a line
// starting with RESULT. Usage: RoutingBench.exe <mode> [arguments]
//   moves [N...]        same-volume moves by an extension rule through the route job, against a
//                       bare MoveFileExW loop (default sizes 100 1000 10000)
//   cross <drive> [N]   moves onto another volume (a folder on <drive>, e.g. T:) through the
//                       route job, against a bare CopyFileExW + DeleteFileW loop (default 1000)
//   select [names]      rule selection with 50 rules of 6 name-only conditions that never match
//                       (default 100,000 names); then size and date conditions on real files
//   catastrophic [n]    the pattern (a+)+$ on n 'a's and '!' (default 32): time per item
//   tail                ActivityLog::LoadTail on a 1 MB and a 100 MB log
//   calls [N] [drive]   what single Win32 file calls cost here (N files; some on another drive)
//   shapes <drive> [N]  the bare call sequences of kill-safe moves onto <drive>, against the floor

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <functional>
#include <condition_variable>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <pcre2.h>

#include "matching/NamePattern.h"
#include "matching/RuleSelection.h"
#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"
#include "routing/ActivityLog.h"
#include "routing/FileTree.h"
#include "routing/RouteJob.h"

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

namespace {

double Seconds(SteadyClock::time_point since) {
    return std::chrono::duration<double>(SteadyClock::now() - since).count();
}

// What the files of a round hold: a few bytes each, or a mix of 1-8 MB (photos, documents,
// short videos), each size deterministic so that every round moves the same bytes.
enum class Payload { tiny, mix };
Payload payload = Payload::tiny;

std::vector<fs::path> MakeFiles(const fs::path& folder, int count) {
    fs::create_directories(folder);
    std::vector<fs::path> files;
    files.reserve(static_cast<size_t>(count));
    static const std::vector<char> megabyte(1 << 20, 'x');
    for (int i = 0; i < count; ++i) {
        fs::path p = folder / (L"item-" + std::to_wstring(i) + L".dat");
        HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (payload == Payload::tiny) {
            WriteFile(h, "payload", 7, &written, nullptr);
        } else {
            for (int mb = 0; mb < 1 + (i * 5) % 8; ++mb)
                WriteFile(h, megabyte.data(), static_cast<DWORD>(megabyte.size()), &written, nullptr);
        }
        CloseHandle(h);
        files.push_back(std::move(p));
    }
    return files;
}

// The floor of a move: one MoveFileExW per file (same volume), or CopyFileExW then DeleteFileW;
// `durable` flushes each copy to its disk before its source is deleted, as a move that must
// survive a power cut has to. `literal` gives the calls the paths in the "\\?\" form and asks
// nothing more of them (no replacing), as the program does; otherwise plain paths, replacing what
// is there.
double BareMoves(const fs::path& from, const fs::path& to, int count, bool copy, bool literal = false,
                 bool durable = false) {
    const std::vector<fs::path> files = MakeFiles(from, count);
    fs::create_directories(to);
    std::vector<std::pair<std::wstring, std::wstring>> moves;
    for (const fs::path& f : files) {
        const fs::path target = to / f.filename();
        moves.emplace_back(literal ? kw::ExtendedPath(f) : f.native(), literal ? kw::ExtendedPath(target) : target.native());
    }
    const auto start = SteadyClock::now();
    for (const auto& [source, target] : moves) {
        if (copy) {
            CopyFileExW(source.c_str(), target.c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS);
            if (durable) {
                HANDLE h = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
                FlushFileBuffers(h);
                CloseHandle(h);
            }
            DeleteFileW(source.c_str());
        } else {
            MoveFileExW(source.c_str(), target.c_str(),
                        (literal ? 0 : MOVEFILE_REPLACE_EXISTING) | MOVEFILE_COPY_ALLOWED);
        }
    }
    const double seconds = Seconds(start);
    kw::DeleteTree(from);
    kw::DeleteTree(to);
    return seconds;
}

double RoutedMoves(const fs::path& from, const fs::path& to, int count, int& moved) {
    std::vector<fs::path> files = MakeFiles(from, count);
    kw::AppSettings settings;
    kw::Rule rule;
    rule.name = "Data";
    rule.clauses[0].extensions = ".dat";
    rule.destination = kw::PathToUtf8(to);
    settings.rules = {rule};
    fs::create_directories(to);
    // One job for every round, as the application keeps one for every drop: its worker thread
    // is started by the first batch and kept.
    static kw::RouteJob job;
    std::promise<kw::RouteJobResult> done;
    auto result = done.get_future();
    const auto start = SteadyClock::now();
    job.Start(settings, std::move(files), [&](kw::RouteJobResult r) { done.set_value(std::move(r)); },
              [](int, int, std::string) {});
    moved = result.get().moved;
    const double seconds = Seconds(start);
    job.Wait();
    kw::DeleteTree(from);
    kw::DeleteTree(to);
    return seconds;
}

// One thread that runs the floors of every round, started once: a thread's first few hundred
// calls into the Wine server are slower than later ones, and the program's worker is kept too.
class KeptThread {
public:
    KeptThread() : thread([this] { Loop(); }) {}
    ~KeptThread() {
        Run({});
        thread.join();
    }
    // Runs `work` on the kept thread and waits for it; empty work ends the thread.
    void Run(std::function<void()> work) {
        std::unique_lock lock(mutex);
        next = std::move(work);
        pending = true;
        changed.notify_all();
        changed.wait(lock, [&] { return !pending; });
    }

private:
    void Loop() {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return pending; });
            const bool end = !next;
            if (next) next();
            pending = false;
            changed.notify_all();
            if (end) return;
        }
    }
    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> next;
    bool pending = false;
    std::thread thread;
};

KeptThread& FloorThread() {
    static KeptThread kept;
    return kept;
}

// Rounds alternate floor and program, so that both see the same machine; the best of each counts.
// The ratio is taken against the faster of the two floors (plain and literal paths).
void CompareMoves(const char* what, const fs::path& in, const fs::path& out, int count, int rounds, bool copy,
                  double target) {
    double plain = 1e9, literal = 1e9, durable = 1e9, program = 1e9;
    int moved = 0;
    for (int r = 0; r < rounds; ++r) {
        // On a thread kept for every round, as the program's batches run on its worker.
        FloorThread().Run([&] {
            plain = std::min(plain, BareMoves(in / L"bare", out / L"bare", count, copy));
            literal = std::min(literal, BareMoves(in / L"bare", out / L"bare", count, copy, true));
            if (copy) durable = std::min(durable, BareMoves(in / L"bare", out / L"bare", count, copy, true, true));
        });
        program = std::min(program, RoutedMoves(in / L"job", out / L"job", count, moved));
    }
    const double floor = std::min(plain, literal);
    std::printf("RESULT %s, %d %s files (moved %d, best of %d): program %.3f s, floor %.3f s (plain paths %.3f, "
                "literal %.3f), ratio %.2f (target <= %.2f)",
                what, count, payload == Payload::tiny ? "tiny" : "1-8 MB", moved, rounds, program, floor, plain, literal,
                program / floor, target);
    if (copy) std::printf("; durable floor (each copy flushed before its source goes) %.3f s, ratio %.2f", durable, program / durable);
    std::printf("\n");
    std::fflush(stdout);
}

kw::RuleClause NameClause(int kind, int rule) {
    kw::RuleClause c;
    const std::string n = std::to_string(rule);
    switch (kind) {
        case 0: c.type = kw::ConditionType::extension; c.extensions = ".x" + n + "a, .x" + n + "b; .x" + n + "c"; break;
        case 1: c.type = kw::ConditionType::keyword; c.keyword = "nomatch" + n + ", other" + n; break;
        case 2: c.type = kw::ConditionType::regex; c.regex = "^zz" + n + "_[0-9]+\\.txt$"; break;
        case 3: c.type = kw::ConditionType::keyword; c.keyword = "Report-" + n; c.keywordCaseSensitive = true; break;
        case 4: c.type = kw::ConditionType::regex; c.regex = "(draft|final)_" + n + "$"; break;
        default: c.type = kw::ConditionType::alphabetical; c.alphaFrom = '0'; c.alphaTo = '9'; break;
    }
    return c;
}

// The worst case of selection: every rule is evaluated in full (ANY over six clauses that all
// fail) for every name. The rules are made ready once, as a batch does.
void SelectionRate(const fs::path& root, int names) {
    kw::AppSettings settings;
    for (int r = 0; r < 50; ++r) {
        kw::Rule rule;
        rule.name = "Rule " + std::to_string(r);
        rule.destination = "C:\\out\\" + std::to_string(r);
        rule.combineLogic = kw::CombineLogic::any;
        rule.clauses.clear();
        for (int k = 0; k < 6; ++k) rule.clauses.push_back(NameClause(k, r));
        settings.rules.push_back(rule);
    }
    const auto start = SteadyClock::now();
    const kw::RuleSelector selector(settings);
    int unmatched = 0;
    for (int i = 0; i < names; ++i) {
        const std::wstring name = L"C:\\in\\photo_" + std::to_wstring(i) + L".jpg";
        unmatched += selector.Select(name).ruleName == "No matching rule";
    }
    const double seconds = Seconds(start);
    std::printf("RESULT selection, 50 rules x 6 name-only conditions, no match, %d names (%d unmatched): "
                "%.0f selections/s (target >= 20000), %d pattern compilations for 100 patterns (target 100)\n",
                names, unmatched, names / seconds, selector.PatternsCompiled());

    // Size and date conditions on real files: 10 rules of 3 size and 3 date conditions each,
    // none of which holds, all evaluated for every file.
    kw::AppSettings dated;
    for (int r = 0; r < 10; ++r) {
        kw::Rule rule;
        rule.name = "Dated " + std::to_string(r);
        rule.destination = "C:\\out";
        rule.combineLogic = kw::CombineLogic::any;
        rule.clauses.clear();
        for (int k = 0; k < 3; ++k) {
            kw::RuleClause size;
            size.type = kw::ConditionType::file_size;
            size.sizeOp = kw::SizeOp::greater;
            size.sizeBytes = 1000000u + static_cast<uint64_t>(r);
            kw::RuleClause date;
            date.type = kw::ConditionType::date;
            date.dateOp = kw::DateOp::older;
            date.dateDays = 1000 + k;
            rule.clauses.push_back(size);
            rule.clauses.push_back(date);
        }
        dated.rules.push_back(rule);
    }
    const std::vector<fs::path> files = MakeFiles(root / L"dated", 1000);
    const kw::RuleSelector datedSelector(dated);
    for (const fs::path& f : files) datedSelector.Select(f);
    std::printf("RESULT size and date conditions, 10 rules x 6 conditions on %zu files: %.2f attribute queries "
                "per item (target <= 1)\n",
                files.size(), static_cast<double>(datedSelector.AttributeQueries()) / static_cast<double>(files.size()));
    kw::DeleteTree(root / L"dated");
    std::fflush(stdout);
}

void Catastrophic(int length) {
    kw::AppSettings settings;
    kw::Rule rule;
    rule.name = "Slow";
    rule.clauses[0].type = kw::ConditionType::regex;
    rule.clauses[0].regex = "(a+)+$";
    rule.destination = "C:\\never";
    settings.rules = {rule};
    const kw::RuleSelector selector(settings);
    const fs::path item = L"C:\\in\\" + std::wstring(static_cast<size_t>(length), L'a') + L"!";
    const auto start = SteadyClock::now();
    const kw::RuleDecision d = selector.Select(item);
    std::printf("RESULT catastrophic (a+)+$ on %d 'a's and '!': %.3f s per item (target <= 1 s, JIT %s): %s%s%s\n",
                length, Seconds(start), kw::NamePattern("(a+)+$").Jit() ? "on" : "off", d.ruleName.c_str(),
                d.note.empty() ? "" : ", ", d.note.c_str());
    // The same search interpreted, as it would run where no machine code can be made.
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>("(a+)+$"), PCRE2_ZERO_TERMINATED, PCRE2_UTF, &error,
                                     &offset, nullptr);
    pcre2_match_data* data = pcre2_match_data_create(1, nullptr);
    pcre2_match_context* context = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(context, kw::kPatternStepLimit);
    pcre2_set_heap_limit(context, kw::kPatternMemoryLimitKiB);
    const std::string name = std::string(static_cast<size_t>(length), 'a') + "!";
    const auto interpreted = SteadyClock::now();
    const int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(name.data()), name.size(), 0, PCRE2_NO_JIT, data,
                               context);
    std::printf("RESULT catastrophic, interpreted: %.3f s per item (target <= 1 s), %s\n", Seconds(interpreted),
                rc == PCRE2_ERROR_MATCHLIMIT ? "gave up at the step limit" : ("ended with " + std::to_string(rc)).c_str());
    pcre2_match_context_free(context);
    pcre2_match_data_free(data);
    pcre2_code_free(code);
    std::fflush(stdout);
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
    const auto start = SteadyClock::now();
    for (int i = 0; i < repeats; ++i) log.LoadTail(lines, 500);
    return Seconds(start) / repeats;
}

// Each call is timed over N files, so that the costs of the other modes can be read as a count
// of calls.
void CallCosts(const fs::path& root, const fs::path& other, int count) {
    const std::vector<fs::path> files = MakeFiles(root / L"calls", count);
    fs::create_directories(root / L"calls-out");
    const auto each = [&](const char* what, auto call) {
        const auto start = SteadyClock::now();
        for (const fs::path& f : files) call(f);
        std::printf("RESULT call %-44s %7.1f us\n", what, Seconds(start) / count * 1e6);
    };
    each("GetFileAttributesW (exists)", [](const fs::path& f) { GetFileAttributesW(f.c_str()); });
    each("GetFileAttributesW (missing)", [](const fs::path& f) { GetFileAttributesW((f.native() + L"x").c_str()); });
    each("CreateFileW + CloseHandle", [](const fs::path& f) {
        HANDLE h = CreateFileW(f.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        CloseHandle(h);
    });
    each("CreateFileW + GetFileInformationByHandle", [](const fs::path& f) {
        HANDLE h = CreateFileW(f.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        BY_HANDLE_FILE_INFORMATION info{};
        GetFileInformationByHandle(h, &info);
        CloseHandle(h);
    });
    each("CreateFileW + identity + CloseHandle", [](const fs::path& f) {
        HANDLE h = CreateFileW(f.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        FILE_ID_INFO id{};
        GetFileInformationByHandleEx(h, FileIdInfo, &id, sizeof id);
        CloseHandle(h);
    });
    each("CreateFileW + file index + CloseHandle", [](const fs::path& f) {
        HANDLE h = CreateFileW(f.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        IO_STATUS_BLOCK status{};
        LARGE_INTEGER index{};
        NtQueryInformationFile(h, &status, &index, sizeof index, FileInternalInformation);
        CloseHandle(h);
    });
    each("MoveFileExW (same volume)", [&](const fs::path& f) {
        MoveFileExW(f.c_str(), (root / L"calls-out" / f.filename()).c_str(), 0);
    });
    each("MoveFileExW (back, same volume)", [&](const fs::path& f) {
        MoveFileExW((root / L"calls-out" / f.filename()).c_str(), f.c_str(), 0);
    });
    kw::DeleteTree(root / L"calls-out");
    if (!other.empty()) {
        fs::create_directories(other);
        each("CopyFileExW (other volume)", [&](const fs::path& f) {
            CopyFileExW(f.c_str(), (other / f.filename()).c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS);
        });
        each("CreateFileW new + WriteFile + CloseHandle (other)", [&](const fs::path& f) {
            HANDLE h = CreateFileW((other / (f.filename().native() + L".j")).c_str(), GENERIC_WRITE, 0, nullptr,
                                   CREATE_NEW, 0, nullptr);
            DWORD written = 0;
            WriteFile(h, "journal", 7, &written, nullptr);
            CloseHandle(h);
        });
        each("GetFileAttributesExW (other, exists)", [&](const fs::path& f) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            GetFileAttributesExW((other / f.filename()).c_str(), GetFileExInfoStandard, &data);
        });
        each("MoveFileExW (within other)", [&](const fs::path& f) {
            MoveFileExW((other / f.filename()).c_str(), (other / (f.filename().native() + L".m")).c_str(), 0);
        });
        each("DeleteFileW (other)", [&](const fs::path& f) { DeleteFileW((other / (f.filename().native() + L".m")).c_str()); });
        each("DeleteFileW (other, journal)", [&](const fs::path& f) { DeleteFileW((other / (f.filename().native() + L".j")).c_str()); });
        kw::DeleteTree(other);
    }
    each("DeleteFileW (same volume)", [&](const fs::path& f) { DeleteFileW(f.c_str()); });
    kw::DeleteTree(root / L"calls");
}

// The shapes a move across volumes can take, as bare Win32 calls over N files, against the floor
// (copy, delete): what each step costs before any code of ours is involved.
//   beside: the copy under a staging name beside its target, a journal file of its own written
//           and removed per file, the rename into place, the look-up after the deletion (the
//           program's moves until 2026-12);
//   folder: the copy in a staging folder of the batch (a small folder, so creating a name in it
//           scans little), one journal appended to through one handle, the rename into place,
//           the look-up after the deletion (the program's moves now);
//   direct: the journal appended to, the copy straight to the target's name, the deletion and
//           its look-up: no rename, but a kill mid-copy leaves a partial copy under the item's
//           own name until the next batch.
void MoveShapes(const fs::path& root, const fs::path& other, int count) {
    const auto run = [&](const char* what, auto move) {
        double best = 1e9;
        for (int r = 0; r < 3; ++r) {
            const std::vector<fs::path> files = MakeFiles(root / L"shapes", count);
            fs::create_directories(other / L"out" / L"~stage");
            HANDLE journal = CreateFileW((other / L"out" / L"~stage.journal").c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, 0, nullptr);
            const auto start = SteadyClock::now();
            for (const fs::path& f : files) move(f, other / L"out", journal);
            best = std::min(best, Seconds(start));
            CloseHandle(journal);
            kw::DeleteTree(root / L"shapes");
            kw::DeleteTree(other / L"out");
        }
        std::printf("RESULT shape %-8s %d files: %.3f s, %.0f us per file\n", what, count, best, best / count * 1e6);
        std::fflush(stdout);
    };
    run("floor", [](const fs::path& f, const fs::path& out, HANDLE) {
        CopyFileExW(f.c_str(), (out / f.filename()).c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS);
        DeleteFileW(f.c_str());
    });
    run("beside", [](const fs::path& f, const fs::path& out, HANDLE) {
        const fs::path staging = out / (L"~kfpart-" + f.filename().native());
        CopyFileExW(f.c_str(), staging.c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS);
        const fs::path journal = staging.native() + L".journal";
        HANDLE h = CreateFileW(journal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        DWORD written = 0;
        WriteFile(h, "journal", 7, &written, nullptr);
        CloseHandle(h);
        MoveFileExW(staging.c_str(), (out / f.filename()).c_str(), 0);
        DeleteFileW(f.c_str());
        GetFileAttributesW(f.c_str());
        DeleteFileW(journal.c_str());
    });
    run("folder", [](const fs::path& f, const fs::path& out, HANDLE journal) {
        const fs::path staging = out / L"~stage" / f.filename();
        CopyFileExW(f.c_str(), staging.c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS);
        DWORD written = 0;
        WriteFile(journal, "journal record of a few hundred bytes", 38, &written, nullptr);
        MoveFileExW(staging.c_str(), (out / f.filename()).c_str(), 0);
        DeleteFileW(f.c_str());
        GetFileAttributesW(f.c_str());
    });
    run("direct", [](const fs::path& f, const fs::path& out, HANDLE journal) {
        DWORD written = 0;
        WriteFile(journal, "journal record of a few hundred bytes", 38, &written, nullptr);
        CopyFileExW(f.c_str(), (out / f.filename()).c_str(), nullptr, nullptr, nullptr, COPY_FILE_FAIL_IF_EXISTS);
        DeleteFileW(f.c_str());
        GetFileAttributesW(f.c_str());
    });
}

fs::path ScratchFolder(const fs::path& under) {
    return under / (L"kw-bench-" + std::to_wstring(GetCurrentProcessId()));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "moves";
    wchar_t temp[MAX_PATH + 1]{};
    GetTempPathW(MAX_PATH, temp);
    const fs::path root = ScratchFolder(temp);
    fs::create_directories(root);

    if (mode == "moves") {
        std::vector<int> sizes;
        for (int i = 2; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
        if (sizes.empty()) sizes = {100, 1000, 10000};
        for (const int n : sizes)
            CompareMoves("same-volume moves", root / L"in", root / L"out", n, n >= 10000 ? 1 : n >= 1000 ? 3 : 10, false,
                         1.10);
    } else if (mode == "cross" && argc > 2) {
        // cross <drive> [files] [tiny|mix] [out|in]: onto the drive from C:, or from it onto C:.
        const fs::path other = ScratchFolder(kw::PathFromUtf8(std::string(argv[2]) + "\\"));
        const int n = argc > 3 ? std::atoi(argv[3]) : 1000;
        if (argc > 4 && std::string(argv[4]) == "mix") payload = Payload::mix;
        const bool inward = argc > 5 && std::string(argv[5]) == "in";
        CompareMoves(inward ? "cross-volume moves onto C:" : "cross-volume moves from C:", inward ? other / L"in" : root / L"in",
                     inward ? root / L"out" : other, n, 3, true, 1.20);
        kw::DeleteTree(other);
    } else if (mode == "select") {
        SelectionRate(root, argc > 2 ? std::atoi(argv[2]) : 100000);
    } else if (mode == "catastrophic") {
        Catastrophic(argc > 2 ? std::atoi(argv[2]) : 32);
    } else if (mode == "calls") {
        CallCosts(root, argc > 3 ? ScratchFolder(kw::PathFromUtf8(std::string(argv[3]) + "\\")) : fs::path(),
                  argc > 2 ? std::atoi(argv[2]) : 2000);
    } else if (mode == "shapes" && argc > 2) {
        const fs::path other = ScratchFolder(kw::PathFromUtf8(std::string(argv[2]) + "\\"));
        MoveShapes(root, other, argc > 3 ? std::atoi(argv[3]) : 1000);
        kw::DeleteTree(other);
    } else if (mode == "tail") {
        WriteLog(root / L"small.log", 1u << 20);
        WriteLog(root / L"large.log", 100u << 20);
        const double small = TailSeconds(root / L"small.log", 20);
        const double large = TailSeconds(root / L"large.log", 20);
        std::printf("RESULT LoadTail(500): 1 MB log %.2f ms, 100 MB log %.2f ms, ratio %.2f\n", small * 1e3,
                    large * 1e3, large / small);
    } else {
        std::printf("usage: RoutingBench.exe moves [N...] | cross <drive> [N] | select [names] | catastrophic [n] | tail\n");
        kw::DeleteTree(root);
        return 2;
    }
    kw::DeleteTree(root);
    return 0;
}
