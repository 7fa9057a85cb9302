#include "history/BatchHistory.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "model/UniqueFile.h"
#include "model/DataFolder.h"
#include "model/ExtendedPath.h"
#include "model/SettingsJson.h"
#include "model/TextEncoding.h"
#include "routing/FileIdentity.h"
#include "routing/FileTree.h"
#include "routing/RouteItemResult.h"

namespace kw {
namespace fs = std::filesystem;

namespace {

UniqueFile Open(const fs::path& path, DWORD access, DWORD disposition) {
    const HANDLE h = CreateFileW(ExtendedPath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    return OwnFile(h);
}

std::string ReadAll(const fs::path& path) {
    std::string text;
    const UniqueFile file = Open(path, GENERIC_READ, OPEN_EXISTING);
    if (!file) return text;
    char buffer[64 * 1024];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    return text;
}

}  // namespace

fs::path HistoryFilePath() { return DataFolder().folder / L"history.jsonl"; }

HistoryWriter::HistoryWriter(const fs::path& file, const HistoryBatch& batch) {
    const HANDLE h = CreateFileW(ExtendedPath(file).c_str(), GENERIC_READ | FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    handle_ = h == INVALID_HANDLE_VALUE ? nullptr : h;
    // A line cut short by a kill is ended first, or this batch's line would join it and both
    // would be lost.
    LARGE_INTEGER size{};
    if (handle_ && GetFileSizeEx(h, &size) && size.QuadPart > 0) {
        LARGE_INTEGER last{};
        last.QuadPart = size.QuadPart - 1;
        char c = '\n';
        DWORD got = 0;
        if (SetFilePointerEx(h, last, nullptr, FILE_BEGIN) && ReadFile(h, &c, 1, &got, nullptr) && got == 1 && c != '\n')
            Write("");
    }
    Write(FormatBatchLine(batch));
}

HistoryWriter::~HistoryWriter() {
    if (handle_) CloseHandle(handle_);
}

void HistoryWriter::Add(const HistoryItem& item) { Write(FormatItemLine(item)); }

void HistoryWriter::Write(const std::string& line) {
    if (!handle_) {
        failed_ = true;
        return;
    }
    // One write per line: appends of a whole line land together, so a kill cuts at most the
    // line being written, which reading then skips.
    std::string text = line + "\n";
    DWORD written = 0;
    if (!WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) || written != text.size())
        failed_ = true;
}

void MarkBatchLogged(const fs::path& file, uint64_t batch) {
    const UniqueFile out = Open(file, FILE_APPEND_DATA, OPEN_ALWAYS);
    if (!out) return;  // the batch is then logged again after a crash: twice rather than never
    const std::string line = FormatLoggedLine(batch) + "\n";
    DWORD written = 0;
    WriteFile(out.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

HistoryItem RecordOf(uint64_t batch, const RouteItemResult& r, ItemIdentities* identities) {
    HistoryItem item;
    item.batch = batch;
    item.source = r.source;
    item.target = r.target;
    item.rule = r.rule;
    item.message = r.message;
    item.fate = FateOf(r);
    if (item.fate == ItemFate::recycled) {
        item.recycledAt = r.recycledAt;
        item.recycledBytes = r.recycledBytes;
    }
    if (PlacedAtTarget(item.fate)) {
        item.replacedAt = r.replacedAt;
        item.replacedBytes = r.replacedBytes;
        const std::filesystem::path target = PathFromUtf8(r.target);
        const bool fingerprinted = !FingerprintTree(target, item.moved);
        if (!fingerprinted) item.moved = {};  // cannot be proven the same later: undo leaves it
        item.identity = identities ? identities->TextOf(target, fingerprinted && !item.moved.folder) : IdentityText(target);
    }
    return item;
}

BatchRecording::BatchRecording(const fs::path& file, HistoryBatch batch)
    : file_(file), batch_(std::move(batch)), writer_(file, batch_) {}

void BatchRecording::Add(const RouteItemResult& result) {
    batch_.items.push_back(RecordOf(batch_.id, result, &identities_));
    writer_.Add(batch_.items.back());
}

void BatchRecording::Stopped(int notRouted) {
    if (notRouted <= 0) return;
    batch_.notRouted = notRouted;
    writer_.AddLine(FormatStopLine(batch_));
}

std::vector<HistoryBatch> LoadHistory(const fs::path& file) { return ParseHistory(ReadAll(file)); }

void PruneHistory(const fs::path& file, size_t maxBatches, uint64_t maxBytes) {
    const std::string text = ReadAll(file);
    std::vector<HistoryBatch> batches = ParseHistory(text);
    if (batches.size() <= maxBatches && text.size() <= maxBytes) return;
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
    fs::path temp = file;
    temp += L".tmp";
    bool whole = true;
    {
        const UniqueFile out = Open(temp, GENERIC_WRITE, CREATE_ALWAYS);
        if (!out) return;
        for (auto b = blocks.rbegin(); whole && b != blocks.rend(); ++b) {
            DWORD written = 0;
            whole = WriteFile(out.get(), b->data(), static_cast<DWORD>(b->size()), &written, nullptr) &&
                    written == b->size();
        }
    }
    // A short write (full disk) must never replace the history.
    if (!whole || !MoveFileExW(ExtendedPath(temp).c_str(), ExtendedPath(file).c_str(), MOVEFILE_REPLACE_EXISTING))
        DeleteFileW(ExtendedPath(temp).c_str());
}

}  // namespace kw
