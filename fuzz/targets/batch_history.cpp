// history.jsonl: what each batch did, read at start-up and for every undo. A kill can leave a
// line cut short, and the file lies in a folder the user (or another program) can write.
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "history/HistoryLines.h"
#include "support/FuzzCheck.h"

namespace {

// The history as pruning writes it back: each batch's line, its items, its stop and logged lines.
std::string Written(const std::vector<kw::HistoryBatch>& batches) {
    std::string text;
    for (const kw::HistoryBatch& b : batches) {
        text += kw::FormatBatchLine(b) + "\n";
        for (const kw::HistoryItem& item : b.items) text += kw::FormatItemLine(item) + "\n";
        if (b.notRouted > 0) text += kw::FormatStopLine(b) + "\n";
        if (b.logged) text += kw::FormatLoggedLine(b.id) + "\n";
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kw;
    const std::vector<HistoryBatch> batches = ParseHistory(std::string_view(reinterpret_cast<const char*>(data), size));
    std::set<uint64_t> ids;
    for (const HistoryBatch& b : batches) {
        ids.insert(b.id);
        KW_FUZZ_CHECK(b.notRouted >= 0);
        const BatchTally tally = b.Tally();
        (void)tally;
        for (const HistoryItem& item : b.items) KW_FUZZ_CHECK(item.batch == b.id);
    }
    // A history kept through a prune reads as it did (ids are unique in what the program writes).
    if (ids.size() == batches.size()) {
        const std::string once = Written(batches);
        KW_FUZZ_CHECK(Written(ParseHistory(once)) == once);
    }
    return 0;
}
