#include "routing/BatchTally.h"

namespace kw {

ItemFate FateOf(const RouteItemResult& r) {
    if (r.ok && !r.skipped && r.copyRemoved) return ItemFate::uncopied;
    if (r.ok && !r.skipped && r.copied) return ItemFate::copied;
    if (r.ok && !r.skipped && r.renamed) return ItemFate::renamed;
    if (r.ok && !r.skipped) return r.target == "Recycle Bin" ? ItemFate::recycled : ItemFate::moved;
    if (r.ok) return ItemFate::left;
    return r.skipped ? ItemFate::skipped : ItemFate::failed;
}

void BatchTally::Add(ItemFate fate) {
    switch (fate) {
        case ItemFate::moved:
        case ItemFate::uncopied: ++moved; break;
        case ItemFate::copied: ++copied; break;
        case ItemFate::renamed: ++renamed; break;
        case ItemFate::recycled: ++recycled; break;
        case ItemFate::left: ++left; break;
        case ItemFate::skipped: ++skipped; break;
        case ItemFate::failed: ++failed; break;
        case ItemFate::cancelled: ++notRouted; break;
    }
}

BatchTally TallyOf(const std::vector<RouteItemResult>& items, int notRouted) {
    BatchTally tally;
    for (const RouteItemResult& item : items) tally.Add(FateOf(item));
    tally.notRouted += notRouted;
    return tally;
}

std::string TallyText(const BatchTally& t, bool undo) {
    std::string text;
    const auto part = [&text](const char* words, int count) {
        if (count == 0) return;
        if (!text.empty()) text += ", ";
        text += words + std::to_string(count);
    };
    if (undo) {
        // An undo puts items back (or out of the Recycle Bin): both are "put back".
        text = "put back " + std::to_string(t.moved + t.renamed + t.recycled) + " of " + std::to_string(t.Total());
    } else {
        part("moved ", t.moved);
        part("copied ", t.copied);
        part("renamed ", t.renamed);
        part("recycled ", t.recycled);
        part("left in place ", t.left);
    }
    part("skipped ", t.skipped);
    // Every item whose rule could not be carried out, whatever stopped it.
    part(undo ? "could not put back " : "could not route ", t.failed);
    part("not routed ", t.notRouted);
    return text.empty() ? "moved 0" : text;  // (a batch of copies that copied nothing says so too)
}

}  // namespace kw
