#include "routing/JournalKey.h"

#include <windows.h>
#include <bcrypt.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "model/UniqueFile.h"
#include "model/ExtendedPath.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

enum class Read { key, missing, busy, damaged };

Read ReadKey(const fs::path& path, JournalKeyBytes& key) {
    const std::wstring name = ExtendedPath(path);
    HANDLE h = INVALID_HANDLE_VALUE;
    // Another copy of the program may be writing the key this moment (it holds it without
    // sharing until all 32 bytes are in): that is a key on its way, not a damaged one.
    for (int attempt = 0; attempt < 20; ++attempt) {
        h = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return Read::missing;
        if (error == ERROR_SHARING_VIOLATION) return Read::busy;
        return Read::damaged;  // there, but not readable (no right to it, a bad sector)
    }
    const UniqueFile file(h);
    DWORD got = 0, more = 0;
    unsigned char extra = 0;
    if (!ReadFile(h, key.data(), key.size(), &got, nullptr) || got != key.size()) return Read::damaged;
    if (!ReadFile(h, &extra, 1, &more, nullptr) || more != 0) return Read::damaged;  // longer than a key
    return Read::key;
}

// Made with CREATE_NEW, so two processes starting together agree on one key: the loser of the
// race reads the winner's.
std::optional<JournalKeyBytes> CreateKey(const fs::path& path) {
    JournalKeyBytes key{};
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, key.data(), key.size(), BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        return std::nullopt;
    const std::wstring name = ExtendedPath(path);
    const HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    UniqueFile file(h);
    DWORD written = 0;
    if (!WriteFile(h, key.data(), key.size(), &written, nullptr) || written != key.size()) {
        file.reset();
        DeleteFileW(name.c_str());
        return std::nullopt;
    }
    return key;
}

// "journal.key.damaged-20260309-140501" beside it (with "-2", "-3"... should that be taken).
std::optional<fs::path> SetAside(const fs::path& path) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t stamp[40];
    swprintf(stamp, 40, L".damaged-%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond);
    for (int n = 1; n < 100; ++n) {
        fs::path aside = path;
        aside += stamp;
        if (n > 1) aside += L"-" + std::to_wstring(n);
        // Without MOVEFILE_REPLACE_EXISTING: an earlier damaged key is kept as well.
        if (MoveFileExW(ExtendedPath(path).c_str(), ExtendedPath(aside).c_str(), 0)) return aside;
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return std::nullopt;
}

}  // namespace

JournalKeyFile LoadJournalKey(const fs::path& folder) {
    const fs::path path = folder / L"journal.key";
    JournalKeyFile result;
    JournalKeyBytes key{};
    switch (ReadKey(path, key)) {
        case Read::key:
            result.key = key;
            result.state = KeyFileState::sound;
            return result;
        case Read::busy: return result;
        case Read::damaged: {
            const std::optional<fs::path> aside = SetAside(path);
            if (!aside) return result;  // it stays, and nothing is journalled
            result.setAside = *aside;
            result.state = KeyFileState::replaced;
            break;
        }
        case Read::missing: result.state = KeyFileState::created; break;
    }
    result.key = CreateKey(path);
    if (!result.key && ReadKey(path, key) == Read::key) result.key = key;  // another process made it first
    if (!result.key && result.state != KeyFileState::replaced) result.state = KeyFileState::unavailable;
    return result;
}

}  // namespace kw
