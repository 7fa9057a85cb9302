#pragma once
// For the benchmarks under bench/: where a batch's time went, one line per batch appended to the
// file named by the environment variable KW_BATCH_PHASES. Without it nothing is written (users
// never see these figures; the activity log is theirs).

#include "app/App.h"
#include "routing/BatchPhases.h"

namespace kw {

// Counts a message that asked for a full redraw while a batch ran (the first few distinct ids).
void CountRedrawMessage(LoopStats& stats, UINT message);

void ReportBatchPhases(const BatchPhases& phases, double logWriteMs, const LoopStats& stats);

}  // namespace kw
