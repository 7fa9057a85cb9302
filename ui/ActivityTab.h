#pragma once
// The Activity tab: the running batch's progress with Cancel, the recent batches with Undo
// (each expands to its items, which open their folder in Explorer), and the log's end,
// narrowed by a filter.

#include <string_view>

#include "ui/SettingsWindow.h"

namespace kw {

void DrawActivityTab(UiState& ui, const SettingsWindowView& view, const SettingsWindowActions& actions);

// Whether a log line passes the filter: `text` anywhere in it (ASCII letters in any case), and
// for `outcome` 1-5 only "[ok]", "[skip]", "[fail]", "[undo]" or "[left]" lines.
bool LogLineShown(std::string_view line, std::string_view text, int outcome);

}  // namespace kw
