#include "routing/ActivityLog.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "model/UniqueFile.h"
#include "model/AppFolder.h"
#include "model/ExtendedPath.h"

namespace kw {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

UniqueFile Open(const std::filesystem::path& path, DWORD access, DWORD disposition) {
    HANDLE h = CreateFileW(ExtendedPath(path).c_str(), access, kShareAll, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return OwnFile(h);
}

// Splits complete lines of `text` into `out` (in order), dropping empty ones and one CR before
// each LF. When `firstIsPartial`, text before the first LF is an incomplete line and is skipped.
void SplitLines(const std::string& text, bool firstIsPartial, std::vector<std::string>& out) {
    size_t start = 0;
    if (firstIsPartial) {
        const size_t lf = text.find('\n');
        if (lf == std::string::npos) return;
        start = lf + 1;
    }
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        size_t stop = end;
        if (stop > start && text[stop - 1] == '\r') --stop;
        if (stop > start) out.emplace_back(text, start, stop - start);
        start = end + 1;
    }
}

}  // namespace

ActivityLog::ActivityLog() : ActivityLog(AppFolder() / L"activity.log") {}

ActivityLog::ActivityLog(std::filesystem::path file, const Clock& c) : path(std::move(file)), clock(&c) {}

bool ActivityLog::CanAppend(bool folderTakesNewFiles) const {
    if (Open(path, FILE_APPEND_DATA, OPEN_EXISTING)) return true;
    const DWORD error = GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) && folderTakesNewFiles;
}

std::string ActivityLog::Timestamp() const {
    const LocalTime t = clock->Local();
    char text[32];
    snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text;
}

std::string ActivityLog::Append(const std::string& message) const {
    std::string line = Timestamp() + " | " + message;
    if (UniqueFile file = Open(path, FILE_APPEND_DATA, OPEN_ALWAYS)) {
        const std::string record = line + "\n";
        DWORD written = 0;
        WriteFile(file.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    }
    return line;
}

std::vector<std::string> ActivityLog::AppendAll(const std::vector<std::string>& messages) const {
    std::vector<std::string> lines;
    lines.reserve(messages.size());
    std::string record;
    const std::string stamp = Timestamp() + " | ";
    for (const std::string& message : messages) {
        lines.push_back(stamp + message);
        record += lines.back();
        record += '\n';
    }
    if (UniqueFile file = Open(path, FILE_APPEND_DATA, OPEN_ALWAYS)) {
        DWORD written = 0;
        for (size_t at = 0; at < record.size(); at += written) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(record.size() - at, 1u << 24));
            if (!WriteFile(file.get(), record.data() + at, chunk, &written, nullptr) || written == 0) break;
        }
    }
    return lines;
}

ClearedLog ActivityLog::Clear() const { return SetLogAside(path, clock->Local(), 5); }

std::error_code ActivityLog::BringBack(const std::filesystem::path& aside) const { return BringBackLog(path, aside); }

size_t ActivityLog::LineCount() const { return CountLines(path); }

void ActivityLog::LoadTail(std::vector<std::string>& lines, size_t max) const {
    lines.clear();
    UniqueFile file = Open(path, GENERIC_READ, OPEN_EXISTING);
    if (!file || max == 0) return;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return;

    // Read backwards in growing chunks until the complete lines seen are enough.
    int64_t begin = size.QuadPart;
    std::string tail;
    int64_t chunk = 64 * 1024;
    for (;;) {
        const int64_t from = std::max<int64_t>(0, begin - chunk);
        std::string block(static_cast<size_t>(begin - from), '\0');
        LARGE_INTEGER at{};
        at.QuadPart = from;
        DWORD got = 0;
        if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) ||
            !ReadFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr) || got != block.size())
            return;
        tail.insert(0, block);
        begin = from;
        std::vector<std::string> found;
        SplitLines(tail, begin > 0, found);
        if (begin == 0 || found.size() >= max) {
            const size_t keep = std::min(found.size(), max);
            lines.assign(std::make_move_iterator(found.end() - static_cast<ptrdiff_t>(keep)),
                         std::make_move_iterator(found.end()));
            return;
        }
        chunk = std::min<int64_t>(chunk * 2, 16 << 20);
    }
}

}  // namespace kw
