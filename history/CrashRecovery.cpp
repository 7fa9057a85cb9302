#include "history/CrashRecovery.h"

#include <windows.h>

#include <charconv>
#include <memory>
#include <string>

#include "model/UniqueFile.h"
#include "model/DataFolder.h"
#include "model/ExtendedPath.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

UniqueFile Open(const fs::path& path, DWORD access, DWORD disposition) {
    const HANDLE h = CreateFileW(ExtendedPath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                 disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return OwnFile(h);
}

}  // namespace

// With the history it speaks for: a folder the program cannot write would keep no marker, and
// nothing would ever be recovered.
fs::path SessionMarkerPath() { return DataFolder().folder / L"session.marker"; }

std::optional<uint64_t> BeginSession(const fs::path& marker, uint64_t started) {
    std::optional<uint64_t> previous;
    if (const UniqueFile in = Open(marker, GENERIC_READ, OPEN_EXISTING)) {
        char text[32] = {};
        DWORD got = 0;
        uint64_t value = 0;
        ReadFile(in.get(), text, sizeof text - 1, &got, nullptr);
        // A mark cut short by the kill still says the run did not end cleanly: everything not
        // logged is recovered then.
        if (std::from_chars(text, text + got, value).ec != std::errc()) value = 0;
        previous = value;
    }
    if (const UniqueFile out = Open(marker, GENERIC_WRITE, CREATE_ALWAYS)) {
        const std::string text = std::to_string(started);
        DWORD written = 0;
        WriteFile(out.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    return previous;
}

void EndSession(const fs::path& marker) { DeleteFileW(ExtendedPath(marker).c_str()); }

std::vector<HistoryBatch> UnloggedBatches(const std::vector<HistoryBatch>& history, uint64_t since) {
    std::vector<HistoryBatch> unlogged;
    for (const HistoryBatch& batch : history)
        if (batch.time >= since && !batch.logged && !batch.items.empty()) unlogged.push_back(batch);
    return unlogged;
}

}  // namespace kw
