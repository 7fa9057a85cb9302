#include "model/DataFolder.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cwchar>

#include "model/AppFolder.h"
#include "model/ExtendedPath.h"

namespace kw {
namespace fs = std::filesystem;

bool FolderTakesNewFiles(const fs::path& folder) {
    static std::atomic<unsigned> counter{0};
    wchar_t name[48];
    swprintf(name, 48, L"~kfprobe-%08lx-%04x.tmp", GetCurrentProcessId(), counter++ & 0xFFFF);
    const std::wstring probe = ExtendedPath(folder / name);
    // CREATE_NEW: a name that happens to exist is never opened, let alone deleted.
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    // A folder that lets files be made but not deleted (an append-only share) would collect a
    // probe at every start: it counts as not writable, the program's files would pile up too.
    return DeleteFileW(probe.c_str()) != FALSE;
}

fs::path LocalDataFolder() {
    PWSTR raw = nullptr;
    // The string is freed with CoTaskMemFree whether the call succeeds or not (SHGetKnownFolderPath).
    const HRESULT hr = SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &raw);
    fs::path base;
    if (SUCCEEDED(hr) && raw) base = raw;
    CoTaskMemFree(raw);
    if (base.empty()) return {};
    const fs::path folder = base / L"Kestrane Fileweir";
    if (!CreateDirectoryW(ExtendedPath(folder).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
    return folder;
}

const DataFolderChoice& DataFolder() {
    static const DataFolderChoice choice = [] {
        const fs::path program = AppFolder();
        if (FolderTakesNewFiles(program)) return DataFolderChoice{program, true, true};
        const fs::path local = LocalDataFolder();
        if (!local.empty() && FolderTakesNewFiles(local)) return DataFolderChoice{local, false, true};
        return DataFolderChoice{program, true, false};
    }();
    return choice;
}

}  // namespace kw
