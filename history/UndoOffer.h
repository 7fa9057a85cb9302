#pragma once
// What undo offers for a batch, read from the recent batches alone: a routing batch is undone by
// undo batches (undoOf = its id), and an undo batch is itself undone by a redo. An undo cut short
// (killed, cancelled, the session ended) put back only some items: the batch then offers the
// rest, never a second undo of the part that is back.

#include <cstdint>
#include <string>
#include <vector>

#include "history/BatchHistory.h"
#include "history/Undo.h"

namespace kw {

enum class UndoKind {
    none,    // nothing it moved can be put back
    undo,    // a routing batch (or a redo) whose items can go back
    finish,  // an undo of it was cut short: the rest can go back
    redo,    // an undo batch: its items can go out again
    undone,  // every item is back (at `when`)
    redone,  // an undo batch whose items went out again (at `when`)
};

struct UndoOffer {
    UndoKind kind = UndoKind::none;
    uint64_t batch = 0;  // the batch the new one undoes (undoOf)
    int items = 0;       // how many items it would put back or send out again
    uint64_t time = 0;   // when that batch ran (UTC ticks)
    uint64_t when = 0;   // undone/redone: when that happened
};

// `batches` are the recent batches, newest first; `batch` is one of them.
UndoOffer OfferFor(const HistoryBatch& batch, const std::vector<HistoryBatch>& batches);
// What "Undo last batch" does: the newest batch's offer, except right after an undo that was cut
// short, where it finishes that undo.
UndoOffer LastBatchOffer(const std::vector<HistoryBatch>& batches);
// The steps that carry out an offer (empty when there is nothing to do).
std::vector<UndoStep> PlanOffer(const UndoOffer& offer, const std::vector<HistoryBatch>& batches);

// "Undo last batch (6 items, 10:14)", "Put back the rest (256 items)", "Redo last undo (6 items,
// 10:20)"; "Undo last batch" when there is nothing to undo. `clock` is the batch's local "HH:MM".
std::string LastBatchLabel(const UndoOffer& offer, const std::string& clock);
// "Put back 6 items moved at 10:14?" and the like: the question before undoing an earlier batch.
std::string ConfirmQuestion(const UndoOffer& offer, const std::string& clock);
// The offers of the recent batches, worked out once each time they change (a batch of many
// thousand items is not planned again every frame).
struct BatchOffers {
    UndoOffer last;               // LastBatchOffer
    std::vector<UndoOffer> rows;  // OfferFor, one per batch in the same order
};
BatchOffers OffersFor(const std::vector<HistoryBatch>& batches);

// "1 item", "6 items"
std::string ItemCount(int n);

}  // namespace kw
