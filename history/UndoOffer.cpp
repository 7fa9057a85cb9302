#include "history/UndoOffer.h"

#include <algorithm>
#include <unordered_set>

#include "model/TextEncoding.h"

namespace kw {
namespace {

const HistoryBatch* Find(uint64_t id, const std::vector<HistoryBatch>& batches) {
    for (const HistoryBatch& b : batches)
        if (b.id == id) return &b;
    return nullptr;
}

// An undo batch undid a routing batch (or a redo); a redo undid an undo. A chain that leaves the
// recent batches ends, as far as can be told, at a routing batch.
bool PutsBack(const HistoryBatch& batch, const std::vector<HistoryBatch>& batches) {
    bool undo = false;
    const HistoryBatch* at = &batch;
    for (size_t depth = 0; at && at->undoOf != 0 && depth <= batches.size(); ++depth) {
        undo = !undo;
        at = Find(at->undoOf, batches);
    }
    return undo;
}

// The newest batch that undid `id`, or null.
const HistoryBatch* NewestUndoOf(uint64_t id, const std::vector<HistoryBatch>& batches) {
    for (const HistoryBatch& b : batches)  // newest first
        if (b.undoOf == id) return &b;
    return nullptr;
}

bool Undoable(const HistoryItem& item) {
    return PlacedAtTarget(item.fate) || item.fate == ItemFate::recycled || item.fate == ItemFate::uncopied;
}

int CountUndoable(const HistoryBatch& batch) {
    return static_cast<int>(std::count_if(batch.items.begin(), batch.items.end(), Undoable));
}

// The original paths of `batch`'s items that an undo still in effect has tried: an item put back,
// or skipped with its reason, is done; one that failed, or was never reached, is not. An undo's
// item names, as its target, the path the item came from. Also when the newest of them ran.
std::unordered_set<std::string> Tried(const HistoryBatch& batch, const std::vector<HistoryBatch>& batches,
                                      uint64_t* when) {
    std::unordered_set<std::string> tried;
    for (const HistoryBatch& undo : batches) {
        if (undo.undoOf != batch.id || NewestUndoOf(undo.id, batches)) continue;  // none, or redone since
        if (when && *when == 0) *when = undo.time;
        for (const HistoryItem& item : undo.items)
            if (item.fate != ItemFate::failed && item.fate != ItemFate::cancelled) tried.insert(item.target);
    }
    return tried;
}

// Counted on the records alone: offers are worked out after every batch, also for batches of a
// hundred thousand items, and planning them would convert every path.
int CountRest(const HistoryBatch& batch, const std::vector<HistoryBatch>& batches, uint64_t* when) {
    const std::unordered_set<std::string> tried = Tried(batch, batches, when);
    return static_cast<int>(std::count_if(batch.items.begin(), batch.items.end(), [&](const HistoryItem& item) {
        return Undoable(item) && tried.count(item.source) == 0;
    }));
}

std::vector<UndoStep> Rest(const HistoryBatch& batch, const std::vector<HistoryBatch>& batches) {
    const std::unordered_set<std::string> tried = Tried(batch, batches, nullptr);
    std::vector<UndoStep> steps = PlanUndo(batch);
    std::erase_if(steps, [&](const UndoStep& s) { return tried.count(PathToUtf8(s.to)) > 0; });
    return steps;
}

bool AnyUndoInEffect(const HistoryBatch& batch, const std::vector<HistoryBatch>& batches) {
    return std::any_of(batches.begin(), batches.end(), [&](const HistoryBatch& b) {
        return b.undoOf == batch.id && !NewestUndoOf(b.id, batches);
    });
}

}  // namespace

UndoOffer OfferFor(const HistoryBatch& batch, const std::vector<HistoryBatch>& batches) {
    UndoOffer offer;
    offer.batch = batch.id;
    offer.time = batch.time;
    if (PutsBack(batch, batches)) {
        if (const HistoryBatch* redo = NewestUndoOf(batch.id, batches)) {
            offer.kind = UndoKind::redone;
            offer.when = redo->time;
            return offer;
        }
        offer.items = CountUndoable(batch);
        offer.kind = offer.items > 0 ? UndoKind::redo : UndoKind::none;
        return offer;
    }
    if (!AnyUndoInEffect(batch, batches)) {
        offer.items = CountUndoable(batch);
        offer.kind = offer.items > 0 ? UndoKind::undo : UndoKind::none;
        return offer;
    }
    offer.items = CountRest(batch, batches, &offer.when);
    offer.kind = offer.items > 0 ? UndoKind::finish : UndoKind::undone;
    return offer;
}

UndoOffer LastBatchOffer(const std::vector<HistoryBatch>& batches) {
    if (batches.empty()) return {};
    const HistoryBatch& newest = batches.front();
    // Right after an undo that was cut short, the rest goes back: undoing the part that is back
    // would send it out again.
    if (PutsBack(newest, batches) && !NewestUndoOf(newest.id, batches))
        if (const HistoryBatch* undid = Find(newest.undoOf, batches)) {
            const UndoOffer rest = OfferFor(*undid, batches);
            if (rest.kind == UndoKind::finish) return rest;
        }
    return OfferFor(newest, batches);
}

std::vector<UndoStep> PlanOffer(const UndoOffer& offer, const std::vector<HistoryBatch>& batches) {
    const HistoryBatch* batch = Find(offer.batch, batches);
    if (!batch) return {};
    switch (offer.kind) {
        case UndoKind::undo:
        case UndoKind::redo: return PlanUndo(*batch);
        case UndoKind::finish: return Rest(*batch, batches);
        default: return {};
    }
}

BatchOffers OffersFor(const std::vector<HistoryBatch>& batches) {
    BatchOffers offers;
    offers.last = LastBatchOffer(batches);
    offers.rows.reserve(batches.size());
    for (const HistoryBatch& batch : batches) offers.rows.push_back(OfferFor(batch, batches));
    return offers;
}

std::string ItemCount(int n) { return std::to_string(n) + (n == 1 ? " item" : " items"); }

std::string LastBatchLabel(const UndoOffer& offer, const std::string& clock) {
    switch (offer.kind) {
        case UndoKind::undo: return "Undo last batch (" + ItemCount(offer.items) + ", " + clock + ")";
        case UndoKind::finish: return "Put back the rest (" + ItemCount(offer.items) + ")";
        case UndoKind::redo: return "Redo last undo (" + ItemCount(offer.items) + ", " + clock + ")";
        default: return "Undo last batch";
    }
}

std::string ConfirmQuestion(const UndoOffer& offer, const std::string& clock) {
    switch (offer.kind) {
        case UndoKind::undo: return "Put back " + ItemCount(offer.items) + " moved at " + clock + "?";
        case UndoKind::finish: return "Put back the other " + ItemCount(offer.items) + " moved at " + clock + "?";
        case UndoKind::redo: return "Move " + ItemCount(offer.items) + " out again (put back at " + clock + ")?";
        default: return {};
    }
}

}  // namespace kw
