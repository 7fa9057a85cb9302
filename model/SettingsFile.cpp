#include "model/SettingsFile.h"

#include <windows.h>

#include <cstdio>
#include <memory>

#include "model/AppFolder.h"
#include "model/PortablePath.h"
#include "model/UniqueFile.h"
#include "model/ExtendedPath.h"
#include "model/SettingsJson.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

// `error` receives GetLastError when the file cannot be opened.
UniqueFile OpenFile(const fs::path& path, DWORD access, DWORD disposition, DWORD* error = nullptr) {
    const std::wstring name = ExtendedPath(path);
    HANDLE h = CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return UniqueFile(h);
    if (error) *error = GetLastError();
    return nullptr;
}

enum class ReadStatus { ok, cannot_open, failed };

// `error` receives GetLastError when the status is not ok.
ReadStatus ReadWholeFile(const fs::path& path, std::string& text, DWORD& error) {
    UniqueFile file = OpenFile(path, GENERIC_READ, OPEN_EXISTING, &error);
    if (!file) return ReadStatus::cannot_open;
    text.clear();
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            error = GetLastError();
            return ReadStatus::failed;
        }
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

bool Exists(const fs::path& path) { return GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Move(const fs::path& from, const fs::path& to, DWORD flags) {
    return MoveFileExW(ExtendedPath(from).c_str(), ExtendedPath(to).c_str(), flags) != FALSE;
}

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

bool ReadStoredSettings(const Json& document, AppSettings& settings) {
    const bool whole = SettingsFromJson(document, settings);
    const fs::path folder = AppFolder();
    MapStoredPaths(settings, [&](const std::string& path) { return InstalledForm(path, folder); });
    return whole;
}

// `parsed` tells an invalid document from one that is not JSON at all.
bool ReadDocument(const fs::path& path, AppSettings& settings, ReadStatus& status, DWORD& error, bool& parsed) {
    std::string text;
    parsed = false;
    status = ReadWholeFile(path, text, error);
    if (status != ReadStatus::ok) return false;
    Json document;
    if (!ParseSettingsDocument(text, document)) return false;
    parsed = true;
    return ReadStoredSettings(document, settings);
}

void ResetToDefaults(AppSettings& settings) {
    settings = AppSettings{};
    EnsureCatchAllPath(settings);
}

}  // namespace

std::string StoredSettingsText(const AppSettings& settings) {
    // Paths inside the program's folder are stored relative to it, so that the folder can move.
    AppSettings stored = settings;
    const fs::path folder = AppFolder();
    MapStoredPaths(stored, [&](const std::string& path) { return PortableForm(path, folder); });
    return SerializeSettings(stored);
}

bool WriteSettingsFile(const fs::path& path, const AppSettings& settings) {
    std::string text;
    try {
        text = StoredSettingsText(settings);
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
            DeleteFileW(ExtendedPath(temp).c_str());
            return false;
        }
    }
    constexpr DWORD kFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED;
    if (Move(temp, path, kFlags)) return true;
    // A read-only or otherwise stubborn target: remove it and try once more. Should this fail
    // too, the new document survives as the ".tmp" file, which the next start adopts.
    const std::wstring target = ExtendedPath(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(target.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    DeleteFileW(target.c_str());
    return Move(temp, path, kFlags);
}

DocumentRead ReadSettingsDocument(const fs::path& path, AppSettings& settings, const Clock& clock) {
    ResetToDefaults(settings);

    const fs::path temp = WithSuffix(path, L".tmp");
    if (!Exists(path) && Exists(temp)) {
        // A save was interrupted between removing the old document and renaming the new one.
        AppSettings candidate;
        ReadStatus status;
        DWORD error = 0;
        bool parsed;
        if (ReadDocument(temp, candidate, status, error, parsed)) {
            Move(temp, path, MOVEFILE_COPY_ALLOWED);
        } else if (status != ReadStatus::cannot_open) {
            Move(temp, AsideName(temp, clock), MOVEFILE_COPY_ALLOWED);
        }
    }

    DocumentRead found;
    ReadStatus status;
    bool parsed;
    if (ReadDocument(path, settings, status, found.error, parsed)) {
        found.state = DocumentRead::read;
        return found;
    }
    const bool absent = found.error == ERROR_FILE_NOT_FOUND || found.error == ERROR_PATH_NOT_FOUND;
    if (status == ReadStatus::cannot_open && absent) {
        found.state = DocumentRead::missing;
        return found;
    }
    if (status != ReadStatus::ok) {
        // Held open without sharing (a virus scanner, a sync client, an editor), locked or denied:
        // nothing was read and the document may well be whole. A copy would fail for the same
        // reason, so the caller must leave it alone until it can be read.
        found.state = DocumentRead::unopened;
        return found;
    }
    found.state = DocumentRead::invalid;
    // Not JSON: run on the defaults, as the document's reader would.
    if (!parsed) ResetToDefaults(settings);
    // Keep the user's document before any save can replace it.
    const fs::path aside = AsideName(path, clock);
    if (CopyFileW(ExtendedPath(path).c_str(), ExtendedPath(aside).c_str(), TRUE)) found.aside = aside;
    return found;
}

bool LoadSettingsFile(const fs::path& path, AppSettings& settings, const Clock& clock) {
    const DocumentRead found = ReadSettingsDocument(path, settings, clock);
    if (found.state == DocumentRead::missing) WriteSettingsFile(path, settings);
    return found.state == DocumentRead::read;
}

bool BackupSettingsFile(const fs::path& path, const AppSettings& settings, std::string& error) {
    error.clear();
    if (WriteSettingsFile(path, settings)) return true;
    error = "Could not write settings file.";
    return false;
}

bool RestoreSettingsFile(const fs::path& path, AppSettings& target, std::string& error) {
    error.clear();
    std::string text;
    DWORD ignored = 0;
    if (ReadWholeFile(path, text, ignored) != ReadStatus::ok) {
        error = "Could not open settings file.";
        return false;
    }
    Json document;
    if (!ParseSettingsDocument(text, document)) {
        error = "Settings file is not valid JSON.";
        return false;
    }
    if (!ReadStoredSettings(document, target)) {
        error = "Settings file is invalid or incomplete.";
        return false;
    }
    return true;
}

}  // namespace kw
