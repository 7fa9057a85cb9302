// KwDriver: what the end-to-end scripts cannot do from the Linux side. It finds the program's
// windows, posts them messages and drags files onto them through OLE, the way Explorer does.
// Cross-process WM_DROPFILES is no substitute: the receiver cannot read an HDROP made in
// another process.
//
//   KwDriver drag <window-class> <file>...       CF_HDROP drag onto the window's centre
//   KwDriver drag-shift <window-class> <file>... the same with Shift held
//   KwDriver drag-ctrl <window-class> <file>...  the same with Ctrl held
//   KwDriver drag-ctrl-shift <window-class> <file>... the same with both held
//   KwDriver drag-text <window-class>            the same with only CF_UNICODETEXT
//   KwDriver wait-window <class> <seconds>       prints "hwnd visible x y w h"
//   KwDriver window <class>                      prints "hwnd visible x y w h"
//   KwDriver post <class> <message> <wparam> <lparam>
//   KwDriver resize <class> <width> <height>     as a drag of its border would (its minimum holds)
//   KwDriver wait-gone <class> <seconds>
//   KwDriver responsive <class> <seconds>        the window's thread answers a sent message in time
//   KwDriver end-session <class>                 log-off as Windows does it: WM_QUERYENDSESSION, then
//                                                WM_ENDSESSION, then the process is ended at once
//   KwDriver hold <file> <stop-file>             opens the file without sharing, prints "held",
//                                                and closes it once the stop file exists
//   KwDriver sendto-target <name>                prints the target of the shortcut <name>.lnk in the
//                                                user's Send To folder, read through IShellLinkW
//   KwDriver probe <class> <interval-ms> <stop-file>  sends WM_NULL to the window every interval
//                                                until the stop file exists; prints how long each
//                                                answer took: the worst, the 99th percentile
//   KwDriver hand-over <class> <list-file>       hands the paths of a UTF-8 file (one a line) to the
//                                                window as `route` from a console does; prints the time
//
// A drag prints the moment of the drop (seconds since 1970, the clock the Linux side reads) as
// "dropped at S", and a post the moment it was sent as "posted at S": the benchmarks time a batch
// from it.
//
// Exit codes: 0 success, 1 failure or timeout, 2 bad command line, 3 a drag that never ended.
// File names are passed as Windows paths (winepath -w); relative ones are made absolute.

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <shellapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/TextEncoding.h"
#include "shell/InstanceHandoff.h"

namespace kw {
namespace {

using Microsoft::WRL::ComPtr;

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitHung = 3;
constexpr DWORD kPollMs = 50;
// Enough polls for the target to see DragEnter and DragOver before the drop.
constexpr int kPollsBeforeDrop = 8;
constexpr DWORD kDragTimeoutMs = 30000;

std::optional<long long> ParseNumber(const std::wstring& text) {
    const bool hex = text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
    const wchar_t* begin = text.c_str() + (hex ? 2 : 0);
    if (*begin == 0) return std::nullopt;
    wchar_t* end = nullptr;
    errno = 0;
    const long long value = hex ? static_cast<long long>(std::wcstoull(begin, &end, 16)) : std::wcstoll(begin, &end, 10);
    if (*end != 0 || errno == ERANGE) return std::nullopt;
    return value;
}

std::optional<DWORD> ParseSeconds(const std::wstring& text) {
    wchar_t* end = nullptr;
    const double seconds = std::wcstod(text.c_str(), &end);
    if (text.empty() || *end != 0 || !(seconds >= 0) || seconds > 3600) return std::nullopt;
    return static_cast<DWORD>(seconds * 1000);
}

void PrintWindow(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    std::cout << "0x" << std::hex << reinterpret_cast<UINT_PTR>(window) << std::dec << ' '
              << (IsWindowVisible(window) ? 1 : 0) << ' ' << rect.left << ' ' << rect.top << ' '
              << (rect.right - rect.left) << ' ' << (rect.bottom - rect.top) << std::endl;
}

// Polls until the window's presence is `wanted` or the time is up.
bool WaitForWindow(const std::wstring& windowClass, bool wanted, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (true) {
        if ((FindWindowW(windowClass.c_str(), nullptr) != nullptr) == wanted) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(kPollMs);
    }
}

// Ends the process if a drag is still running after the timeout: DoDragDrop has no timeout of
// its own, and a target that never answers would otherwise hang the test run.
class Watchdog {
public:
    explicit Watchdog(DWORD timeoutMs) {
        CreateTimerQueueTimer(&timer, nullptr, &Watchdog::Fire, nullptr, timeoutMs, 0, WT_EXECUTEONLYONCE);
    }
    ~Watchdog() {
        if (timer) DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE);
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    static void CALLBACK Fire(void*, BOOLEAN) {
        std::cerr << "drag did not end in time" << std::endl;
        TerminateProcess(GetCurrentProcess(), kExitHung);
    }
    HANDLE timer = nullptr;
};

// IUnknown of a heap object that implements one interface and deletes itself at its last Release.
template <typename Interface, const IID& kInterfaceId>
class ComObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == kInterfaceId) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refCount); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG count = InterlockedDecrement(&refCount);
        if (count == 0) delete this;
        return count;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    LONG refCount = 1;
};

