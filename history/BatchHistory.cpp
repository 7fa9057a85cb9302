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

namespace {

constexpr const char* kFates[] = {"moved", "recycled", "left", "skipped", "failed", "cancelled", "copied", "renamed"};

std::optional<ItemFate> FateFrom(const std::string& text) {
    for (size_t i = 0; i < std::size(kFates); ++i)
        if (text == kFates[i]) return static_cast<ItemFate>(i);
    return std::nullopt;
}

}  // namespace

BatchTally HistoryBatch::Tally() const {
    BatchTally tally;
    for (const HistoryItem& item : items) tally.Add(item.fate);
    tally.notRouted += notRouted;
    return tally;
}

int HistoryBatch::Count(ItemFate fate) const {
    return static_cast<int>(std::count_if(items.begin(), items.end(), [&](const HistoryItem& i) { return i.fate == fate; }));
}

std::string FormatBatchLine(const HistoryBatch& batch) {
    Json j = {{"batch", batch.id}, {"time", batch.time}};
    if (batch.undoOf) j["undoOf"] = batch.undoOf;
    if (!batch.watchedFolder.empty()) j["watched"] = batch.watchedFolder;
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string FormatItemLine(const HistoryItem& item) {
    Json j = {{"item", item.batch},
              {"fate", kFates[static_cast<size_t>(item.fate)]},
              {"source", item.source},
              {"target", item.target},
              {"rule", item.rule},
              {"message", item.message}};
    if (PlacedAtTarget(item.fate))
        j["moved"] = {{"kind", item.moved.folder ? "folder" : "file"},
                      {"bytes", item.moved.bytes},
                      {"entries", item.moved.entries},
                      {"stamp", item.moved.stamp},
                      {"id", item.identity}};
    if (item.fate == ItemFate::recycled && item.recycledAt) {
        j["recycled"] = {{"at", item.recycledAt}};
        if (item.recycledBytes) j["recycled"]["bytes"] = *item.recycledBytes;
    }
    if (PlacedAtTarget(item.fate) && item.replacedAt) {
        j["replaced"] = {{"at", item.replacedAt}};
        if (item.replacedBytes) j["replaced"]["bytes"] = *item.replacedBytes;
    }
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string FormatStopLine(const HistoryBatch& batch) {
    return Json{{"stopped", batch.id}, {"notRouted", batch.notRouted}}.dump(-1, ' ', false, Json::error_handler_t::replace);
}
std::string FormatLoggedLine(uint64_t batch) { return Json{{"logged", batch}}.dump(); }

std::vector<HistoryBatch> ParseHistory(std::string_view text, size_t* damaged) {
    std::vector<HistoryBatch> batches;
    size_t skipped = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.find_first_not_of(" \t\r") == std::string_view::npos) continue;
        if (end == std::string_view::npos) {  // the last line was cut short by a kill
            ++skipped;
            break;
        }
        try {
            const Json j = Json::parse(line);
            if (j.contains("logged")) {
                const uint64_t id = j.at("logged").get<uint64_t>();
                for (auto b = batches.rbegin(); b != batches.rend(); ++b)
                    if (b->id == id) {
                        b->logged = true;
                        break;
                    }
                continue;
            }
            if (j.contains("batch")) {
                HistoryBatch b;
                b.id = j.at("batch").get<uint64_t>();
                b.time = j.at("time").get<uint64_t>();
                b.undoOf = j.value("undoOf", uint64_t{0});
                // Only a label: a value of the wrong kind loses the label, never the batch.
                if (const auto watched = j.find("watched"); watched != j.end() && watched->is_string())
                    b.watchedFolder = watched->get<std::string>();
                batches.push_back(std::move(b));
                continue;
            }
            if (j.contains("stopped")) {
                const uint64_t id = j.at("stopped").get<uint64_t>();
                for (auto b = batches.rbegin(); b != batches.rend(); ++b)
                    if (b->id == id) {
                        b->notRouted = j.at("notRouted").get<int>();
                        break;
                    }
                continue;
            }
            HistoryItem item;
            item.batch = j.at("item").get<uint64_t>();
            const auto fate = FateFrom(j.at("fate").get<std::string>());
            if (!fate) continue;
            item.fate = *fate;
            item.source = j.at("source").get<std::string>();
            item.target = j.at("target").get<std::string>();
            item.rule = j.value("rule", std::string());
            item.message = j.value("message", std::string());
            if (PlacedAtTarget(item.fate)) {
                const Json& m = j.at("moved");
                item.moved.folder = m.at("kind").get<std::string>() == "folder";
                item.moved.bytes = m.at("bytes").get<uint64_t>();
                item.moved.entries = m.at("entries").get<uint64_t>();
                item.moved.stamp = m.at("stamp").get<uint64_t>();
                item.identity = m.value("id", std::string());
            }
            if (item.fate == ItemFate::recycled && j.contains("recycled")) {
                const Json& rb = j.at("recycled");
                item.recycledAt = rb.value("at", uint64_t{0});
                if (rb.contains("bytes")) item.recycledBytes = rb.at("bytes").get<uint64_t>();
            }
            if (PlacedAtTarget(item.fate) && j.contains("replaced")) {
                const Json& old = j.at("replaced");
                item.replacedAt = old.value("at", uint64_t{0});
                if (old.contains("bytes")) item.replacedBytes = old.at("bytes").get<uint64_t>();
            }
            // Items belong to the newest batch line with their id (ids are never reused).
            for (auto b = batches.rbegin(); b != batches.rend(); ++b)
                if (b->id == item.batch) {
                    b->items.push_back(std::move(item));
                    break;
                }
        } catch (const Json::exception&) {
            // A damaged line: skipped, the rest of the history stands.
            ++skipped;
        }
    }
    if (damaged) *damaged = skipped;
    return batches;
}

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
