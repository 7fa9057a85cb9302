#pragma once
// The texts a batch produces: the progress line, the final tally, and one activity-log line
// per item.

#include <string>

#include "routing/RouteJob.h"

namespace kw {

// "Routing 3/10 — name"
std::string ProgressStatusText(int done, int total, const std::string& currentName);
// "Done — moved 2, skipped 1, failed 0"
std::string BatchTallyText(const RouteJobResult& result);
// "[ok] source -> target (message)", "[skip] ...", "[fail] ..."
std::string ItemLogLine(const RouteItemResult& item);
// A balloon is worth showing only when something moved or failed.
bool BatchNeedsBalloon(const RouteJobResult& result);

}  // namespace kw
