#include "app/BatchStatus.h"

#include <algorithm>

#include "model/TextEncoding.h"

namespace kw {

std::string ListingStatusText(int found) {
    return "Listing folders \xE2\x80\x94 " + std::to_string(found) + " file(s) found";
}

std::string IntakeLogLine(bool expanded, int dropped, int batch) {
    const std::string count = std::to_string(batch);
    if (expanded && batch != dropped) return "Expanded folder drop to " + count + " file(s) for routing.";
    return "Received " + count + " dropped item(s).";
}

std::string ProgressStatusText(int done, int total, const std::string& currentName, bool undo) {
    return (undo ? "Putting back " : "Routing ") + std::to_string(done) + "/" + std::to_string(total) +
           " \xE2\x80\x94 " + currentName;
}

std::string BatchTallyText(const BatchTally& tally, BatchEnd end, bool undo) {
    std::string text = TallyText(tally, undo);
    switch (end) {
        case BatchEnd::cancelled: return "Cancelled \xE2\x80\x94 " + text;
        case BatchEnd::stopped: return "Stopped \xE2\x80\x94 " + text;
        case BatchEnd::finished: break;
    }
    if (!undo) return "Done \xE2\x80\x94 " + text;
    text[0] = 'P';  // "put back …" opens the line
    return text;
}

std::string ItemLogLine(const RouteItemResult& item) {
    switch (FateOf(item)) {
        case ItemFate::left: return "[left] " + item.source + " \xE2\x80\x94 " + item.message;
        case ItemFate::moved:
        case ItemFate::copied:
        case ItemFate::uncopied:
        case ItemFate::renamed:
        case ItemFate::recycled: return "[ok] " + item.source + " -> " + item.target + " (" + item.message + ")";
        case ItemFate::skipped: break;
        case ItemFate::failed:
        case ItemFate::cancelled:
            // A failure before any target was chosen has nowhere to point.
            if (item.target.empty()) return "[fail] " + item.source + " \xE2\x80\x94 " + item.message;
            return "[fail] " + item.source + " -> " + item.target + " (" + item.message + ")";
    }
    if (item.target.empty()) return "[skip] " + item.source + " \xE2\x80\x94 " + item.message;
    return "[skip] " + item.source + " -> " + item.target + " (" + item.message + ")";
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

std::string HistoryDamagedLogLine(size_t lines, const std::string& historyFile) {
    return "The history file " + historyFile + " had " + std::to_string(lines) +
           " damaged line(s), which were left out: an item recorded only there cannot be undone. Every other batch still can.";
}

std::string JournalFailedLogLine(const std::string& dataFolder) {
    return "Could not write the move journal in " + dataFolder +
           ": had the program been stopped during a move to another drive, the item could have been left in both places.";
}

bool BatchNeedsBalloon(const BatchTally& t) { return t.Total() > t.left; }

std::vector<std::string> UncreatedFolders(const std::vector<RouteItemResult>& items,
                                          const std::function<bool(const std::string&)>& isFolder) {
    std::vector<std::string> folders;
    for (const RouteItemResult& item : items) {
        if (item.ok || item.skipped || item.target.empty() || item.target == "Recycle Bin") continue;
        const std::string folder = PathToUtf8(PathFromUtf8(item.target).parent_path());
        if (folder.empty() || std::find(folders.begin(), folders.end(), folder) != folders.end()) continue;
        if (!isFolder(folder)) folders.push_back(folder);
    }
    return folders;
}

std::string UncreatedFoldersText(const std::vector<std::string>& folders) {
    if (folders.empty()) return {};
    std::string text = folders.size() == 1 ? "This folder could not be created, so nothing was moved there:"
                                           : "These folders could not be created, so nothing was moved there:";
    for (const std::string& folder : folders) text += "\n- " + folder;
    return text + "\n\nThe files stay where they were. Check the rule's destination.";
}

}  // namespace kw
