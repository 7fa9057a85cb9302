#include "history/HistoryFile.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "model/ExtendedPath.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

// The whole file into `text`; false when it could not be read to its end (it is then not
// rewritten from what was read: that would drop the rest).
bool ReadAll(const fs::path& path, std::string& text) {
    text.clear();
    const UniqueFile file = OwnFile(CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;  // no history yet
    }
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return false;
        if (got == 0) return true;
        text.append(buffer, got);
    }
}

// Whether the file ends with a line break (or is empty). Read through the append handle, whose
// writes go to the end of the file wherever its pointer stands.
bool EndsWithLineBreak(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size) || size.QuadPart == 0) return true;
    LARGE_INTEGER last{};
    last.QuadPart = size.QuadPart - 1;
    char c = '\n';
    DWORD got = 0;
    return !(SetFilePointerEx(file, last, nullptr, FILE_BEGIN) && ReadFile(file, &c, 1, &got, nullptr) && got == 1 &&
             c != '\n');
}

bool WriteWhole(HANDLE file, std::string_view text) {
    while (!text.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size(), 1u << 24));
        if (!WriteFile(file, text.data(), chunk, &written, nullptr) || written == 0) return false;
        text.remove_prefix(written);
    }
    return true;
}

// The batches' lines as the file holds them, newest `maxBatches` within `maxBytes` (at least the
// newest batch), oldest first.
std::string NewestBlocks(std::vector<HistoryBatch>& batches, size_t maxBatches, uint64_t maxBytes) {
    std::vector<std::string> blocks;  // newest first
    uint64_t total = 0;
    for (auto b = batches.rbegin(); b != batches.rend() && blocks.size() < maxBatches; ++b) {
        std::string block = FormatBatchLine(*b) + "\n";
        for (const HistoryItem& item : b->items) block += FormatItemLine(item) + "\n";
        if (b->notRouted > 0) block += FormatStopLine(*b) + "\n";
        if (b->logged) block += FormatLoggedLine(b->id) + "\n";
        if (total + block.size() > maxBytes && !blocks.empty()) break;
        total += block.size();
        blocks.push_back(std::move(block));
    }
    batches.erase(batches.begin(), batches.end() - static_cast<ptrdiff_t>(blocks.size()));
    std::string text;
    text.reserve(total);
    for (auto b = blocks.rbegin(); b != blocks.rend(); ++b) text += *b;
    return text;
}

}  // namespace

HistoryFile::HistoryFile(fs::path file) : file_(std::move(file)) {}

bool HistoryFile::Append(std::string_view lines) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!handle_) {
        // FILE_APPEND_DATA without FILE_WRITE_DATA: "for local files, write operations will not
        // overwrite existing data" (File Access Rights Constants). For a share, each write is put
        // at the end by hand below; with one handle under one lock, nothing else moves the end.
        handle_ = OwnFile(CreateFileW(ExtendedPath(file_).c_str(), GENERIC_READ | FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
        if (!handle_) return false;  // tried again at the next append
        ended_ = EndsWithLineBreak(handle_.get());
    }
    std::string text;
    text.reserve(lines.size() + 1);
    if (!ended_) text += '\n';
    text += lines;
    const bool whole =
        SetFilePointerEx(handle_.get(), LARGE_INTEGER{}, nullptr, FILE_END) && WriteWhole(handle_.get(), text);
    // A short write (a full disk) leaves part of a line, which the next append ends.
    ended_ = whole && (text.empty() || text.back() == '\n');
    return whole;
}

HistoryRead HistoryFile::Load(size_t maxBatches, uint64_t maxBytes) {
    const std::lock_guard<std::mutex> lock(mutex_);
    HistoryRead read;
    std::string text;
    const bool whole = ReadAll(file_, text);
    read.batches = ParseHistory(text, &read.damaged);
    if (read.batches.size() <= maxBatches && text.size() <= maxBytes && read.damaged == 0) return read;
    const std::string kept = NewestBlocks(read.batches, maxBatches, maxBytes);
    if (!whole) return read;
    // The open handle would keep the file from being replaced; the next append opens it again.
    handle_.reset();
    fs::path temp = file_;
    temp += L".tmp";
    bool written = false;
    {
        const UniqueFile out = OwnFile(CreateFileW(ExtendedPath(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out) return read;
        written = WriteWhole(out.get(), kept);
    }
    // A short write (full disk) must never replace the history.
    if (!written || !MoveFileExW(ExtendedPath(temp).c_str(), ExtendedPath(file_).c_str(), MOVEFILE_REPLACE_EXISTING))
        DeleteFileW(ExtendedPath(temp).c_str());
    return read;
}

std::vector<HistoryBatch> LoadHistory(const fs::path& file, size_t* damaged) {
    std::string text;
    ReadAll(file, text);
    return ParseHistory(text, damaged);
}

}  // namespace kw
