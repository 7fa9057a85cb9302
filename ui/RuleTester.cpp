#include "ui/RuleTester.h"

#include <imgui.h>

#include <algorithm>
#include <atomic>

#include "render/VisualOrder.h"
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

std::string LeftOutNotice() {
    return "The tester holds " + std::to_string(kMaxTesterItems) + " items; the rest were left out.";
}

// On the plan's worker: each entry as itself, or with `expand` a folder as the files inside it,
// listed only as far as the tester has room (and one more, to tell that there was more).
PlanJob::Prepare ListForTester(bool expand) {
    return [expand](std::vector<std::filesystem::path> entries, const std::atomic<bool>& stop) {
        std::vector<std::filesystem::path> listed;
        for (const std::filesystem::path& entry : entries) {
            if (stop || listed.size() > kMaxTesterItems) break;
            std::vector<std::filesystem::path> files;
            std::atomic<bool> full{false};
            ListingControl control;
            control.stop = &full;
            control.reportEvery = 1;
            control.found = [&](size_t found) { full = stop || listed.size() + found > kMaxTesterItems; };
            // Names typed alone stay names: they are not looked for in the current folder.
            if (entry.is_absolute()) ExpandFolders({entry}, expand, files, control);
            if (files.empty()) files.push_back(entry);  // a name, a missing path or an empty folder: tried as itself
            listed.insert(listed.end(), files.begin(), files.end());
        }
        if (listed.size() > kMaxTesterItems + 1) listed.resize(kMaxTesterItems + 1);
        return listed;
    };
}

}  // namespace

bool SameRouting(const AppSettings& a, const AppSettings& b) {
    return a.rules == b.rules && a.noMatchPolicy == b.noMatchPolicy && a.catchAllPath == b.catchAllPath &&
           a.catchAllConflict == b.catchAllConflict && a.autoRename == b.autoRename;
}

void AddTesterItems(TesterState& tester, const std::vector<std::filesystem::path>& items, bool expandFolders) {
    const size_t room = kMaxTesterItems - std::min(kMaxTesterItems, tester.items.size());
    const size_t taken = std::min(room, items.size());
    tester.items.insert(tester.items.end(), items.begin(), items.begin() + static_cast<std::ptrdiff_t>(taken));
    tester.expandFolders = expandFolders;
    tester.notice = taken < items.size() ? LeftOutNotice() : std::string();
    ++tester.itemsVersion;
}

void RefreshTester(TesterState& tester, const AppSettings& settings) {
    if (tester.planning) {
        if (std::optional<std::vector<ItemPlan>> plans = tester.job->Take()) {
            tester.plans = std::move(*plans);
            // The listing stops one file past the room: that file says the rest were left out.
            if (tester.plans.size() > kMaxTesterItems) {
                tester.plans.resize(kMaxTesterItems);
                tester.notice = LeftOutNotice();
            }
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
        tester.job->Start(settings, tester.items, ListForTester(tester.expandFolders), tester.wake);
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
        ImGui::TextWrapped("%s", VisualOrder(line.text).c_str());
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
        if (p.listing) ImGui::TextDisabled("Listing the folders...");
        else ImGui::TextDisabled("Trying %d of %d item(s)...", p.done, p.total);
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
