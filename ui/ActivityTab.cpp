#include "ui/ActivityTab.h"

#include <imgui.h>

#include <cstdio>

#include "model/AsciiCase.h"
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
        case ItemFate::recycled: return "recycled";
        case ItemFate::left: return "left in place";
        case ItemFate::skipped: return "skipped";
        case ItemFate::failed: return "failed";
        case ItemFate::cancelled: return "not routed";
    }
    return "";
}

void DrawBatches(const SettingsWindowView& view, const SettingsWindowActions& actions) {
    if (!view.batches || view.batches->empty()) {
        ImGui::TextDisabled("No batches yet. Each batch you drop can be undone here.");
        return;
    }
    ImGui::BeginDisabled(view.batchRunning);
    if (ImGui::Button("Undo last batch") && actions.undoBatch) actions.undoBatch(0);
    ImGui::EndDisabled();
    ImGui::BeginChild("batches", ImVec2(0, ImGui::GetTextLineHeightWithSpacing() * 7.5f), ImGuiChildFlags_Border);
    for (const HistoryBatch& batch : *view.batches) {
        ImGui::PushID(static_cast<int>(batch.id ^ (batch.id >> 32)));
        // Counted and worded as the status line counted the batch when it ended.
        const std::string title = std::string(batch.undoOf ? "[undo] " : "") + LocalTimeText(batch.time) +
                                  " \xE2\x80\x94 " + TallyText(batch.Tally(), batch.undoOf != 0);
        ImGui::BeginDisabled(view.batchRunning);
        if (ImGui::SmallButton("Undo") && actions.undoBatch) actions.undoBatch(batch.id);
        ImGui::EndDisabled();
        ImGui::SameLine();
        if (ImGui::TreeNodeEx("batch", 0, "%s", title.c_str())) {
            int row = 0;
            for (const HistoryItem& item : batch.items) {
                ImGui::PushID(row++);
                const std::string& where = item.fate == ItemFate::moved ? item.target : item.source;
                if (item.fate != ItemFate::recycled && ImGui::SmallButton("Show") && actions.reveal) actions.reveal(where);
                if (item.fate != ItemFate::recycled) ImGui::SameLine();
                ImGui::Text("%s: %s -> %s", FateText(item.fate), item.source.c_str(), item.target.c_str());
                if (ImGui::IsItemHovered() && !item.message.empty()) ImGui::SetTooltip("%s", item.message.c_str());
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
    ImGui::TextDisabled("Plain-text append log (low overhead). Persists until you clear it.");
    if (view.progressTotal > 0) {
        ImGui::ProgressBar(static_cast<float>(view.progressDone) / static_cast<float>(view.progressTotal),
                           ImVec2(-1.0f, 0.0f));
        ImGui::Text("%s", view.statusText.c_str());
    }
    if (view.batchRunning) {
        if (ImGui::Button("Cancel") && actions.cancelBatch) actions.cancelBatch();
        ImGui::SameLine();
        ImGui::TextDisabled("(Esc) stops after the item in progress");
    }
    DrawBatches(view, actions);

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
