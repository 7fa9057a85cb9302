#include "ui/RuleWarnings.h"

#include <imgui.h>

#include <algorithm>

#include "ui/ReadableColour.h"

namespace kw {
namespace {

constexpr const char* kMark = "(!)";  // Roboto has no warning sign

ImVec4 WarningColour() { return Readable(ImVec4(1.00f, 0.50f, 0.35f, 1.00f)); }
ImVec4 NoteColour() { return Readable(ImVec4(0.85f, 0.75f, 0.35f, 1.00f)); }
ImVec4 ToneColour(Severity severity) {
    switch (severity) {
        case Severity::warning: return WarningColour();
        case Severity::note: return NoteColour();
        default: return ImGui::GetStyleColorVec4(ImGuiCol_TextDisabled);
    }
}

void ColouredWrapped(const ImVec4& colour, const std::string& text) {
    ImGui::PushStyleColor(ImGuiCol_Text, colour);
    ImGui::TextWrapped("%s", text.c_str());
    ImGui::PopStyleColor();
}

std::string Line(const RuleWarning& w, const std::string& text) {
    switch (w.severity) {
        case Severity::warning: return std::string(kMark) + " " + text;
        case Severity::note: return "Note: " + text;
        default: return text;  // "Incomplete: ...", or a plain fact
    }
}

}  // namespace

const std::vector<RuleWarning>& RuleWarningCache::For(const AppSettings& settings, const FolderProbe& probe,
                                                      double nowSeconds) {
    const bool same = fresh && rules == settings.rules && catchAllPath == settings.catchAllPath &&
                      noMatchPolicy == settings.noMatchPolicy;
    if (same && nowSeconds - checkedAt < kRecheckSeconds && nowSeconds >= checkedAt) return warnings;
    warnings = CheckRules(settings, probe);
    ++runs;
    if (!same) {
        rules = settings.rules;
        catchAllPath = settings.catchAllPath;
        noMatchPolicy = settings.noMatchPolicy;
        fresh = true;
    }
    checkedAt = nowSeconds;
    return warnings;
}

bool AnyRuleMarked(const std::vector<RuleWarning>& warnings) {
    return std::any_of(warnings.begin(), warnings.end(),
                       [](const RuleWarning& w) { return w.rule >= 0 && w.severity == Severity::warning; });
}

void DrawRuleMark(const std::vector<RuleWarning>& warnings, int rule, bool keepColumn) {
    const auto ofRule = [&](const RuleWarning& w) { return w.rule == rule && w.severity == Severity::warning; };
    if (std::none_of(warnings.begin(), warnings.end(), ofRule)) {
        if (!keepColumn) return;
        ImGui::Dummy(ImGui::CalcTextSize(kMark));
        ImGui::SameLine();
        return;
    }
    ImGui::TextColored(WarningColour(), "%s", kMark);
    if (ImGui::BeginItemTooltip()) {
        ImGui::PushTextWrapPos(ImGui::GetFontSize() * 32.0f);
        for (const RuleWarning& w : warnings) {
            if (!ofRule(w)) continue;
            if (w.clause >= 0) ImGui::TextWrapped("Condition %d: %s", w.clause + 1, w.text.c_str());
            else ImGui::TextWrapped("%s", w.text.c_str());
        }
        ImGui::PopTextWrapPos();
        ImGui::EndTooltip();
    }
    ImGui::SameLine();
}

void DrawFieldWarnings(const std::vector<RuleWarning>& warnings, int rule, int clause, RuleField field) {
    for (const RuleWarning& w : warnings)
        if (w.rule == rule && w.clause == clause && w.field == field)
            ColouredWrapped(ToneColour(w.severity), Line(w, w.text));
}

void DrawWarningList(const AppSettings& settings, const std::vector<RuleWarning>& warnings) {
    if (warnings.empty()) {
        ImGui::TextDisabled("Rule check: nothing to report.");
        return;
    }
    for (const Severity severity : {Severity::warning, Severity::note, Severity::incomplete, Severity::information})
        for (const RuleWarning& w : warnings)
            if (w.severity == severity)
                ColouredWrapped(ToneColour(severity), Line(w, WarningPlace(settings, w) + ": " + w.text));
}

bool RuleIncomplete(const std::vector<RuleWarning>& warnings, int rule) {
    return std::any_of(warnings.begin(), warnings.end(),
                       [&](const RuleWarning& w) { return w.rule == rule && w.severity == Severity::incomplete; });
}

void AddRuleFindings(MessageStrip& strip, const std::vector<RuleWarning>& warnings, int rule) {
    // What the rule lacks first, then what is wrong, then what is merely worth knowing.
    for (const Severity severity : {Severity::incomplete, Severity::warning, Severity::note, Severity::information})
        for (const RuleWarning& w : warnings) {
            if (w.rule != rule || w.severity != severity) continue;
            const std::string text = w.clause >= 0 ? "Condition " + std::to_string(w.clause + 1) + ": " + w.text : w.text;
            strip.Add(severity == Severity::warning ? StripTone::warning
                      : severity == Severity::note  ? StripTone::note
                                                    : StripTone::neutral,
                      Line(w, text));
        }
}

}  // namespace kw
