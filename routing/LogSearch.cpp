#include "routing/LogSearch.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

#include "model/AsciiCase.h"
#include "model/ExtendedPath.h"
#include "model/UniqueFile.h"

namespace kw {
namespace {

constexpr std::string_view kOutcomeTags[] = {"", "[ok] ", "[skip] ", "[fail] ", "[undo] ", "[left] "};
constexpr size_t kBlockBytes = 1 << 20;

}  // namespace

bool LogLineShown(std::string_view line, std::string_view text, int outcome) {
    if (outcome > 0 && outcome < static_cast<int>(std::size(kOutcomeTags)) &&
        line.find(kOutcomeTags[outcome]) == std::string_view::npos)
        return false;
    if (text.empty()) return true;
    if (text.size() > line.size()) return false;
    for (size_t i = 0; i + text.size() <= line.size(); ++i) {
        size_t k = 0;
        while (k < text.size() && AsciiLower(line[i + k]) == AsciiLower(text[k])) ++k;
        if (k == text.size()) return true;
    }
    return false;
}

LogSearch::LogSearch(std::function<void()> wakeUp) : wake(std::move(wakeUp)) {}

LogSearch::~LogSearch() { Join(); }

void LogSearch::Join() {
    stop = true;
    if (worker.joinable()) worker.join();
    stop = false;
}

void LogSearch::Start(const std::filesystem::path& file, LogQuery what) {
    Clear();
    query = what;
    running = true;
    try {
        worker = std::thread(&LogSearch::Search, this, file, std::move(what));
    } catch (const std::system_error&) {
        running = false;
        failed = true;  // no thread: said as a log that could not be read
    }
}

void LogSearch::Clear() {
    Join();
    running = false;
    failed = false;
    missing = false;
    matched = 0;
    const std::lock_guard<std::mutex> lock(handOver);
    found.clear();
}

bool LogSearch::Collect(std::vector<std::string>& lines) {
    std::vector<std::string> taken;
    {
        const std::lock_guard<std::mutex> lock(handOver);
        taken.swap(found);
    }
    if (taken.empty()) return false;
    const size_t room = kKeptLines > lines.size() ? kKeptLines - lines.size() : 0;
    if (taken.size() > room) taken.resize(room);
    lines.insert(lines.end(), std::make_move_iterator(taken.begin()), std::make_move_iterator(taken.end()));
    return true;
}

void LogSearch::Search(std::filesystem::path file, LogQuery what) {
    // Shared for writing and deleting: the window goes on logging (and may clear the log) while
    // this reads; a line cut by a write in progress is read as it stood.
    UniqueFile log = OwnFile(CreateFileW(ExtendedPath(file).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!log || !GetFileSizeEx(log.get(), &size)) {
        const DWORD error = GetLastError();
        missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        failed = !missing;
        running = false;
        if (wake) wake();
        return;
    }
    // From the end backwards, one block at a time; `carry` holds the start of the block read
    // before, a line whose beginning lies in this block.
    int64_t begin = size.QuadPart;
    std::string block, carry;
    std::vector<std::string> batch;
    size_t kept = 0;
    while (begin > 0 && !stop) {
        const int64_t from = std::max<int64_t>(0, begin - static_cast<int64_t>(kBlockBytes));
        block.resize(static_cast<size_t>(begin - from));
        LARGE_INTEGER at{};
        at.QuadPart = from;
        DWORD got = 0;
        if (!SetFilePointerEx(log.get(), at, nullptr, FILE_BEGIN) ||
            !ReadFile(log.get(), block.data(), static_cast<DWORD>(block.size()), &got, nullptr) || got != block.size()) {
            failed = true;
            break;
        }
        block += carry;
        begin = from;
        // Lines after the first LF are whole; before it, whole only at the file's start.
        size_t first = 0;
        if (begin > 0) {
            first = block.find('\n');
            if (first == std::string::npos) {
                carry.swap(block);
                continue;
            }
            ++first;
        }
        for (size_t end = block.size(); end > first;) {
            size_t stopAt = end;
            if (block[stopAt - 1] == '\n') --stopAt;  // this line's own LF
            const size_t lf = stopAt > first ? block.rfind('\n', stopAt - 1) : std::string::npos;
            const size_t start = (lf == std::string::npos || lf < first) ? first : lf + 1;
            if (stopAt > start && block[stopAt - 1] == '\r') --stopAt;
            const std::string_view line(block.data() + start, stopAt - start);
            if (!line.empty() && LogLineShown(line, what.text, what.outcome)) {
                ++matched;
                if (kept < kKeptLines) {
                    batch.emplace_back(line);
                    ++kept;
                }
            }
            end = start;
        }
        carry.assign(block, 0, first);
        if (!batch.empty()) {
            {
                const std::lock_guard<std::mutex> lock(handOver);
                found.insert(found.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
            }
            batch.clear();
            if (wake) wake();
        }
    }
    running = false;
    if (wake) wake();
}

}  // namespace kw
