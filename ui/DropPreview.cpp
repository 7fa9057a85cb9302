#include "ui/DropPreview.h"

#include <imgui.h>

#include <string>

#include "render/VisualOrder.h"
#include "model/TextEncoding.h"
#include "ui/ReadableColour.h"
#include "ui/RuleTester.h"

namespace kw {

PreviewCounts CountFates(const std::vector<ItemPlan>& plans) {
    PreviewCounts c;
    for (const ItemPlan& p : plans) {
        switch (p.outcome.fate) {
            case PlannedFate::move:
                ++c.move;
                c.copy += p.outcome.copy;
                c.rename += p.outcome.renameInPlace;
                break;
            case PlannedFate::recycle: ++c.recycle; break;
            case PlannedFate::leave: ++c.leave; break;
            case PlannedFate::skip: ++c.skip; break;
            case PlannedFate::fail: ++c.fail; break;
        }
    }
    return c;
}

namespace {

// ", 3 to copy" and ", 2 to rename": said only where there are any.
std::string MoveDetail(const PreviewCounts& c) {
    std::string detail;
    if (c.copy > 0) detail += ", " + std::to_string(c.copy) + " to copy";
    if (c.rename > 0) detail += ", " + std::to_string(c.rename) + " to rename";
    return detail;
}

}  // namespace

void DrawPreviewTab(const PreviewView& view, const std::function<void()>& route, const std::function<void()>& cancel) {
    ImGui::TextWrapped(
        "Nothing has moved yet. This is what routing these items would do now; when you route them, every check is "
        "made again at that moment.");
    if (!view.plans) {
        const PlanJob::Progress& p = view.progress;
        if (p.listing) {
            ImGui::Text("Listing the dropped folders...");
        } else {
            ImGui::Text("Planning %d of %d item(s)...", p.done, p.total);
            ImGui::ProgressBar(p.total > 0 ? static_cast<float>(p.done) / static_cast<float>(p.total) : 0.0f,
                               ImVec2(-1.0f, 0.0f));
        }
        if (ImGui::Button("Cancel") && cancel) cancel();
        if (view.routeChosen) {
            ImGui::SameLine();
            ImGui::TextDisabled("Route chosen: these items are routed as soon as they are planned.");
        }
        return;
    }
    const std::vector<ItemPlan>& plans = *view.plans;
    const PreviewCounts c = CountFates(plans);
    ImGui::Text("%d item(s): %d to move%s, %d to the Recycle Bin, %d left in place, %d skipped, %d would fail",
                static_cast<int>(plans.size()), c.move - c.copy - c.rename, MoveDetail(c).c_str(), c.recycle, c.leave, c.skip,
                c.fail);
    const std::string routeLabel =
        plans.size() == 1 ? std::string("Route this item") : "Route these " + std::to_string(plans.size()) + " items";
    ImGui::BeginDisabled(plans.empty());  // while a batch runs, Route queues these behind it
    if (ImGui::Button(routeLabel.c_str()) && route) route();
    ImGui::EndDisabled();
    ImGui::SameLine();
    if (ImGui::Button("Cancel") && cancel) cancel();
    if (view.batchRunning) {
        ImGui::SameLine();
        ImGui::TextDisabled("A batch is running; Route queues these behind it.");
    }
    ImGui::TextDisabled("Point at an item to see why its rule takes it.");
    ImGui::Separator();
    const ImGuiTableFlags flags = ImGuiTableFlags_RowBg | ImGuiTableFlags_BordersInnerV | ImGuiTableFlags_ScrollY |
                                  ImGuiTableFlags_Resizable | ImGuiTableFlags_SizingStretchProp;
    if (!ImGui::BeginTable("preview_plan", 3, flags)) return;
    ImGui::TableSetupScrollFreeze(0, 1);
    ImGui::TableSetupColumn("Item", ImGuiTableColumnFlags_WidthStretch, 1.0f);
    ImGui::TableSetupColumn("Rule", ImGuiTableColumnFlags_WidthStretch, 0.5f);
    ImGui::TableSetupColumn("Outcome", ImGuiTableColumnFlags_WidthStretch, 2.0f);
    ImGui::TableHeadersRow();
    // Tens of thousands of rows: only those in view are laid out.
    ImGuiListClipper clipper;
    clipper.Begin(static_cast<int>(plans.size()));
    while (clipper.Step()) {
        for (int row = clipper.DisplayStart; row < clipper.DisplayEnd; ++row) {
            const ItemPlan& plan = plans[static_cast<size_t>(row)];
            ImGui::TableNextRow();
            ImGui::TableNextColumn();
            ImGui::PushID(row);
            const std::string name =
                VisualOrder(PathToUtf8(plan.item.filename().empty() ? plan.item : plan.item.filename()));
            ImGui::Selectable(name.c_str(), false, ImGuiSelectableFlags_SpanAllColumns);
            if (ImGui::BeginItemTooltip()) {
                ImGui::PushTextWrapPos(ImGui::GetFontSize() * 40.0f);
                ImGui::TextDisabled("%s", VisualOrder(PathToUtf8(plan.item)).c_str());
                if (!view.plannedWith) {
                    ImGui::TextWrapped("%s", VisualOrder(plan.outcome.message).c_str());
                } else if (plan.trace.rules.size() != view.plannedWith->rules.size()) {
                    // Kept without its reasons (a very large drop).
                    ImGui::TextWrapped("%s (drop it on the Test tab to see why)", VisualOrder(plan.outcome.message).c_str());
                } else {
                    DrawPlanDetails(*view.plannedWith, plan);
                }
                ImGui::PopTextWrapPos();
                ImGui::EndTooltip();
            }
            ImGui::PopID();
            ImGui::TableNextColumn();
            ImGui::TextUnformatted(VisualOrder(plan.decision.ruleName).c_str());
            ImGui::TableNextColumn();
            const bool bad = plan.outcome.fate == PlannedFate::fail;
            if (bad) ImGui::PushStyleColor(ImGuiCol_Text, Readable(ImVec4(1.0f, 0.45f, 0.40f, 1.0f)));
            ImGui::TextUnformatted(VisualOrder(plan.outcome.message).c_str());
            if (bad) ImGui::PopStyleColor();
        }
    }
    ImGui::EndTable();
}

}  // namespace kw