// A data object that offers one format as an HGLOBAL copy of fixed bytes.
class DataObject final : public ComObject<IDataObject, IID_IDataObject> {
public:
    DataObject(CLIPFORMAT format, std::vector<BYTE> bytes)
        : format{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, bytes(std::move(bytes)) {}
    DataObject(const DataObject&) = delete;
    DataObject& operator=(const DataObject&) = delete;

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
        if (!wanted || !medium) return E_INVALIDARG;
        const HRESULT offered = QueryGetData(wanted);
        if (offered != S_OK) return offered;
        HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        if (!copy) return E_OUTOFMEMORY;
        std::memcpy(GlobalLock(copy), bytes.data(), bytes.size());
        GlobalUnlock(copy);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override {
        if (!wanted) return E_INVALIDARG;
        if (wanted->cfFormat != format.cfFormat) return DV_E_FORMATETC;
        if (!(wanted->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
        if (wanted->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (direction != DATADIR_GET) return E_NOTIMPL;
        return SHCreateStdEnumFmtEtc(1, &format, out);
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    FORMATETC format;
    std::vector<BYTE> bytes;
};

// Drops after a few polls instead of waiting for a mouse button nobody will release.
class DropSource final : public ComObject<IDropSource, IID_IDropSource> {
public:
    DropSource() = default;
    DropSource(const DropSource&) = delete;
    DropSource& operator=(const DropSource&) = delete;

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD) override {
        if (escapePressed) return DRAGDROP_S_CANCEL;
        if (++polls < kPollsBeforeDrop) return S_OK;
        droppedAt = UnixSeconds();
        return DRAGDROP_S_DROP;
    }
    // Seconds since 1970 (FILETIME counts 100 ns from 1601).
    static double UnixSeconds() {
        FILETIME now{};
        GetSystemTimePreciseAsFileTime(&now);
        const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
        return static_cast<double>(ticks - 116444736000000000ULL) / 1e7;
    }
    double droppedAt = 0;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    int polls = 0;
};

std::vector<BYTE> MakeHdrop(const std::vector<std::wstring>& files) {
    std::wstring names;
    for (const std::wstring& file : files) {
        names += file;
        names += L'\0';
    }
    names += L'\0';
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::vector<BYTE> bytes(sizeof(header) + names.size() * sizeof(wchar_t));
    std::memcpy(bytes.data(), &header, sizeof(header));
    std::memcpy(bytes.data() + sizeof(header), names.data(), names.size() * sizeof(wchar_t));
    return bytes;
}

std::vector<BYTE> MakeText(const std::wstring& text) {
    const auto* begin = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(begin, begin + (text.size() + 1) * sizeof(wchar_t));
}

std::wstring FullPath(const std::wstring& name) {
    const DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (size == 0) return name;
    std::wstring full(size, L'\0');
    const DWORD written = GetFullPathNameW(name.c_str(), size, full.data(), nullptr);
    full.resize(written < size ? written : 0);
    return full.empty() ? name : full;
}

const char* EffectName(DWORD effect) {
    if (effect & DROPEFFECT_COPY) return "copy";
    if (effect & DROPEFFECT_MOVE) return "move";
    if (effect & DROPEFFECT_LINK) return "link";
    return "none";
}

class OleSession {
public:
    OleSession() : result(OleInitialize(nullptr)) {}
    ~OleSession() {
        if (SUCCEEDED(result)) OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;
    bool Ok() const { return SUCCEEDED(result); }

private:
    HRESULT result;
};

// Shift and/or Ctrl held in this thread's keyboard state, which OLE's drag loop reads for the key
// state it hands the drop target (the driver has no window to receive real key presses).
class HeldShift {
public:
    explicit HeldShift(const std::vector<int>& keys) {
        GetKeyboardState(saved);
        BYTE held[256];
        std::memcpy(held, saved, sizeof held);
        for (const int key : keys) {
            held[key] = 0x80;
            held[key == VK_SHIFT ? VK_LSHIFT : VK_LCONTROL] = 0x80;
        }
        SetKeyboardState(held);
    }
    ~HeldShift() { SetKeyboardState(saved); }
    HeldShift(const HeldShift&) = delete;
    HeldShift& operator=(const HeldShift&) = delete;

private:
    BYTE saved[256]{};
};

int Drag(const std::wstring& windowClass, CLIPFORMAT format, std::vector<BYTE> bytes, const std::vector<int>& heldKeys = {}) {
    HWND target = FindWindowW(windowClass.c_str(), nullptr);
    if (!target) {
        std::cerr << "no window of that class" << std::endl;
        return kExitFailed;
    }
    OleSession ole;
    if (!ole.Ok()) {
        std::cerr << "OleInitialize failed" << std::endl;
        return kExitFailed;
    }
    RECT rect{};
    GetWindowRect(target, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);

    ComPtr<IDataObject> data;
    data.Attach(new DataObject(format, std::move(bytes)));
    ComPtr<DropSource> source;
    source.Attach(new DropSource());
    DWORD effect = DROPEFFECT_NONE;
    HRESULT result;
    {
        const Watchdog watchdog(kDragTimeoutMs);
        std::optional<HeldShift> held;
        if (!heldKeys.empty()) held.emplace(heldKeys);
        result = DoDragDrop(data.Get(), source.Get(), DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK, &effect);
    }
    std::cout << "effect " << EffectName(effect) << std::endl;
    char at[64];
    std::snprintf(at, sizeof at, "dropped at %.6f", source->droppedAt);
    std::cout << at << std::endl;
    if (result != DRAGDROP_S_DROP) {
        std::cerr << "DoDragDrop returned 0x" << std::hex << static_cast<unsigned long>(result) << std::endl;
        return kExitFailed;
    }
    return kExitOk;
}

// What a virus scanner or an editor does to a file: every other open fails with
// ERROR_SHARING_VIOLATION while the handle is open. Bounded, so a failed script cannot leave it.
int Hold(const std::wstring& file, const std::wstring& stopFile) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        std::cerr << "CreateFileW failed: " << GetLastError() << std::endl;
        return kExitFailed;
    }
    std::cout << "held" << std::endl;
    constexpr DWORD kMaxHoldMs = 300000;
    for (DWORD waited = 0; waited < kMaxHoldMs && GetFileAttributesW(stopFile.c_str()) == INVALID_FILE_ATTRIBUTES;
         waited += kPollMs)
        Sleep(kPollMs);
    CloseHandle(h);
    return kExitOk;
}

// What Windows does at log-off to a program that lets the session end: once WM_ENDSESSION has
// been answered, the process may be ended at any moment; here it is ended at once.
int EndSession(const std::wstring& windowClass) {
    HWND window = FindWindowW(windowClass.c_str(), nullptr);
    DWORD process = 0;
    if (!window || !GetWindowThreadProcessId(window, &process)) {
        std::cerr << "no window of that class" << std::endl;
        return kExitFailed;
    }
    HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, process);
    if (!handle) {
        std::cerr << "OpenProcess failed: " << GetLastError() << std::endl;
        return kExitFailed;
    }
    DWORD_PTR allowed = 0, ended = 0;
    const bool asked =
        SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 30000, &allowed) != 0;
    const bool told =
        asked && allowed && SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 120000, &ended);
    TerminateProcess(handle, 1);
    CloseHandle(handle);
    std::cout << "query " << (asked ? (allowed ? "allowed" : "refused") : "unanswered") << ", end "
              << (told ? "answered" : "not answered") << std::endl;
    return asked && allowed && told ? kExitOk : kExitFailed;
}

