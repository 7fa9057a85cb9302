#pragma once
// Warnings about rules that will not do what their author most likely means: conditions that
// match nothing or everything, patterns that do not compile or may run for ages, rules that an
// earlier rule always beats, destinations that are missing, are files or are system folders.
// Nothing here blocks saving or routing; the settings window shows the results beside the
// fields at fault and in the summary.
//
// The checker itself never touches the disk: what it needs to know about folders comes from a
// FolderProbe (routing/SystemFolderProbe.h gives the real one), so tests hand it a fake.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/AppSettings.h"

namespace kw {

// The part of the rule editor a warning belongs beside.
enum class RuleField : int32_t { rule = 0, condition, combine, action, destination, new_name };

// A warning marks the rule in the list; a note (a likely-intended quirk, or two rules that
// differ only by their order) is shown beside its field and in the summary only. A rule still
// being made (a name, a condition's value or its folder not yet given) is marked incomplete, in
// a neutral tone, instead of being warned about what it lacks. Information (a folder that is
// made at the first move) is said in the same neutral tone: there is nothing to fix.
enum class Severity : int32_t { warning = 0, note, incomplete, information };

struct RuleWarning {
    int rule = -1;    // 0-based index into settings.rules; -1 for the Unsorted folder / the rule set
    int clause = -1;  // 0-based condition; -1 for the rule as a whole or its destination
    RuleField field = RuleField::rule;
    Severity severity = Severity::warning;
    std::string text;  // a sentence naming the value at fault

    bool operator==(const RuleWarning&) const = default;
};

enum class FolderState : int32_t {
    folder = 0,
    file,      // something that is not a folder is there
    missing,   // nothing there, but its drive is
    no_drive,  // the drive (or volume) the path is on is not there
    unknown,   // not asked, e.g. a network path that could keep the window waiting
};

struct FolderProbe {
    // What is at a full UTF-8 path.
    std::function<FolderState(const std::string& path)> stateOf;
    // UTF-8 folders a destination must not be or lie in (Windows, Program Files, ...).
    std::vector<std::string> systemFolders;
    // The program's own folder (settings, log, history), UTF-8.
    std::string appFolder;
    // The folder a destination as typed stands for (variables expanded, relative paths made
    // whole); the typed text itself when not given.
    std::function<std::string(const std::string& typed)> resolve;
};

// Every warning and note for the rule set, ordered by rule (then the Unsorted folder's).
// Disabled rules get warnings about their own fields but never hide other rules.
std::vector<RuleWarning> CheckRules(const AppSettings& settings, const FolderProbe& probe);

// What a rule still lacks before it can work, as "a name", "a value for condition 2", "a
// destination folder", "a new name in "Rename to""; empty for a complete rule.
std::vector<std::string> MissingParts(const Rule& rule);

// `rule 2 "Photos"`: how one rule's text names another.
std::string RuleReference(const AppSettings& settings, int rule);

// Where a warning points, for lists outside the editor: `Rule 2 "Photos", condition 1`,
// `Rule 2 "Photos"`, or `Unsorted folder` for rule -1.
std::string WarningPlace(const AppSettings& settings, const RuleWarning& warning);

}  // namespace kw
