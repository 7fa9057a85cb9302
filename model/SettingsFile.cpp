#include "model/SettingsFile.h"

#include <windows.h>

#include <cstdio>
#include <memory>

#include "model/AppFolder.h"
#include "model/SettingsJson.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using UniqueFile = std::unique_ptr<void, HandleCloser>;

UniqueFile OpenFile(const fs::path& path, DWORD access, DWORD disposition) {
    HANDLE h = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueFile(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

enum class ReadStatus { ok, cannot_open, failed };

ReadStatus ReadWholeFile(const fs::path& path, std::string& text) {
    UniqueFile file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
    if (!file) return ReadStatus::cannot_open;
    text.clear();
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return ReadStatus::failed;
        if (got == 0) return ReadStatus::ok;
        text.append(buffer, got);
    }
}

bool WriteAll(HANDLE file, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - written, 1u << 20));
        DWORD done = 0;
        if (!WriteFile(file, text.data() + written, chunk, &done, nullptr) || done == 0) return false;
        written += done;
    }
    return true;
}

bool Exists(const fs::path& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

fs::path WithSuffix(const fs::path& path, const std::wstring& suffix) {
    fs::path out = path;
    out += suffix;
    return out;
}

// "config.json.unreadable-20260309-140531" (with " (2)" and so on if that name is taken).
fs::path AsideName(const fs::path& path, const Clock& clock) {
    const LocalTime t = clock.Local();
    wchar_t stamp[32];
    swprintf(stamp, 32, L".unreadable-%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    fs::path aside = WithSuffix(path, stamp);
    for (int n = 2; Exists(aside) && n < 1000; ++n) aside = WithSuffix(path, std::wstring(stamp) + L" (" + std::to_wstring(n) + L")");
    return aside;
}

bool ReadDocument(const fs::path& path, AppSettings& settings, ReadStatus& status, bool& parsed) {
    std::string text;
    parsed = false;
    status = ReadWholeFile(path, text);
    if (status != ReadStatus::ok) return false;
    Json document;
    if (!ParseSettingsDocument(text, document)) return false;
    parsed = true;
    return SettingsFromJson(document, settings);
}

}  // namespace

bool WriteSettingsFile(const fs::path& path, const AppSettings& settings) {
    std::string text;
    try {
        text = SerializeSettings(settings);
    } catch (const std::exception&) {
        return false;
    }
    const fs::path temp = WithSuffix(path, L".tmp");
    {
        UniqueFile file = OpenFile(temp, GENERIC_WRITE, CREATE_ALWAYS);
        if (!file) return false;
        // A short write (full disk, I/O error) must never be renamed over a good document.
        if (!WriteAll(file.get(), text)) {
            file.reset();
            DeleteFileW(temp.c_str());
            return false;
        }
    }
    constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED;
    if (MoveFileExW(temp.c_str(), path.c_str(), kFlags)) return true;
    // A read-only or otherwise stubborn target: remove it and try once more. Should this fail
    // too, the new document survives as the ".tmp" file, which the next start adopts.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    DeleteFileW(path.c_str());
    return MoveFileExW(temp.c_str(), path.c_str(), kFlags) != FALSE;
}

bool LoadSettingsFile(const fs::path& path, AppSettings& settings, const Clock& clock) {
    settings = AppSettings{};
    EnsureCatchAllPath(settings);

    const fs::path temp = WithSuffix(path, L".tmp");
    if (!Exists(path) && Exists(temp)) {
        // A save was interrupted between removing the old document and renaming the new one.
        AppSettings candidate;
        ReadStatus status;
        bool parsed;
        if (ReadDocument(temp, candidate, status, parsed)) {
            MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_COPY_ALLOWED);
        } else if (status != ReadStatus::cannot_open) {
            MoveFileExW(temp.c_str(), AsideName(temp, clock).c_str(), MOVEFILE_COPY_ALLOWED);
        }
    }

    ReadStatus status;
    bool parsed;
    if (ReadDocument(path, settings, status, parsed)) return true;
    if (status == ReadStatus::cannot_open && !Exists(path)) {
        WriteSettingsFile(path, settings);
        return false;
    }
    if (!parsed) {
        // Not JSON (or unreadable): run on the defaults, as the document's reader would.
        settings = AppSettings{};
        EnsureCatchAllPath(settings);
    }
    // Keep the user's document before any save can replace it.
    CopyFileW(path.c_str(), AsideName(path, clock).c_str(), TRUE);
    return false;
}

bool LoadConfig(AppSettings& settings) { return LoadSettingsFile(ConfigPath(), settings); }

bool SaveConfig(const AppSettings& settings) { return WriteSettingsFile(ConfigPath(), settings); }

bool BackupSettingsFile(const fs::path& path, const AppSettings& settings, std::string& error) {
    error.clear();
    if (WriteSettingsFile(path, settings)) return true;
    error = "Could not write settings file.";
    return false;
}

bool RestoreSettingsFile(const fs::path& path, AppSettings& target, std::string& error) {
    error.clear();
    std::string text;
    if (ReadWholeFile(path, text) != ReadStatus::ok) {
        error = "Could not open settings file.";
        return false;
    }
    Json document;
    if (!ParseSettingsDocument(text, document)) {
        error = "Settings file is not valid JSON.";
        return false;
    }
    if (!SettingsFromJson(document, target)) {
        error = "Settings file is invalid or incomplete.";
        return false;
    }
    return true;
}

}  // namespace kw
