// After a crash or a kill: what the last run did but had not logged is logged first thing, and
// the status line says the program closed unexpectedly (and where its crash report is).

#include "app/App.h"
#include "app/BatchStatus.h"
#include "history/CrashRecovery.h"
#include "model/DataFolder.h"
#include "model/TextEncoding.h"
#include "shell/CrashReport.h"

namespace kw {
namespace {

constexpr char kRecovered[] = " \xE2\x80\x94 recovered after an unexpected exit";

RouteItemResult ResultOf(const HistoryItem& item) {
    RouteItemResult r{item.source, item.target, item.rule, item.message, false, false};
    r.ok = PlacedAtTarget(item.fate) || item.fate == ItemFate::recycled || item.fate == ItemFate::left ||
           item.fate == ItemFate::uncopied;
    r.copied = item.fate == ItemFate::copied;
    r.copyRemoved = item.fate == ItemFate::uncopied;
    r.renamed = item.fate == ItemFate::renamed;
    r.skipped = item.fate == ItemFate::left || item.fate == ItemFate::skipped;
    return r;
}

std::string ClosedUnexpectedlyText(size_t recovered, const std::optional<std::filesystem::path>& report) {
    std::string text = "Kestrane Fileweir closed unexpectedly last time";
    if (recovered > 0)
        text += "; " + std::to_string(recovered) + " item(s) it had handled were added to the activity log";
    text += ".";
    if (report) text += " A crash report was saved: " + PathToUtf8(*report);
    return text;
}

}  // namespace

void App::BeginRun() {
    previousRunStart = BeginSession(SessionMarkerPath(), SystemClock().UtcTicks());
    if (!previousRunStart) return;
    crashReport = CrashReportSince(DataFolder().folder, *previousRunStart);
    PruneCrashReports(DataFolder().folder);
    recoveryPending = true;
    statusText = ClosedUnexpectedlyText(0, crashReport);
}

void App::LogRecovered(const std::vector<HistoryBatch>& unlogged) {
    std::vector<std::string> messages;
    size_t recovered = 0;
    for (const HistoryBatch& batch : unlogged) {
        messages.push_back("Recovered after an unexpected exit: the batch at " + LocalClockText(batch.time) + " (" +
                           std::to_string(batch.items.size()) + " item(s)) had no log lines.");
        for (const HistoryItem& item : batch.items)
            messages.push_back((batch.undoOf ? "[undo] " : "") + ItemLogLine(ResultOf(item)) + kRecovered);
        recovered += batch.items.size();
    }
    if (crashReport) messages.push_back("Crash report saved: " + PathToUtf8(*crashReport));
    for (std::string& line : activityLog.AppendAll(messages)) {
        renderHost.NoteText(line);
        logLines.push_front(std::move(line));
    }
    while (logLines.size() > kMaxLogLines) logLines.pop_back();
    for (const HistoryBatch& batch : unlogged) MarkBatchLogged(*history, batch.id);
    statusText = ClosedUnexpectedlyText(recovered, crashReport);
    redrawRequested = true;
}

}  // namespace kw
