#pragma once
// Undo and redo of rule and settings edits, apart from the undo of file batches: a list of
// snapshots of the settings, each step what one edit left. The window decides when an edit has
// ended (a click at once, typing when its field lets go) and calls Commit then; where the drop
// zone stands is no edit and is never turned back.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

#include "model/AppSettings.h"

namespace kw {

class SettingsEdits {
public:
    explicit SettingsEdits(size_t maxSteps = 100) : maxSteps_(maxSteps) {}

    // Starts over from `now` (at start, and when the settings were replaced from elsewhere).
    void Reset(const AppSettings& now);
    // Ends an edit: when `now` differs from the last step, it becomes a step of its own. Returns
    // what the edit did ("" when nothing changed).
    std::string Commit(const AppSettings& now);

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // The settings one step back (or forward), keeping the drop zone where `now` has it, with what
    // that step did; nullopt when there is no step. An edit not yet committed is committed first.
    struct Turn {
        AppSettings settings;
        std::string edit;  // "Deleted rule "Photos"", as Commit said it
    };
    std::optional<Turn> Undo(const AppSettings& now);
    std::optional<Turn> Redo(const AppSettings& now);

private:
    struct Step {
        AppSettings before;
        std::string edit;
    };
    size_t maxSteps_;
    bool started_ = false;
    AppSettings current_;      // as the last step left them
    std::deque<Step> undo_;    // oldest first
    std::deque<Step> redo_;    // the step redone next last
};

// What changed from `before` to `after`, in the user's words: "Deleted rule "Photos"", "Added
// rule "New rule"", "Moved rule "Photos"", "Turned rule "Photos" off", "Edited rule "Photos"",
// "Changed settings"; "" when nothing did. The drop zone's place does not count.
std::string DescribeEdit(const AppSettings& before, const AppSettings& after);

}  // namespace kw
