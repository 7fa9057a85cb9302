#include <gtest/gtest.h>

#include "model/TextEncoding.h"
#include "routing/BatchCache.h"
#include "support/TempDir.h"
#include "ui/harness/SettingsWindowDriver.h"

namespace kw::test {
namespace {

Rule ExtensionRule(const std::string& name, const std::string& extensions, const std::filesystem::path& folder) {
    Rule rule;
    rule.id = NewRuleId();
    rule.name = name;
    rule.clauses[0].extensions = extensions;
    rule.destination = PathToUtf8(folder);
    return rule;
}

// Frames until the tester's plans (made on a thread of their own) are in.
void SettleTester(SettingsWindowDriver& w) {
    w.imgui.Frame();
    for (int i = 0; i < 600 && w.ui.tester.planning; ++i) {
        Sleep(5);
        w.imgui.Frame();
    }
    w.imgui.Frame();
}

// A typed name is tried against the rules: the rule above says why it missed, the winner's
// condition shows the value that decided it, and an edit of the rules is reflected at once.
TEST(RuleTester, ExplainsAMissAndAHitAndFollowsTheRules) {
    SettingsWindowDriver w;
    w.settings.rules = {ExtensionRule("Photos", ".jpg .png", w.dir / L"Photos"),
                        ExtensionRule("Docs", ".pdf", w.dir / L"Docs")};
    w.OpenTab("Test");
    w.imgui.TypeInto("##tester_input", "report.pdf");
    w.imgui.Click("Try it");
    SettleTester(w);
    const std::string dash = " \xE2\x80\x94 ";
    EXPECT_TRUE(w.imgui.Shows("1. \"Photos\"" + dash + "no: Extension is one of: .jpg, .png" + dash + ".pdf: no"))
        << w.imgui.ShownText();
    EXPECT_TRUE(w.imgui.Shows("2. \"Docs\"" + dash + "wins"));
    EXPECT_TRUE(w.imgui.Shows("Extension is one of: .pdf" + dash + ".pdf: yes"));
    EXPECT_TRUE(w.imgui.Shows("Would move via Docs to " + PathToUtf8(w.dir / L"Docs" / L"report.pdf")));
    EXPECT_TRUE(std::filesystem::is_empty(w.dir.Path()) || !std::filesystem::exists(w.dir / L"Docs"));

    w.settings.rules[0].clauses[0].extensions = ".jpg .pdf";
    SettleTester(w);  // planned again after the edit
    EXPECT_TRUE(w.imgui.Shows("1. \"Photos\"" + dash + "wins")) << w.imgui.ShownText();
    EXPECT_FALSE(w.imgui.Shows("2. \"Docs\""));
    EXPECT_EQ(w.changedFrames, 0);  // trying rules never changes them
}

// A folder dropped on the Test tab is listed by the plan's worker, not on the window's thread
// (a share that does not answer would freeze the window), and only as far as the tester has room.
TEST(RuleTester, ListsADroppedFolderOffTheWindowThreadUpToItsRoom) {
    SettingsWindowDriver w;
    for (int i = 0; i < 60; ++i) WriteFile(w.dir / L"in" / (L"f" + std::to_wstring(i) + L".pdf"), "x");
    w.OpenTab("Test");
    AddTesterItems(w.ui.tester, {w.dir / L"in"}, true);
    EXPECT_EQ(w.ui.tester.items, std::vector<std::filesystem::path>{w.dir / L"in"});
    SettleTester(w);
    EXPECT_EQ(w.ui.tester.plans.size(), kMaxTesterItems);
    EXPECT_TRUE(w.imgui.Shows("The tester holds 50 items; the rest were left out.")) << w.imgui.ShownText();
    EXPECT_TRUE(w.imgui.Shows("f1.pdf"));
}

// The plan of a drop is shown with its two ways out. Each frees the plan the table below the
// buttons is drawing, as the application does: a click is acted on once the window has ended,
// never while the frame still reads the plan.
TEST(DropPreviewTab, RouteAndCancelActOnceTheFrameHasDrawn) {
    SettingsWindowDriver w;
    w.settings.rules = {ExtensionRule("Docs", ".pdf", w.dir / L"Docs")};
    WriteFile(w.dir / L"in" / L"a.pdf", "a");
    WriteFile(w.dir / L"in" / L"b.txt", "b");
    std::optional<std::vector<ItemPlan>> held;
    const auto plan = [&](BatchOptions options = {}) {
        BatchCache batch(w.settings, options);
        held = std::vector<ItemPlan>{PlanItem(w.dir / L"in" / L"a.pdf", batch), PlanItem(w.dir / L"in" / L"b.txt", batch)};
        w.preview.plans = &*held;
        w.preview.plannedWith = &w.settings;
        w.imgui.Frame(2);
    };
    int routed = 0, cancelled = 0, whileDrawing = 0;
    const auto drop = [&](int& count) {
        // Still inside the settings window (or a child of it): the frame was reading the plan.
        if (ImGui::GetCurrentContext()->CurrentWindowStack.Size > 1) ++whileDrawing;
        ++count;
        w.preview.active = false;
        w.preview.plans = nullptr;
        held.reset();
    };
    w.actions.routePreview = [&] { drop(routed); };
    w.actions.cancelPreview = [&] { drop(cancelled); };

    w.preview.active = true;
    w.preview.progress = {true, false, 1, 2};
    w.preview.routeChosen = true;
    w.imgui.Frame(2);
    EXPECT_TRUE(w.imgui.Shows("Planning 1 of 2 item(s)...")) << w.imgui.ShownText();
    EXPECT_TRUE(w.imgui.Shows("these items are routed as soon as they are planned"));
    EXPECT_FALSE(w.imgui.Has("Route these 2 items"));

    plan();
    EXPECT_TRUE(w.imgui.Shows("Nothing has moved yet."));
    EXPECT_TRUE(w.imgui.Shows("2 item(s): 1 to move, 0 to the Recycle Bin, 1 left in place"));
    EXPECT_TRUE(w.imgui.Shows("Would move via Docs to " + PathToUtf8(w.dir / L"Docs" / L"a.pdf")));
    w.imgui.Click("Cancel");
    EXPECT_EQ(cancelled, 1);
    EXPECT_FALSE(w.imgui.Has("Route these 2 items")) << "the preview tab outlived its plan";

    w.preview.active = true;
    plan();
    w.imgui.Click("Route these 2 items");
    EXPECT_EQ(routed, 1);
    EXPECT_EQ(whileDrawing, 0) << "a button freed the plan while the frame was still drawing it";
    EXPECT_TRUE(std::filesystem::exists(w.dir / L"in" / L"a.pdf"));

    // A Ctrl+Shift drop plans copies, and a rename rule renames in place: the count says so, as
    // the rows do.
    Rule names = ExtensionRule("Names", ".txt", w.dir / L"unused");
    names.action = RuleAction::rename;
    names.renameTo = "{name} x";
    w.settings.rules.push_back(names);
    w.preview.active = true;
    plan(BatchOptions{.copyInsteadOfMove = true});
    EXPECT_TRUE(w.imgui.Shows("2 item(s): 0 to move, 1 to copy, 1 to rename, 0 to the Recycle Bin, 0 left in place"))
        << w.imgui.ShownText();
    EXPECT_TRUE(w.imgui.Shows("Would rename to b x.txt via Names"));
    EXPECT_TRUE(w.imgui.Shows("Would copy via Docs to " + PathToUtf8(w.dir / L"Docs" / L"a.pdf")));
}

}  // namespace
}  // namespace kw::test