// Makes the process that owns a window of that class fault, as a bug in it would: a thread started
// in it at an address where nothing is mapped raises an access violation at once, which reaches
// the program's unhandled-exception filter. (CreateRemoteThread succeeds whatever the start
// address points to; the fault comes when the thread runs.)
int Crash(const std::wstring& windowClass) {
    HWND window = FindWindowW(windowClass.c_str(), nullptr);
    DWORD pid = 0;
    if (!window || !GetWindowThreadProcessId(window, &pid) || pid == 0) {
        std::cerr << "no window of that class" << std::endl;
        return kExitFailed;
    }
    // The rights CreateRemoteThread needs on every platform.
    const HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                           PROCESS_VM_WRITE | PROCESS_VM_READ | SYNCHRONIZE,
                                       FALSE, pid);
    if (!process) {
        std::cerr << "OpenProcess failed: " << GetLastError() << std::endl;
        return kExitFailed;
    }
    const HANDLE thread =
        CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(0x10), nullptr, 0, nullptr);
    if (!thread) {
        std::cerr << "CreateRemoteThread failed: " << GetLastError() << std::endl;
        CloseHandle(process);
        return kExitFailed;
    }
    CloseHandle(thread);
    const DWORD waited = WaitForSingleObject(process, 120000);  // a dump of 30 MB takes Wine ~10 s
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    if (waited != WAIT_OBJECT_0) {
        std::cerr << "the program did not end" << std::endl;
        return kExitFailed;
    }
    std::cout << "exit code 0x" << std::hex << code << std::endl;
    return kExitOk;
}

