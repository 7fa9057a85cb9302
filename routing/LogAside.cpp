#include "routing/LogAside.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ExtendedPath.h"
#include "model/UniqueFile.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::error_code LastError() { return std::error_code(static_cast<int>(GetLastError()), std::system_category()); }

bool Exists(const fs::path& path) { return GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// The whole file; false when it could not be read to its end.
bool ReadWhole(const fs::path& path, std::string& text) {
    text.clear();
    const UniqueFile file = OwnFile(
        CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return false;
        if (got == 0) return true;
        text.append(buffer, got);
    }
}

// "2026-12-10-0830" from "activity-2026-12-10-0830.log" or "activity-2026-12-10-0830-3.log",
// with the number after it (1 without one); nothing for a name the clear did not make.
struct AsideName {
    std::wstring stamp;
    unsigned number = 1;
};

std::optional<AsideName> ParseAsideName(const std::wstring& name, const std::wstring& stem, const std::wstring& extension) {
    const std::wstring prefix = stem + L"-";
    if (name.size() < prefix.size() + 15 + extension.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
        return std::nullopt;
    const std::wstring middle = name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
    static constexpr wchar_t kShape[] = L"dddd-dd-dd-dddd";
    for (size_t i = 0; i < 15; ++i)
        if (kShape[i] == L'd' ? !iswdigit(middle[i]) : middle[i] != L'-') return std::nullopt;
    AsideName parsed{middle.substr(0, 15)};
    if (middle.size() == 15) return parsed;
    if (middle[15] != L'-' || middle.size() > 15 + 4 || middle.size() == 16) return std::nullopt;
    parsed.number = 0;
    for (size_t i = 16; i < middle.size(); ++i) {
        if (!iswdigit(middle[i])) return std::nullopt;
        parsed.number = parsed.number * 10 + static_cast<unsigned>(middle[i] - L'0');
    }
    return parsed;
}

// Removes the cleared logs beside `log` beyond the newest `keep`, never `made` (the one just
// made, should the clock have been set back since older ones). Only names of the clear's own
// form are touched.
void PruneAsides(const fs::path& log, const fs::path& made, size_t keep) {
    const std::wstring stem = log.stem().wstring(), extension = log.extension().wstring();
    struct Found {
        AsideName name;
        fs::path path;
    };
    std::vector<Found> found;
    WIN32_FIND_DATAW data{};
    const HANDLE find = FindFirstFileExW(ExtendedPath(log.parent_path() / (stem + L"-*" + extension)).c_str(),
                                         FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (const auto name = ParseAsideName(data.cFileName, stem, extension))
            found.push_back(Found{*name, log.parent_path() / data.cFileName});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.name.stamp != b.name.stamp ? a.name.stamp > b.name.stamp : a.name.number > b.name.number;
    });
    size_t kept = 1;  // `made`
    for (const Found& aside : found) {
        if (aside.path.filename() == made.filename()) continue;
        if (kept < keep) {
            ++kept;
            continue;
        }
        DeleteFileW(ExtendedPath(aside.path).c_str());
    }
}

}  // namespace

ClearedLog SetLogAside(const fs::path& log, const LocalTime& now, size_t keep) {
    ClearedLog cleared;
    if (!Exists(log)) return cleared;  // nothing logged yet: nothing to keep
    wchar_t stamp[32];
    std::swprintf(stamp, std::size(stamp), L"-%04d-%02d-%02d-%02d%02d", now.year, now.month, now.day, now.hour, now.minute);
    const std::wstring base = log.stem().wstring() + stamp;
    const fs::path folder = log.parent_path();
    // Without MOVEFILE_REPLACE_EXISTING the rename never takes the name of an earlier cleared log:
    // a name taken meanwhile fails with ERROR_ALREADY_EXISTS and the next number is tried.
    for (unsigned number = 1; number < 100; ++number) {
        const std::wstring name = base + (number == 1 ? std::wstring() : L"-" + std::to_wstring(number)) + log.extension().wstring();
        const fs::path aside = folder / name;
        if (Exists(aside)) continue;
        if (!MoveFileExW(ExtendedPath(log).c_str(), ExtendedPath(aside).c_str(), 0)) {
            const DWORD error = GetLastError();
            if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) continue;
            cleared.error = std::error_code(static_cast<int>(error), std::system_category());
            return cleared;
        }
        cleared.aside = aside;
        // An empty log in its place, as before a first line: the Activity tab reads it as empty
        // rather than missing. (If this fails the next line makes it.)
        const UniqueFile empty = OwnFile(CreateFileW(ExtendedPath(log).c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
        PruneAsides(log, aside, keep);
        return cleared;
    }
    cleared.error = std::make_error_code(std::errc::file_exists);
    return cleared;
}

std::error_code BringBackLog(const fs::path& log, const fs::path& aside) {
    std::string cleared, since;
    if (!ReadWhole(aside, cleared)) return LastError();
    if (Exists(log) && !ReadWhole(log, since)) return LastError();
    if (!cleared.empty() && cleared.back() != '\n') cleared += '\n';
    fs::path temp = log;
    temp += L".tmp";
    {
        const UniqueFile out = OwnFile(CreateFileW(ExtendedPath(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out) return LastError();
        for (const std::string* part : {&cleared, &since}) {
            std::string_view rest = *part;
            while (!rest.empty()) {
                DWORD written = 0;
                const DWORD chunk = static_cast<DWORD>(std::min<size_t>(rest.size(), 1u << 24));
                if (!WriteFile(out.get(), rest.data(), chunk, &written, nullptr) || written == 0) {
                    const std::error_code error = LastError();
                    DeleteFileW(ExtendedPath(temp).c_str());
                    return error ? error : std::make_error_code(std::errc::no_space_on_device);
                }
                rest.remove_prefix(written);
            }
        }
    }
    // The log is replaced whole or not at all; only then is the cleared copy let go.
    if (!MoveFileExW(ExtendedPath(temp).c_str(), ExtendedPath(log).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const std::error_code error = LastError();
        DeleteFileW(ExtendedPath(temp).c_str());
        return error;
    }
    DeleteFileW(ExtendedPath(aside).c_str());
    return {};
}

size_t CountLines(const fs::path& file) {
    const UniqueFile in = OwnFile(
        CreateFileW(ExtendedPath(file).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in) return 0;
    size_t lines = 0;
    char buffer[64 * 1024];
    char last = '\n';
    DWORD got = 0;
    while (ReadFile(in.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
        lines += static_cast<size_t>(std::count(buffer, buffer + got, '\n'));
        last = buffer[got - 1];
    }
    return lines + (last != '\n' ? 1 : 0);
}

}  // namespace kw
