#pragma once
// The texts a batch produces: the progress line, the final tally, and one activity-log line
// per item.

#include <string>

#include "routing/RouteJob.h"

namespace kw {

// "Listing folders — 12000 file(s) found", while dropped folders are being listed.
std::string ListingStatusText(int found);
// The line that opens a batch in the log, once its items are known: "Expanded folder drop to N
// file(s) for routing." when listing folders changed the count, else "Received N dropped item(s).".
std::string IntakeLogLine(bool expanded, int dropped, int batch);
// "Routing 3/10 — name"
std::string ProgressStatusText(int done, int total, const std::string& currentName);
// "Done — moved 2, skipped 1, failed 0"
std::string BatchTallyText(const RouteJobResult& result);
// "[ok] source -> target (message)", "[skip] ...", "[fail] ..."
std::string ItemLogLine(const RouteItemResult& item);
// What the status line adds when a batch could not be recorded in full: "" when it was.
std::string RecordingProblemStatus(bool historyFailed, bool journalFailed);
// The activity-log lines that say which record failed and what that means for the user.
std::string HistoryFailedLogLine(const std::string& historyFile);
std::string JournalFailedLogLine(const std::string& dataFolder);
// A balloon is worth showing only when something moved or failed.
bool BatchNeedsBalloon(const RouteJobResult& result);

}  // namespace kw
