#include "support/TempDir.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace kw::test {
namespace fs = std::filesystem;

namespace {

std::wstring Extended(const fs::path& path) {
    const std::wstring& p = path.native();
    if (p.rfind(L"\\\\?\\", 0) == 0) return p;
    return L"\\\\?\\" + p;
}

}  // namespace

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    wchar_t base[MAX_PATH + 1]{};
    GetTempPathW(MAX_PATH, base);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = fs::path(base) / (L"kwtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                                     std::to_wstring(counter++) + L"-" +
                                                     std::to_wstring(GetTickCount64() % 100000));
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() { RemoveTree(path_); }

void WriteFile(const fs::path& path, std::string_view bytes) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("cannot create test file");
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFileOfSize(const fs::path& path, uint64_t size) { WriteFile(path, std::string(size, 'x')); }

std::vector<std::string> EntryNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

size_t EntryCount(const fs::path& folder) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

void SetLastWriteTicks(const fs::path& path, uint64_t ticks) {
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open file to set its time");
    FILETIME t{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
    const BOOL ok = SetFileTime(h, nullptr, nullptr, &t);
    CloseHandle(h);
    if (!ok) throw std::runtime_error("SetFileTime failed");
}

void RemoveTree(const fs::path& path) {
    if (path.empty()) return;
    const std::wstring root = Extended(path);
    const DWORD attributes = GetFileAttributesW(root.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(root.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (!DeleteFileW(root.c_str())) RemoveDirectoryW(root.c_str());
        return;
    }
    WIN32_FIND_DATAW entry{};
    HANDLE find = FindFirstFileExW((root + L"\\*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..") RemoveTree(fs::path(root + L"\\" + name));
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(root.c_str());
}

}  // namespace kw::test
