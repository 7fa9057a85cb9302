#include "history/BatchHistory.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "history/HistoryFile.h"
#include "model/DataFolder.h"
#include "model/ExtendedPath.h"
#include "model/SettingsJson.h"
#include "model/TextEncoding.h"
#include "routing/FileIdentity.h"
#include "routing/FileTree.h"
#include "routing/RouteItemResult.h"

namespace kw {
namespace fs = std::filesystem;

fs::path HistoryFilePath() { return DataFolder().folder / L"history.jsonl"; }

HistoryWriter::HistoryWriter(HistoryFile& file, const HistoryBatch& batch) : file_(file) { Write(FormatBatchLine(batch)); }

void HistoryWriter::Add(const HistoryItem& item) { Write(FormatItemLine(item)); }

void HistoryWriter::Write(const std::string& line) {
    // One append per line: the history's one writer puts it down whole.
    if (!file_.Append(line + "\n")) failed_ = true;
}

// The batch is then logged again after a crash: twice rather than never.
void MarkBatchLogged(HistoryFile& file, uint64_t batch) { file.Append(FormatLoggedLine(batch) + "\n"); }

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

BatchRecording::BatchRecording(std::shared_ptr<HistoryFile> file, HistoryBatch batch)
    : file_(std::move(file)), batch_(std::move(batch)), writer_(*file_, batch_) {}

const fs::path& BatchRecording::File() const { return file_->Path(); }

void BatchRecording::Add(const RouteItemResult& result) {
    batch_.items.push_back(RecordOf(batch_.id, result, &identities_));
    writer_.Add(batch_.items.back());
}

void BatchRecording::Stopped(int notRouted) {
    if (notRouted <= 0) return;
    batch_.notRouted = notRouted;
    writer_.AddLine(FormatStopLine(batch_));
}

}  // namespace kw
