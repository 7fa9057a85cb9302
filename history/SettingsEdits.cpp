#include "history/SettingsEdits.h"

#include <algorithm>

namespace kw {
namespace {

// The drop zone's place and size follow the user's dragging, and the hotkey and tray show and
// hide it; all are saved with the settings, but turning an edit back must not move or hide it.
AppSettings WithDropZoneOf(AppSettings settings, const AppSettings& place) {
    settings.overlayVisible = place.overlayVisible;
    settings.overlayX = place.overlayX;
    settings.overlayY = place.overlayY;
    settings.overlayW = place.overlayW;
    settings.overlayH = place.overlayH;
    return settings;
}

bool SameEdits(const AppSettings& a, const AppSettings& b) { return WithDropZoneOf(a, b) == b; }

std::string Quoted(const Rule& rule) { return "\"" + rule.name + "\""; }

// The index of the one rule `longer` has beyond `shorter`, all others equal and in order; -1 if none.
int OneMore(const std::vector<Rule>& longer, const std::vector<Rule>& shorter) {
    if (longer.size() != shorter.size() + 1) return -1;
    size_t i = 0;
    while (i < shorter.size() && longer[i] == shorter[i]) ++i;
    return std::equal(shorter.begin() + static_cast<ptrdiff_t>(i), shorter.end(),
                      longer.begin() + static_cast<ptrdiff_t>(i) + 1)
               ? static_cast<int>(i)
               : -1;
}

}  // namespace

std::string DescribeEdit(const AppSettings& before, const AppSettings& after) {
    if (SameEdits(before, after)) return {};
    const std::vector<Rule>& a = before.rules;
    const std::vector<Rule>& b = after.rules;
    AppSettings rulesAside = before;
    rulesAside.rules = b;
    // A restore, or anything else that changes more than the rules, is no single rule's edit.
    if (a == b || !SameEdits(rulesAside, after)) return "Changed settings";
    if (const int i = OneMore(a, b); i >= 0) return "Deleted rule " + Quoted(a[static_cast<size_t>(i)]);
    if (const int i = OneMore(b, a); i >= 0) return "Added rule " + Quoted(b[static_cast<size_t>(i)]);
    if (a.size() == b.size()) {
        size_t changed = 0, at = 0;
        for (size_t i = 0; i < a.size(); ++i)
            if (!(a[i] == b[i])) ++changed, at = i;
        if (changed == 1 && a[at].id == b[at].id) {
            Rule same = a[at];
            same.enabled = b[at].enabled;
            if (same == b[at] && a[at].enabled != b[at].enabled)
                return "Turned rule " + Quoted(b[at]) + (b[at].enabled ? " on" : " off");
            return "Edited rule " + Quoted(b[at]);
        }
        // The same rules in another order: the one named is the one that moved furthest.
        if (std::is_permutation(a.begin(), a.end(), b.begin())) {
            size_t moved = 0, furthest = 0;
            for (size_t i = 0; i < b.size(); ++i) {
                const size_t was = static_cast<size_t>(std::find(a.begin(), a.end(), b[i]) - a.begin());
                const size_t distance = was > i ? was - i : i - was;
                if (distance > furthest) furthest = distance, moved = i;
            }
            return "Moved rule " + Quoted(b[moved]);
        }
    }
    return "Changed the rules";
}

void SettingsEdits::Reset(const AppSettings& now) {
    current_ = now;
    started_ = true;
    undo_.clear();
    redo_.clear();
}

std::string SettingsEdits::Commit(const AppSettings& now) {
    if (!started_) {
        Reset(now);
        return {};
    }
    std::string edit = DescribeEdit(current_, now);
    if (edit.empty()) {
        current_ = now;  // the drop zone moved: nothing to undo
        return {};
    }
    undo_.push_back(Step{current_, edit});
    if (undo_.size() > maxSteps_) undo_.pop_front();
    redo_.clear();
    current_ = now;
    return edit;
}

std::optional<SettingsEdits::Turn> SettingsEdits::Undo(const AppSettings& now) {
    Commit(now);
    if (undo_.empty()) return std::nullopt;
    Step step = std::move(undo_.back());
    undo_.pop_back();
    redo_.push_back(Step{current_, step.edit});
    current_ = WithDropZoneOf(std::move(step.before), now);
    return Turn{current_, std::move(step.edit)};
}

std::optional<SettingsEdits::Turn> SettingsEdits::Redo(const AppSettings& now) {
    Commit(now);
    if (redo_.empty()) return std::nullopt;
    Step step = std::move(redo_.back());
    redo_.pop_back();
    undo_.push_back(Step{current_, step.edit});
    current_ = WithDropZoneOf(std::move(step.before), now);
    return Turn{current_, std::move(step.edit)};
}

}  // namespace kw
