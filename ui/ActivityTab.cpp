#include "ui/ActivityTab.h"

#include <imgui.h>

#include <cstdio>

#include "model/AsciiCase.h"
#include "model/Clock.h"
#include "model/TextEncoding.h"

namespace kw {

namespace {

constexpr const char* kOutcomes[] = {"All lines", "Moved", "Skipped", "Failed", "Undone", "Left in place"};
constexpr std::string_view kOutcomeTags[] = {"", "[ok] ", "[skip] ", "[fail] ", "[undo] ", "[left] "};

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
        case ItemFate::recycled: return "recycled";
        case ItemFate::left: return "left in place";
        case ItemFate::skipped: return "skipped";
        case ItemFate::failed: return "failed";
        case ItemFate::cancelled: return "not routed";
    }
    return "";
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
    ImGui::BeginChild("batches", ImVec2(0, ImGui::GetTextLineHeightWithSpacing() * 7.5f), ImGuiChildFlags_Border);
    for (size_t row = 0; row < view.batches->size(); ++row) {
        const HistoryBatch& batch = (*view.batches)[row];
        ImGui::PushID(static_cast<int>(batch.id ^ (batch.id >> 32)));
        // Counted and worded as the status line counted the batch when it ended.
        const std::string title = std::string(batch.undoOf ? "[undo] " : "") + LocalTimeText(batch.time) +
                                  " \xE2\x80\x94 " + TallyText(batch.Tally(), batch.undoOf != 0);
        const bool known = view.offers && row < view.offers->rows.size();
        DrawRowOffer(known ? view.offers->rows[row] : UndoOffer{}, view.batchRunning, actions);
        ImGui::SameLine();
        if (ImGui::TreeNodeEx("batch", 0, "%s", title.c_str())) {
            int item = 0;
            for (const HistoryItem& entry : batch.items) {
                ImGui::PushID(item++);
                const std::string& where = PlacedAtTarget(entry.fate) ? entry.target : entry.source;
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
}

}  // namespace

bool LogLineShown(std::string_view line, std::string_view text, int outcome) {
    if (outcome > 0 && outcome < static_cast<int>(std::size(kOutcomeTags)) &&
        line.find(kOutcomeTags[outcome]) == std::string_view::npos)
        return false;
    if (text.empty()) return true;
    if (text.size() > line.size()) return false;
    for (size_t i = 0; i + text.size() <= line.size(); ++i) {
        size_t k = 0;
        while (k < text.size() && AsciiLower(line[i + k]) == AsciiLower(text[k])) ++k;
        if (k == text.size()) return true;
    }
    return false;
}

void DrawActivityTab(UiState& ui, const SettingsWindowView& view, const SettingsWindowActions& actions) {
    ImGui::TextWrapped("Log file: %s", PathToUtf8(view.activityLog.LogFilePath()).c_str());
    ImGui::TextDisabled("Every routed file is listed here and kept until you clear the log.");
    if (view.progressTotal > 0) {
        ImGui::ProgressBar(static_cast<float>(view.progressDone) / static_cast<float>(view.progressTotal),
                           ImVec2(-1.0f, 0.0f));
        ImGui::Text("%s", view.statusText.c_str());
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
        view.logLines.clear();
        view.activityLog.Clear();
    }
    ImGui::SameLine();
    ImGui::SetNextItemWidth(ImGui::GetFontSize() * 14);
    ImGui::InputTextWithHint("##filter", "Filter lines", ui.activityFilter, sizeof ui.activityFilter);
    ImGui::SameLine();
    ImGui::SetNextItemWidth(ImGui::GetFontSize() * 8);
    ImGui::Combo("##outcome", &ui.activityOutcome, kOutcomes, static_cast<int>(std::size(kOutcomes)));
    // Failure lines carry the system's whole message; they scroll sideways rather than being cut.
    ImGui::BeginChild("log", ImVec2(0, 0), ImGuiChildFlags_Border, ImGuiWindowFlags_HorizontalScrollbar);
    for (const std::string& line : view.logLines)
        if (LogLineShown(line, ui.activityFilter, ui.activityOutcome)) ImGui::TextUnformatted(line.c_str());
    ImGui::EndChild();
}

}  // namespace kw
