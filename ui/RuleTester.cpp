#include "ui/RuleTester.h"

#include <imgui.h>

#include <algorithm>
#include <atomic>

#include "model/TextEncoding.h"
#include "shell/PathFiltering.h"
#include "ui/PlanText.h"
#include "ui/ReadableColour.h"

namespace kw {
namespace {

ImVec4 TruthColour(Truth truth, bool dim) {
    if (dim) return ImGui::GetStyleColorVec4(ImGuiCol_TextDisabled);
    switch (truth) {
        case Truth::yes: return Readable(ImVec4(0.35f, 0.85f, 0.45f, 1.0f));
        case Truth::unknown: return Readable(ImVec4(0.95f, 0.75f, 0.25f, 1.0f));
        default: return ImGui::GetStyleColorVec4(ImGuiCol_Text);
    }
}

void AddTyped(TesterState& tester, bool expandFolders) {
    std::string text = tester.input;
    // Pasted paths often come quoted (Explorer's "Copy as path").
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '"'; };
    while (!text.empty() && blank(text.back())) text.pop_back();
    size_t first = 0;
    while (first < text.size() && blank(text[first])) ++first;
    text.erase(0, first);
    if (text.empty()) return;
    AddTesterItems(tester, {PathFromUtf8(text)}, expandFolders);
    tester.input[0] = 0;
}

}  // namespace

bool SameRouting(const AppSettings& a, const AppSettings& b) {
    return a.rules == b.rules && a.noMatchPolicy == b.noMatchPolicy && a.catchAllPath == b.catchAllPath &&
           a.catchAllConflict == b.catchAllConflict && a.autoRename == b.autoRename;
}

void AddTesterItems(TesterState& tester, const std::vector<std::filesystem::path>& items, bool expandFolders) {
    // A folder of a hundred thousand files is listed only as far as the tester has room.
    const size_t room = kMaxTesterItems - std::min(kMaxTesterItems, tester.items.size());
    std::vector<std::filesystem::path> listed;
    std::atomic<bool> full{false};
    for (const std::filesystem::path& item : items) {
        if (listed.size() > room) break;
        std::vector<std::filesystem::path> files;
        ListingControl control;
        control.stop = &full;
        control.reportEvery = 1;
        control.found = [&](size_t found) { full = listed.size() + found > room; };
        // Names typed alone stay names: they are not looked for in the current folder.
        if (item.is_absolute()) ExpandFolders({item}, expandFolders, files, control);
        if (files.empty()) files.push_back(item);  // a name, a missing path or an empty folder: tried as itself
        listed.insert(listed.end(), files.begin(), files.end());
    }
    const bool leftOut = listed.size() > room;
    if (leftOut) listed.resize(room);
    tester.items.insert(tester.items.end(), listed.begin(), listed.end());
    tester.notice = leftOut ? "The tester holds " + std::to_string(kMaxTesterItems) + " items; the rest were left out."
                            : std::string();
    ++tester.itemsVersion;
}

void RefreshTester(TesterState& tester, const AppSettings& settings) {
    if (tester.planning) {
        if (std::optional<std::vector<ItemPlan>> plans = tester.job->Take()) {
            tester.plans = std::move(*plans);
            tester.plansMadeWith = tester.plannedWith;
            tester.planning = false;
        }
    }
    if (tester.plannedVersion == tester.itemsVersion && SameRouting(settings, tester.plannedWith)) return;
    // A plan in progress for older rules or items is dropped for the new one.
    tester.plannedVersion = tester.itemsVersion;
    tester.plannedWith = settings;
    if (tester.items.empty()) {
        tester.job->Cancel();
        tester.plans.clear();
        tester.plansMadeWith = settings;
        tester.planning = false;
        return;
    }
    try {
        tester.job->Start(settings, tester.items, nullptr, tester.wake);
        tester.planning = true;
    } catch (const std::exception&) {
        tester.notice = "The items could not be tried (no thread could be started).";
        tester.planning = false;
    }
}

void DrawPlanDetails(const AppSettings& settings, const ItemPlan& plan) {
    for (const PlanLine& line : ExplainPlan(settings, plan)) {
        if (line.depth > 0) ImGui::Indent();
        ImGui::PushStyleColor(ImGuiCol_Text, TruthColour(line.truth, line.dim));
        ImGui::TextWrapped("%s", line.text.c_str());
        ImGui::PopStyleColor();
        if (line.depth > 0) ImGui::Unindent();
    }
}

void DrawTesterTab(const AppSettings& settings, TesterState& tester) {
    ImGui::TextWrapped(
        "Drop files or folders on this window, or type a name or a full path, to see which rule would take each "
        "and why. Nothing is moved. A name with no such file is judged by its name alone.");
    ImGui::SetNextItemWidth(-ImGui::CalcTextSize("Try it").x - ImGui::CalcTextSize("Clear").x -
                            ImGui::GetStyle().ItemSpacing.x * 2 - ImGui::GetStyle().FramePadding.x * 4);
    const bool entered = ImGui::InputTextWithHint("##tester_input", "report.pdf or C:\\Downloads\\report.pdf",
                                                  tester.input, sizeof tester.input, ImGuiInputTextFlags_EnterReturnsTrue);
    ImGui::SameLine();
    if (ImGui::Button("Try it") || entered) AddTyped(tester, settings.expandFoldersOnDrop);
    ImGui::SameLine();
    if (ImGui::Button("Clear")) {
        tester.items.clear();
        ++tester.itemsVersion;
        tester.notice.clear();
    }
    if (!tester.notice.empty()) ImGui::TextDisabled("%s", tester.notice.c_str());
    ImGui::Separator();
    RefreshTester(tester, settings);
    if (tester.items.empty()) {
        ImGui::TextDisabled("Nothing to test yet.");
        return;
    }
    if (tester.planning) {
        const PlanJob::Progress p = tester.job->Now();
        ImGui::TextDisabled("Trying %d of %d item(s)...", p.done, p.total);
    }
    ImGui::BeginChild("tester_items", ImVec2(0, 0));
    // The plans shown are those last made; their rules are the ones they were made with.
    for (size_t i = 0; i < tester.plans.size(); ++i) {
        const ItemPlan& plan = tester.plans[i];
        ImGui::PushID(static_cast<int>(i));
        const std::string name = PathToUtf8(plan.item.filename().empty() ? plan.item : plan.item.filename());
        const std::string header = name + (plan.nameOnly ? " (name only)" : "") + " -> " + OutcomeLine(plan);
        if (ImGui::TreeNodeEx("##item", ImGuiTreeNodeFlags_DefaultOpen | ImGuiTreeNodeFlags_SpanAvailWidth, "%s",
                              header.c_str())) {
            ImGui::TextDisabled("%s", PathToUtf8(plan.item).c_str());
            DrawPlanDetails(tester.plansMadeWith, plan);
            ImGui::TreePop();
        }
        ImGui::PopID();
    }
    ImGui::EndChild();
}

}  // namespace kw
