#include "shell/CrashReport.h"

// clang-format off
#include <windows.h>
#include <dbghelp.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "model/ExtendedPath.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

// Ready before anything can fail: the filter allocates nothing and loads nothing.
MiniDumpWriteDumpFn writeDump = nullptr;
// The folder in its \\?\ form, made at install: the filter allocates nothing.
constexpr size_t kMaxFolder = 32768 - 40;
wchar_t reportFolder[kMaxFolder] = {};
volatile LONG writing = 0;

// A C++ exception that nothing caught ends in std::terminate, which aborts without passing the
// unhandled-exception filter; raised as a structured exception, it gets a report like a fault.
constexpr DWORD kUncaughtCppException = 0xE0000CC1;

struct Fault {
    EXCEPTION_POINTERS* info;
    DWORD thread;  // the thread that failed
};

DWORD WINAPI WriteDump(void* parameter) {
    const Fault& fault = *static_cast<const Fault*>(parameter);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    static wchar_t path[kMaxFolder + 40];  // one writer at a time (see WriteReport)
    swprintf(path, sizeof path / sizeof path[0], L"%ls\\crash-%04u%02u%02u-%02u%02u%02u.dmp", reportFolder, now.wYear,
             now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    MINIDUMP_EXCEPTION_INFORMATION exception{};
    exception.ThreadId = fault.thread;
    exception.ExceptionPointers = fault.info;
    exception.ClientPointers = FALSE;  // the pointers are this process's own
    // The smallest kind (threads, their stacks, the modules): five of them are kept beside a
    // portable program. (Wine writes whole thread stacks into it, about 34 MB here.)
    writeDump(GetCurrentProcess(), GetCurrentProcessId(), file, MiniDumpNormal, &exception, nullptr, nullptr);
    CloseHandle(file);
    return 0;
}

LONG WINAPI WriteReport(EXCEPTION_POINTERS* info) {
    // One report per crash (DbgHelp is single-threaded): a second thread failing meanwhile waits
    // for the process to end.
    if (!writeDump || InterlockedExchange(&writing, 1) != 0) return EXCEPTION_EXECUTE_HANDLER;
    // Microsoft advises writing a dump from another process where possible, as the failing one
    // may be in no state to do it; a portable program has no helper it can rely on starting at
    // that moment, so it writes its own, with dbghelp loaded beforehand (loading it now could
    // deadlock on the loader lock). The filter runs on the failing thread, whose stack may be
    // used up (a stack overflow), so a fresh thread writes the dump while this one waits; that
    // also keeps the failing thread's own stack whole in the dump.
    Fault fault{info, GetCurrentThreadId()};
    if (const HANDLE writer = CreateThread(nullptr, 256 * 1024, WriteDump, &fault, 0, nullptr)) {
        WaitForSingleObject(writer, 60 * 1000);
        CloseHandle(writer);
    } else {
        WriteDump(&fault);
    }
    return EXCEPTION_EXECUTE_HANDLER;  // the process ends, as it would have without the report
}

void OnTerminate() {
    RaiseException(kUncaughtCppException, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    std::abort();
}

bool IsReportName(const std::wstring& name) {
    return name.size() > 10 && name.rfind(L"crash-", 0) == 0 && name.compare(name.size() - 4, 4, L".dmp") == 0;
}

struct Report {
    fs::path path;
    uint64_t written = 0;
};

// Reports in the folder, newest first.
std::vector<Report> Reports(const fs::path& folder) {
    std::vector<Report> found;
    WIN32_FIND_DATAW data{};
    const HANDLE find = FindFirstFileExW(ExtendedPath(folder / L"crash-*.dmp").c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return found;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsReportName(data.cFileName)) continue;
        found.push_back(Report{folder / data.cFileName, (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                                            data.ftLastWriteTime.dwLowDateTime});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(found.begin(), found.end(), [](const Report& a, const Report& b) {
        return a.written != b.written ? a.written > b.written : a.path.native() > b.path.native();
    });
    return found;
}

}  // namespace

void InstallCrashReporter(const fs::path& folder) {
    const std::wstring text = ExtendedPath(folder);
    if (text.size() >= kMaxFolder) return;  // no report rather than a cut path
    std::copy(text.begin(), text.end(), reportFolder);
    reportFolder[text.size()] = 0;
    // From the system folder only: a dbghelp.dll planted beside a portable program must not load.
    if (const HMODULE dbghelp = LoadLibraryExW(L"dbghelp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32))
        writeDump = reinterpret_cast<MiniDumpWriteDumpFn>(
            reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
    SetUnhandledExceptionFilter(WriteReport);
    std::set_terminate(OnTerminate);
}

void PruneCrashReports(const fs::path& folder, size_t keep) {
    const std::vector<Report> reports = Reports(folder);
    for (size_t i = keep; i < reports.size(); ++i) DeleteFileW(ExtendedPath(reports[i].path).c_str());
}

std::optional<fs::path> CrashReportSince(const fs::path& folder, uint64_t utcTicks) {
    const std::vector<Report> reports = Reports(folder);
    if (reports.empty() || reports.front().written < utcTicks) return std::nullopt;
    return reports.front().path;
}

}  // namespace kw
