#pragma once
// The Activity tab: the running batch's progress with Cancel, the recent batches with Undo
// (each expands to its items, which open their folder in Explorer), and the log: its newest
// lines, or every line of the whole log that passes the filter (searched on a thread).

#include "routing/LogSearch.h"
#include "ui/SettingsWindow.h"

namespace kw {

void DrawActivityTab(UiState& ui, const SettingsWindowView& view, const SettingsWindowActions& actions);

}  // namespace kw
