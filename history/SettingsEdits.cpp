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

const Rule* FindId(const std::vector<Rule>& rules, const std::string& id) {
    const auto it = std::find_if(rules.begin(), rules.end(), [&](const Rule& r) { return r.id == id; });
    return it == rules.end() ? nullptr : &*it;
}

}  // namespace

std::string DescribeEdit(const AppSettings& before, const AppSettings& after) {
    if (SameEdits(before, after)) return {};
    const std::vector<Rule>& a = before.rules;
    const std::vector<Rule>& b = after.rules;
    if (a != b) {
        for (const Rule& rule : a)
            if (!FindId(b, rule.id)) return (b.size() < a.size() ? "Deleted rule " : "Replaced rule ") + Quoted(rule);
        for (const Rule& rule : b)
            if (!FindId(a, rule.id)) return "Added rule " + Quoted(rule);
        for (size_t i = 0; i < b.size(); ++i) {
            const Rule& was = *FindId(a, b[i].id);
            if (was == b[i]) continue;
            if (was.enabled != b[i].enabled) {
                Rule same = was;
                same.enabled = b[i].enabled;
                if (same == b[i]) return "Turned rule " + Quoted(b[i]) + (b[i].enabled ? " on" : " off");
            }
            return "Edited rule " + Quoted(b[i]);
        }
        // Every rule is as it was: only the order changed. The rule named is the one that moved
        // furthest.
        size_t moved = 0, furthest = 0;
        for (size_t i = 0; i < b.size(); ++i) {
            const size_t was = static_cast<size_t>(FindId(a, b[i].id) - a.data());
            const size_t distance = was > i ? was - i : i - was;
            if (distance > furthest) furthest = distance, moved = i;
        }
        return "Moved rule " + Quoted(b[moved]);
    }
    return "Changed settings";
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
