#include "ui/ActivityTab.h"

#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>

#include "render/VisualOrder.h"
#include "model/Clock.h"
#include "model/CountText.h"
#include "model/TextEncoding.h"
#include "routing/LogLinePaths.h"

namespace kw {

namespace {

constexpr const char* kOutcomes[] = {"All lines", "Moved", "Skipped", "Failed", "Undone", "Left in place"};

std::string LocalTimeText(uint64_t utcTicks) {
    FILETIME utc{static_cast<DWORD>(utcTicks), static_cast<DWORD>(utcTicks >> 32)};
    SYSTEMTIME u{}, local{};
    if (!FileTimeToSystemTime(&utc, &u) || !SystemTimeToTzSpecificLocalTime(nullptr, &u, &local)) return "?";
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
                  local.wMinute, local.wSecond);
    return text;
}

const char* FateText(ItemFate fate) {
    switch (fate) {
        case ItemFate::moved: return "moved";
        case ItemFate::copied: return "copied";
        case ItemFate::uncopied: return "copy removed";
        case ItemFate::renamed: return "renamed";
        case ItemFate::recycled: return "recycled";
        case ItemFate::left: return "left in place";
        case ItemFate::skipped: return "skipped";
        case ItemFate::failed: return "failed";
        case ItemFate::cancelled: return "not routed";
    }
    return "";
}

// Counted and worded as the status line counted the batch when it ended; a batch that a watched
// folder started says which, after the counts, where a long path hides nothing else.
std::string BatchTitle(const HistoryBatch& batch) {
    const bool watched = !batch.undoOf && !batch.watchedFolder.empty();
    std::string title = batch.undoOf ? "[undo] " : watched ? "[watch] " : "";
    title += LocalTimeText(batch.time) + " \xE2\x80\x94 " + TallyText(batch.Tally(), batch.undoOf != 0);
    if (watched) title += " \xE2\x80\x94 from " + batch.watchedFolder;
    return title;
}

bool Offered(const UndoOffer& offer) {
    return offer.kind == UndoKind::undo || offer.kind == UndoKind::finish || offer.kind == UndoKind::redo;
}

// The question Ctrl+Z asks before it puts back a batch the user may not have in mind.
void DrawUndoQuestion(UiState& ui, const SettingsWindowActions& actions) {
    if (ui.confirmUndo) {
        ImGui::OpenPopup("Put back?");
        ui.confirmUndo = false;
    }
    ImGui::SetNextWindowPos(ImGui::GetMainViewport()->GetCenter(), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    if (!ImGui::BeginPopupModal("Put back?", nullptr, ImGuiWindowFlags_AlwaysAutoResize)) return;
    ImGui::TextUnformatted(ui.confirmQuestion.c_str());
    ImGui::Spacing();
    if (ImGui::Button("Put back") || ImGui::IsKeyPressed(ImGuiKey_Enter)) {
        if (actions.undoBatch) actions.undoBatch(ui.confirmOffer.batch);
        ImGui::CloseCurrentPopup();
    }
    ImGui::SameLine();
    if (ImGui::Button("Keep them") || ImGui::IsKeyPressed(ImGuiKey_Escape)) ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
}

// A batch's own control: what undoing it would do now, or when it was undone.
void DrawRowOffer(const UndoOffer& offer, bool running, const SettingsWindowActions& actions) {
    switch (offer.kind) {
        case UndoKind::undone: ImGui::TextDisabled("Undone %s", LocalClockText(offer.when).c_str()); break;
        case UndoKind::redone: ImGui::TextDisabled("Redone %s", LocalClockText(offer.when).c_str()); break;
        case UndoKind::none: ImGui::TextDisabled("-"); break;
        default: {
            const std::string label = offer.kind == UndoKind::undo   ? std::string("Undo")
                                      : offer.kind == UndoKind::redo ? std::string("Redo")
                                                                     : "Put back the rest (" + ItemCount(offer.items) + ")";
            ImGui::BeginDisabled(running);
            if (ImGui::SmallButton(label.c_str()) && actions.undoBatch) actions.undoBatch(offer.batch);
            ImGui::EndDisabled();
        }
    }
}

// A bar under the list of batches that drags its lower edge, so that more batches show at once.
// The log below keeps room for a few lines.
void DrawBatchListGrip(float& lines) {
    const float line = ImGui::GetTextLineHeightWithSpacing();
    const float thickness = std::max(6.0f, ImGui::GetStyle().ItemSpacing.y * 1.5f);
    ImGui::InvisibleButton("##batchesHeight", ImVec2(-1.0f, thickness));
    const bool hot = ImGui::IsItemHovered() || ImGui::IsItemActive();
    if (hot) ImGui::SetMouseCursor(ImGuiMouseCursor_ResizeNS);
    if (ImGui::IsItemActive()) {
        const float room = ImGui::GetContentRegionAvail().y / line - 6.0f;  // the log keeps six lines
        lines = std::clamp(lines + ImGui::GetIO().MouseDelta.y / line, 3.0f, std::max(3.0f, lines + room));
    }
    const ImVec2 a = ImGui::GetItemRectMin(), b = ImGui::GetItemRectMax();
    const float y = (a.y + b.y) * 0.5f;
    ImGui::GetWindowDrawList()->AddLine(ImVec2(a.x, y), ImVec2(b.x, y),
                                        ImGui::GetColorU32(hot ? ImGuiCol_SeparatorActive : ImGuiCol_Separator), 2.0f);
    if (ImGui::IsItemHovered() && !ImGui::IsItemActive()) ImGui::SetTooltip("Drag to make the list of batches taller");
}

void DrawBatches(UiState& ui, const SettingsWindowView& view, const SettingsWindowActions& actions) {
    DrawUndoQuestion(ui, actions);
    if (!view.batches || view.batches->empty()) {
        ImGui::TextDisabled("No batches yet. Each batch you drop can be undone here.");
        return;
    }
    const UndoOffer last = view.offers ? view.offers->last : UndoOffer{};
    ImGui::BeginDisabled(view.batchRunning || !Offered(last));
    const std::string lastLabel = LastBatchLabel(last, LocalClockText(last.time)) + "##last";
    if (ImGui::Button(lastLabel.c_str()) && actions.undoBatch) actions.undoBatch(0);
    ImGui::EndDisabled();
    ImGui::BeginChild("batches", ImVec2(0, ImGui::GetTextLineHeightWithSpacing() * ui.activity.batchLines),
                      ImGuiChildFlags_Border);
    for (size_t row = 0; row < view.batches->size(); ++row) {
        const HistoryBatch& batch = (*view.batches)[row];
        ImGui::PushID(static_cast<int>(batch.id ^ (batch.id >> 32)));
        const std::string title = BatchTitle(batch);
        const bool known = view.offers && row < view.offers->rows.size();
        DrawRowOffer(known ? view.offers->rows[row] : UndoOffer{}, view.batchRunning, actions);
        ImGui::SameLine();
        if (ImGui::TreeNodeEx("batch", 0, "%s", title.c_str())) {
            int item = 0;
            for (const HistoryItem& entry : batch.items) {
                ImGui::PushID(item++);
                const std::string& where =
                    PlacedAtTarget(entry.fate) || entry.fate == ItemFate::uncopied ? entry.target : entry.source;
                if (entry.fate != ItemFate::recycled && ImGui::SmallButton("Show") && actions.reveal) actions.reveal(where);
                if (entry.fate != ItemFate::recycled) ImGui::SameLine();
                ImGui::Text("%s: %s -> %s", FateText(entry.fate), entry.source.c_str(), entry.target.c_str());
                if (ImGui::IsItemHovered() && !entry.message.empty()) ImGui::SetTooltip("%s", entry.message.c_str());
                ImGui::PopID();
            }
            ImGui::TreePop();
        }
        ImGui::PopID();
    }
    ImGui::EndChild();
    DrawBatchListGrip(ui.activity.batchLines);
}

// Starts, restarts or ends the search of the whole log to match the filter; a search starts
// again when the log gains lines. Takes what the search found since the last frame.
void FollowSearch(UiState& ui, const SettingsWindowView& view) {
    ActivitySearch& a = ui.activity;
    const LogQuery query{ui.activityFilter, ui.activityOutcome};
    const std::string& newest = view.logLines.empty() ? std::string() : view.logLines.front();
    if (query.Empty()) {
        if (a.active) {
            a.search.Clear();
            a.found.clear();
            a.active = false;
            a.selected = -1;
        }
        return;
    }
    if (!a.active || !(a.search.Query() == query) || a.newestSeen != newest) {
        a.search.Start(view.activityLog.LogFilePath(), query);
        a.found.clear();
        a.active = true;
        a.newestSeen = newest;
        a.selected = -1;
    }
    a.search.Collect(a.found);
}

std::string LineCount(size_t n) { return GroupedCount(n) + (n == 1 ? " line" : " lines"); }

void ForgetSearch(ActivitySearch& a) {
    a.search.Clear();
    a.found.clear();
    a.active = false;
    a.selected = -1;
}

std::string ClearQuestion(size_t lines) {
    return "Clear the activity log? " + LineCount(lines) + (lines == 1 ? " goes" : " go") +
           " from this tab and from the log file. The file is kept, renamed with today's date in the same folder (the "
           "five newest cleared logs are kept), and \"Bring back the cleared log\" on this tab puts the lines back. "
           "The list of batches and their undo stay as they are.";
}

// "Clear log" asks first: the log is the only record of where older batches' files went. Cleared,
// it is kept aside beside the log file and can be brought back while the program runs; the
// batches above (and their undo) stay as they are.
void DrawClearQuestion(UiState& ui, const SettingsWindowView& view) {
    ActivitySearch& a = ui.activity;
    if (a.askClear) {
        ImGui::OpenPopup("Clear the activity log?");
        a.askClear = false;
    }
    ImGui::SetNextWindowPos(ImGui::GetMainViewport()->GetCenter(), ImGuiCond_Appearing, ImVec2(0.5f, 0.5f));
    if (!ImGui::BeginPopupModal("Clear the activity log?", nullptr, ImGuiWindowFlags_AlwaysAutoResize)) return;
    ImGui::PushTextWrapPos(ImGui::GetFontSize() * 30.0f);
    ImGui::TextWrapped("%s", ClearQuestion(a.clearLines).c_str());
    ImGui::PopTextWrapPos();
    ImGui::Spacing();
    if (ImGui::Button("Clear the log")) {
        ui.afterFrame.Add([&a, &log = view.activityLog, &lines = view.logLines, &status = view.statusText] {
            ForgetSearch(a);  // its thread reads the file being renamed
            const ClearedLog cleared = log.Clear();
            if (cleared.error) {
                status = "The activity log could not be cleared (" + cleared.error.message() +
                         "); it is unchanged. Close any program that has it open and try again.";
                return;
            }
            lines.clear();
            if (cleared.aside.empty()) return;  // there was no log file yet
            a.clearedAside = cleared.aside;
            status = "Cleared the activity log. Its lines are kept in " + PathToUtf8(cleared.aside.filename()) +
                     " beside it \xE2\x80\x94 \"Bring back the cleared log\" on the Activity tab puts them back.";
        });
        ImGui::CloseCurrentPopup();
    }
    ImGui::SameLine();
    if (ImGui::Button("Keep it") || ImGui::IsKeyPressed(ImGuiKey_Escape)) ImGui::CloseCurrentPopup();
    ImGui::EndPopup();
}

// The lines of the log cleared in this run back in front of those logged since.
void BringBackClearedLog(ActivitySearch& a, const SettingsWindowView& view) {
    ForgetSearch(a);
    if (const std::error_code error = view.activityLog.BringBack(a.clearedAside)) {
        view.statusText = "The cleared log could not be brought back (" + error.message() + "). Its lines are still in " +
                          PathToUtf8(a.clearedAside) + ".";
        return;
    }
    std::vector<std::string> tail;
    view.activityLog.LoadTail(tail, kMaxLogLines);
    view.logLines.assign(tail.rbegin(), tail.rend());
    view.statusText = "Brought back the cleared activity log.";
    a.clearedAside.clear();
}

void DrawLogHeading(const ActivitySearch& a, size_t recentLines) {
    if (!a.active) {
        ImGui::TextDisabled("The newest %zu lines of the log. Type to search all of it.", recentLines);
        return;
    }
    const size_t matched = a.search.Matched();
    if (a.search.Failed()) {
        ImGui::TextDisabled("The log could not be read to its start: %s matched in what was read.", LineCount(matched).c_str());
    } else if (a.search.Running()) {
        ImGui::TextDisabled("Searching the whole log\xE2\x80\xA6 %s matched so far", LineCount(matched).c_str());
    } else if (matched == 0) {
        ImGui::TextDisabled("No line of the log matches.");
    } else {
        ImGui::TextDisabled("%s of the whole log matched%s", LineCount(matched).c_str(),
                            matched > a.found.size() ? ", the newest shown" : "");
    }
}

// The lines, one selectable row each (drawn only where visible: a search may find 100,000);
// right-click offers to copy the line or a path it names, Ctrl+C copies the picked line.
void DrawLogLines(UiState& ui, size_t count, const std::function<const std::string&(size_t)>& lineAt) {
    const auto copy = [&ui](const std::string& text) {
        if (ui.platform.copyText) ui.platform.copyText(text);
    };
    int& selected = ui.activity.selected;
    if (selected >= static_cast<int>(count)) selected = -1;
    // Failure lines carry the system's whole message; they scroll sideways rather than being cut.
    ImGui::BeginChild("log", ImVec2(0, 0), ImGuiChildFlags_Border, ImGuiWindowFlags_HorizontalScrollbar);
    std::string visual;
    ImGuiListClipper clipper;
    clipper.Begin(static_cast<int>(count));
    while (clipper.Step()) {
        for (int row = clipper.DisplayStart; row < clipper.DisplayEnd; ++row) {
            const std::string& line = lineAt(static_cast<size_t>(row));
            // Drawn in visual order (a Hebrew or Arabic name reads right to left); searched,
            // copied and opened as written.
            const std::string& drawn = Drawn(line, visual);
            ImGui::PushID(row);
            const ImVec2 at = ImGui::GetCursorPos();
            // The label is not the line: a name in it may hold "##".
            if (ImGui::Selectable("##line", selected == row, ImGuiSelectableFlags_None,
                                  ImVec2(ImGui::CalcTextSize(drawn.c_str()).x, 0.0f)))
                selected = row;
            if (ImGui::IsItemClicked(ImGuiMouseButton_Right)) selected = row;
            if (ImGui::BeginPopupContextItem("##copy")) {
                const LogLinePaths paths = PathsInLogLine(line);
                if (ImGui::MenuItem("Copy line")) copy(line);
                if (!paths.source.empty() && ImGui::MenuItem(paths.target.empty() ? "Copy path" : "Copy source path"))
                    copy(paths.source);
                if (!paths.target.empty() && ImGui::MenuItem("Copy destination path")) copy(paths.target);
                ImGui::EndPopup();
            }
            ImGui::SetCursorPos(at);
            ImGui::TextUnformatted(drawn.c_str());
            ImGui::PopID();
        }
    }
    const ImGuiIO& io = ImGui::GetIO();
    if (selected >= 0 && ImGui::IsWindowFocused() && io.KeyCtrl && ImGui::IsKeyPressed(ImGuiKey_C, false))
        copy(lineAt(static_cast<size_t>(selected)));
    ImGui::EndChild();
}

}  // namespace

void DrawActivityTab(UiState& ui, const SettingsWindowView& view, const SettingsWindowActions& actions) {
    ImGui::TextWrapped("Log file: %s", PathToUtf8(view.activityLog.LogFilePath()).c_str());
    ImGui::TextDisabled("Every routed file is listed here. A cleared log is kept aside beside the log file.");
    if (view.progressTotal > 0) {
        ImGui::ProgressBar(static_cast<float>(view.progressDone) / static_cast<float>(view.progressTotal),
                           ImVec2(-1.0f, 0.0f));
        ImGui::Text("%s", VisualOrder(view.statusText).c_str());
    }
    if (view.batchRunning) {
        if (ImGui::Button("Cancel this batch") && actions.cancelBatch) actions.cancelBatch();
        if (view.queuedItems > 0) {
            ImGui::SameLine();
            if (ImGui::Button("Cancel queued too") && actions.cancelQueued) actions.cancelQueued();
        }
        ImGui::SameLine();
        ImGui::TextDisabled("(Esc) stops after the item in progress");
        if (view.queuedItems > 0)
            ImGui::Text("Queued: %d item(s) \xE2\x80\x94 routed after this batch, each drop as a batch of its own",
                        view.queuedItems);
    }
    DrawBatches(ui, view, actions);

    if (ImGui::Button("Clear log")) {
        ui.activity.askClear = true;
        // (A log that could not be written holds fewer lines than the window.)
        ui.activity.clearLines = std::max(view.activityLog.LineCount(), view.logLines.size());
    }
    ImGui::SameLine();
    if (ImGui::Button("Open log file") && ui.platform.openFile &&
        !ui.platform.openFile(view.activityLog.LogFilePath()) && ui.platform.messageBox)
        ui.platform.messageBox(nullptr, "The log file could not be opened. It is kept at " +
                               PathToUtf8(view.activityLog.LogFilePath()) + ".", "Kestrane Fileweir", MB_OK | MB_ICONWARNING);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(ImGui::GetFontSize() * 14);
    ImGui::InputTextWithHint("##filter", "Search the whole log", ui.activityFilter, sizeof ui.activityFilter);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(ImGui::GetFontSize() * 8);
    ImGui::Combo("##outcome", &ui.activityOutcome, kOutcomes, static_cast<int>(std::size(kOutcomes)));
    // Last in its row, so that nothing moves when it comes and goes.
    if (!ui.activity.clearedAside.empty()) {
        ImGui::SameLine();
        if (ImGui::Button("Bring back the cleared log"))
            ui.afterFrame.Add([&a = ui.activity, &view] { BringBackClearedLog(a, view); });
    }
    DrawClearQuestion(ui, view);
    FollowSearch(ui, view);
    const ActivitySearch& a = ui.activity;
    const std::vector<std::string>* found = a.active ? &a.found : nullptr;
    // A log that cannot be read (or was never written: a read-only folder) leaves the lines the
    // window holds, which are searched instead.
    std::vector<std::string> held;
    const bool fromWindow = a.active && !a.search.Running() && (a.search.Missing() || a.search.Failed()) && a.found.empty();
    if (fromWindow) {
        for (const std::string& line : view.logLines)
            if (LogLineShown(line, ui.activityFilter, ui.activityOutcome)) held.push_back(line);
        found = &held;
        ImGui::TextDisabled("The log file could not be read; %zu of the lines this window holds match.", held.size());
    } else {
        DrawLogHeading(a, view.logLines.size());
    }
    DrawLogLines(ui, found ? found->size() : view.logLines.size(),
                 [&](size_t row) -> const std::string& { return found ? (*found)[row] : view.logLines[row]; });
}

}  // namespace kw
