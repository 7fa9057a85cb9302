#pragma once
// The texts a batch produces: the progress line, the final tally, and one activity-log line
// per item.

#include <functional>
#include <string>
#include <vector>

#include "routing/BatchTally.h"
#include "routing/RouteJob.h"

namespace kw {

// "Listing folders — 12000 file(s) found", while dropped folders are being listed.
std::string ListingStatusText(int found);
// The line that opens a batch in the log, once its items are known: "Expanded folder drop to N
// file(s) for routing." when listing folders changed the count, else "Received N dropped item(s).".
std::string IntakeLogLine(bool expanded, int dropped, int batch);
// "Routing 3/10 — name"; of an undo "Putting back 3/10 — name".
std::string ProgressStatusText(int done, int total, const std::string& currentName, bool undo = false);

// How a batch came to its end.
enum class BatchEnd { finished, cancelled, stopped };  // stopped: by a log-off or shutdown
// "Done — moved 2, left in place 1", "Cancelled — moved 3, not routed 297", "Put back 6 of 10",
// "Stopped — …"
std::string BatchTallyText(const BatchTally& tally, BatchEnd end, bool undo = false);
// "[ok] source -> target (message)", "[skip] …", "[fail] …"; an item that did not move has no
// arrow: "[left] source — message".
std::string ItemLogLine(const RouteItemResult& item);
// What the status line adds when a batch could not be recorded in full: "" when it was.
std::string RecordingProblemStatus(bool historyFailed, bool journalFailed);
// The activity-log lines that say which record failed and what that means for the user.
std::string HistoryFailedLogLine(const std::string& historyFile);
// Lines of the history file that could not be read (torn, cut short) were left out of it.
std::string HistoryDamagedLogLine(size_t lines, const std::string& historyFile);
std::string JournalFailedLogLine(const std::string& dataFolder);
// The destination folders of failed moves that are not there after the batch (the move could
// not create them), each once, in order; `isFolder` looks at the disk.
std::vector<std::string> UncreatedFolders(const std::vector<RouteItemResult>& items,
                                          const std::function<bool(const std::string&)>& isFolder);
// "This folder could not be created, so nothing was moved there:\n- D:\x"; "" for none.
std::string UncreatedFoldersText(const std::vector<std::string>& folders);
// A balloon is worth showing when anything but leaving items in place happened.
bool BatchNeedsBalloon(const BatchTally& tally);

}  // namespace kw
