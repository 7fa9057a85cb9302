#include "history/HistoryLines.h"

#include <algorithm>
#include <climits>

#include "model/SettingsJson.h"

namespace kw {

namespace {

constexpr const char* kFates[] = {"moved", "recycled", "left", "skipped", "failed", "cancelled", "copied", "renamed", "uncopied"};

std::optional<ItemFate> FateFrom(const std::string& text) {
    for (size_t i = 0; i < std::size(kFates); ++i)
        if (text == kFates[i]) return static_cast<ItemFate>(i);
    return std::nullopt;
}

// An id, a time or a count as the program writes them: a whole number from 0 to `most`.
// Anything else makes the line damaged: converting a fraction or a number past the field's
// range is undefined, and a negative number would wrap into another id.
uint64_t Whole(const Json& j, const char* key, uint64_t most = UINT64_MAX) {
    const Json& v = j.at(key);
    if (!v.is_number_unsigned() || v.get<uint64_t>() > most)
        throw Json::type_error::create(302, std::string("member \"") + key + "\" is not a whole number in range", nullptr);
    return v.get<uint64_t>();
}

uint64_t WholeOr(const Json& j, const char* key, uint64_t fallback) { return j.contains(key) ? Whole(j, key) : fallback; }

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
                const uint64_t id = Whole(j, "logged");
                for (auto b = batches.rbegin(); b != batches.rend(); ++b)
                    if (b->id == id) {
                        b->logged = true;
                        break;
                    }
                continue;
            }
            if (j.contains("batch")) {
                HistoryBatch b;
                b.id = Whole(j, "batch");
                b.time = Whole(j, "time");
                b.undoOf = WholeOr(j, "undoOf", 0);
                // Only a label: a value of the wrong kind loses the label, never the batch.
                if (const auto watched = j.find("watched"); watched != j.end() && watched->is_string())
                    b.watchedFolder = watched->get<std::string>();
                batches.push_back(std::move(b));
                continue;
            }
            if (j.contains("stopped")) {
                const uint64_t id = Whole(j, "stopped");
                const int notRouted = static_cast<int>(Whole(j, "notRouted", INT_MAX));
                for (auto b = batches.rbegin(); b != batches.rend(); ++b)
                    if (b->id == id) {
                        b->notRouted = notRouted;
                        break;
                    }
                continue;
            }
            HistoryItem item;
            item.batch = Whole(j, "item");
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
                item.moved.bytes = Whole(m, "bytes");
                item.moved.entries = Whole(m, "entries");
                item.moved.stamp = Whole(m, "stamp");
                item.identity = m.value("id", std::string());
            }
            if (item.fate == ItemFate::recycled && j.contains("recycled")) {
                const Json& rb = j.at("recycled");
                item.recycledAt = WholeOr(rb, "at", 0);
                if (rb.contains("bytes")) item.recycledBytes = Whole(rb, "bytes");
            }
            if (PlacedAtTarget(item.fate) && j.contains("replaced")) {
                const Json& old = j.at("replaced");
                item.replacedAt = WholeOr(old, "at", 0);
                if (old.contains("bytes")) item.replacedBytes = Whole(old, "bytes");
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

}  // namespace kw
