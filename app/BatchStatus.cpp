#include "app/BatchStatus.h"

namespace kw {

std::string ListingStatusText(int found) {
    return "Listing folders \xE2\x80\x94 " + std::to_string(found) + " file(s) found";
}

std::string IntakeLogLine(bool expanded, int dropped, int batch) {
    const std::string count = std::to_string(batch);
    if (expanded && batch != dropped) return "Expanded folder drop to " + count + " file(s) for routing.";
    return "Received " + count + " dropped item(s).";
}

std::string ProgressStatusText(int done, int total, const std::string& currentName) {
    return "Routing " + std::to_string(done) + "/" + std::to_string(total) + " \xE2\x80\x94 " + currentName;
}

std::string BatchTallyText(const RouteJobResult& r) {
    std::string text = "Done \xE2\x80\x94 moved " + std::to_string(r.moved) + ", skipped " + std::to_string(r.skipped) +
                       ", failed " + std::to_string(r.failed);
    if (r.notHandled > 0) text += ", not routed " + std::to_string(r.notHandled);
    return text;
}

std::string ItemLogLine(const RouteItemResult& item) {
    const char* tag = item.ok ? "[ok] " : item.skipped ? "[skip] " : "[fail] ";
    return tag + item.source + " -> " + item.target + " (" + item.message + ")";
}

std::string RecordingProblemStatus(bool historyFailed, bool journalFailed) {
    if (historyFailed && journalFailed) return " \xE2\x80\x94 not recorded in the history or the move journal, see the activity log";
    if (historyFailed) return " \xE2\x80\x94 not recorded in the history, see the activity log";
    if (journalFailed) return " \xE2\x80\x94 moves to another drive were not journalled, see the activity log";
    return {};
}

std::string HistoryFailedLogLine(const std::string& historyFile) {
    return "Could not write the history file " + historyFile +
           ": this batch is not recorded there and cannot be undone once the program closes.";
}

std::string JournalFailedLogLine(const std::string& dataFolder) {
    return "Could not write the move journal in " + dataFolder +
           ": had the program been stopped during a move to another drive, the item could have been left in both places.";
}

bool BatchNeedsBalloon(const RouteJobResult& r) { return r.failed > 0 || r.moved > 0; }

}  // namespace kw