// What a user feels as the window answering: a message sent to it (WM_NULL does nothing) is
// answered once its thread gets back to its message loop. Probed at a fixed period until the
// stop file appears; a probe that gets no answer within 10 s counts as 10 s.
int Probe(const std::wstring& windowClass, DWORD intervalMs, const std::wstring& stopFile) {
    HWND window = FindWindowW(windowClass.c_str(), nullptr);
    if (!window) {
        std::cerr << "no window of that class" << std::endl;
        return kExitFailed;
    }
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    std::vector<double> answers;
    std::string slow;  // when the slow answers came (seconds since 1970, as the scripts' clock)
    const ULONGLONG deadline = GetTickCount64() + 3600 * 1000;
    while (GetFileAttributesW(stopFile.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount64() < deadline) {
        LARGE_INTEGER before{}, after{};
        QueryPerformanceCounter(&before);
        DWORD_PTR answer = 0;
        const bool answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0;
        QueryPerformanceCounter(&after);
        answers.push_back(answered ? static_cast<double>(after.QuadPart - before.QuadPart) * 1000.0 /
                                         static_cast<double>(frequency.QuadPart)
                                   : 10000.0);
        const double spent = answers.back();
        if (spent > 50) {
            char at[64];
            std::snprintf(at, sizeof at, "%s%.3f (%.0f ms)", slow.empty() ? "" : ", ", DropSource::UnixSeconds(), spent);
            slow += at;
        }
        if (spent < intervalMs) Sleep(static_cast<DWORD>(intervalMs - spent));
    }
    if (answers.empty()) return kExitFailed;
    std::vector<double> sorted = answers;
    std::sort(sorted.begin(), sorted.end());
    const double p99 = sorted[std::min(sorted.size() - 1, sorted.size() * 99 / 100)];
    const auto over = std::count_if(sorted.begin(), sorted.end(), [](double ms) { return ms > 50; });
    char line[200];
    std::snprintf(line, sizeof line, "probes %zu, worst %.1f ms, 99th percentile %.1f ms, median %.1f ms, over 50 ms %lld",
                  sorted.size(), sorted.back(), p99, sorted[sorted.size() / 2], static_cast<long long>(over));
    std::cout << line << std::endl;
    if (!slow.empty()) std::cout << "over 50 ms at " << slow << std::endl;
    return kExitOk;
}

// The Send To entry's target as the shell reads it (fails when there is no such shortcut).
int SendToTarget(const std::wstring& name) {
    PWSTR folder = nullptr;
    const HRESULT found = SHGetKnownFolderPath(FOLDERID_SendTo, 0, nullptr, &folder);
    const std::wstring shortcut = SUCCEEDED(found) && folder ? std::wstring(folder) + L"\\" + name + L".lnk" : L"";
    CoTaskMemFree(folder);
    if (shortcut.empty() || GetFileAttributesW(shortcut.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::cerr << "no shortcut" << std::endl;
        return kExitFailed;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    wchar_t target[MAX_PATH + 1] = {};
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
        FAILED(link.As(&file)) || FAILED(file->Load(shortcut.c_str(), STGM_READ)) ||
        link->GetPath(target, MAX_PATH + 1, nullptr, SLGP_RAWPATH) != S_OK) {
        std::cerr << "unreadable shortcut" << std::endl;
        return kExitFailed;
    }
    char utf8[4 * (MAX_PATH + 1)] = {};
    WideCharToMultiByte(CP_UTF8, 0, target, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::cout << utf8 << std::endl;
    return kExitOk;
}

// A list of paths (a UTF-8 file, one a line) handed to the running copy as a script would, as
// one WM_COPYDATA from a console: prints how long the hand-over took and how it ended.
int HandOverList(const std::wstring& windowClass, const std::wstring& listFile) {
    std::ifstream file(listFile.c_str(), std::ios::binary);
    if (!file) {
        std::cerr << "cannot read the list" << std::endl;
        return kExitFailed;
    }
    kw::IntakeRequest request;
    request.fromConsole = true;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) request.paths.push_back(kw::ToWide(line));
    }
    HWND window = FindWindowW(windowClass.c_str(), nullptr);
    if (!window) {
        std::cerr << "no window of that class" << std::endl;
        return kExitFailed;
    }
    LARGE_INTEGER frequency{}, before{}, after{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    const kw::HandOverResult result = kw::HandOver(window, request, nullptr);
    QueryPerformanceCounter(&after);
    const double ms = static_cast<double>(after.QuadPart - before.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    char line[160];
    std::snprintf(line, sizeof line, "handed over %zu path(s) in %.1f ms: %s", request.paths.size(), ms,
                  result == kw::HandOverResult::accepted ? "accepted" : kw::HandOverProblem(result, request.paths.size()).c_str());
    std::cout << line << std::endl;
    return result == kw::HandOverResult::accepted ? kExitOk : kExitFailed;
}

int Usage() {
    std::cerr << "usage: KwDriver drag|drag-shift|drag-ctrl|drag-ctrl-shift <class> <file>... | drag-text <class> | wait-window <class> <seconds>\n"
                 "       | window <class> | post <class> <message> <wparam> <lparam> | wait-gone <class> <seconds>\n"
                 "       | responsive <class> <seconds> | end-session <class> | crash <class>\n"
                 "       | hold <file> <stop-file> | sendto-target <name> | probe <class> <interval-ms> <stop-file>\n"
                 "       | hand-over <class> <list-file>"
              << std::endl;
    return kExitUsage;
}

int Run(const std::vector<std::wstring>& args) {
    if (args.size() < 2) return Usage();
    const std::wstring& command = args[0];
    const std::wstring& windowClass = args[1];

    if ((command == L"drag" || command == L"drag-shift" || command == L"drag-ctrl" || command == L"drag-ctrl-shift") &&
        args.size() >= 3) {
        std::vector<std::wstring> files;
        for (size_t i = 2; i < args.size(); ++i) files.push_back(FullPath(args[i]));
        std::vector<int> held;
        if (command == L"drag-shift" || command == L"drag-ctrl-shift") held.push_back(VK_SHIFT);
        if (command == L"drag-ctrl" || command == L"drag-ctrl-shift") held.push_back(VK_CONTROL);
        return Drag(windowClass, CF_HDROP, MakeHdrop(files), held);
    }
    if (command == L"drag-text" && args.size() == 2) {
        return Drag(windowClass, CF_UNICODETEXT, MakeText(L"dragged text, not files"));
    }
    if (command == L"window" && args.size() == 2) {
        HWND window = FindWindowW(windowClass.c_str(), nullptr);
        if (!window) return kExitFailed;
        PrintWindow(window);
        return kExitOk;
    }
    if ((command == L"wait-window" || command == L"wait-gone") && args.size() == 3) {
        const std::optional<DWORD> timeoutMs = ParseSeconds(args[2]);
        if (!timeoutMs) return Usage();
        const bool appear = command == L"wait-window";
        if (!WaitForWindow(windowClass, appear, *timeoutMs)) {
            std::cerr << "timeout" << std::endl;
            return kExitFailed;
        }
        if (appear) PrintWindow(FindWindowW(windowClass.c_str(), nullptr));
        return kExitOk;
    }
    if (command == L"responsive" && args.size() == 3) {
        const std::optional<DWORD> timeoutMs = ParseSeconds(args[2]);
        if (!timeoutMs) return Usage();
        HWND window = FindWindowW(windowClass.c_str(), nullptr);
        DWORD_PTR answer = 0;
        if (!window || !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, *timeoutMs, &answer)) {
            std::cerr << "no answer" << std::endl;
            return kExitFailed;
        }
        return kExitOk;
    }
    if (command == L"resize" && args.size() == 4) {
        const auto width = ParseNumber(args[2]);
        const auto height = ParseNumber(args[3]);
        if (!width || !height) return Usage();
        HWND window = FindWindowW(windowClass.c_str(), nullptr);
        // SetWindowPos asks the window (WM_WINDOWPOSCHANGING, WM_GETMINMAXINFO) as a drag would.
        if (!window || !SetWindowPos(window, nullptr, 0, 0, static_cast<int>(*width), static_cast<int>(*height),
                                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE))
            return kExitFailed;
        PrintWindow(window);
        return kExitOk;
    }
    if (command == L"probe" && args.size() == 4) {
        const auto interval = ParseNumber(args[2]);
        if (!interval || *interval <= 0 || *interval > 60000) return Usage();
        return Probe(windowClass, static_cast<DWORD>(*interval), FullPath(args[3]));
    }
    if (command == L"hand-over" && args.size() == 3) return HandOverList(windowClass, FullPath(args[2]));
    if (command == L"end-session" && args.size() == 2) return EndSession(windowClass);
    if (command == L"crash" && args.size() == 2) return Crash(windowClass);
    if (command == L"sendto-target" && args.size() == 2) return SendToTarget(args[1]);
    if (command == L"hold" && args.size() == 3) return Hold(FullPath(args[1]), FullPath(args[2]));
    if (command == L"post" && args.size() == 5) {
        const auto message = ParseNumber(args[2]);
        const auto wParam = ParseNumber(args[3]);
        const auto lParam = ParseNumber(args[4]);
        if (!message || !wParam || !lParam) return Usage();
        HWND window = FindWindowW(windowClass.c_str(), nullptr);
        if (!window) {
            std::cerr << "no window of that class" << std::endl;
            return kExitFailed;
        }
        const double postedAt = DropSource::UnixSeconds();
        if (!PostMessageW(window, static_cast<UINT>(*message), static_cast<WPARAM>(*wParam),
                          static_cast<LPARAM>(*lParam))) {
            std::cerr << "PostMessageW failed: " << GetLastError() << std::endl;
            return kExitFailed;
        }
        char at[64];
        std::snprintf(at, sizeof at, "posted at %.6f", postedAt);
        std::cout << at << std::endl;
        return kExitOk;
    }
    return Usage();
}

}  // namespace
}  // namespace kw

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return kw::Run(args);
}
