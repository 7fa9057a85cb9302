#pragma once
// The whole persisted state of the program: preferences, window and drop-zone geometry, the
// hotkey, the no-match policy with its catch-all folder, the auto-rename options and the rules.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "model/Rule.h"
#include "model/WatchedFolder.h"

namespace kw {

// `system`: dark or light as Windows is set for apps.
enum class Theme : int32_t { dark = 0, light, system };
enum class MinimizeTarget : int32_t { tray = 0, taskbar };
enum class NoMatchPolicy : int32_t { unsorted = 0, leave_in_place };
enum class UiFontSize : int32_t { medium = 0, large, larger };
enum class AutoRenameMode : int32_t { numbered = 0, letters, date_suffix, date_prefix, prefix_numbered, suffix_numbered };

inline constexpr std::array<const char*, 6> kAutoRenameModeLabels = {
    "Numbered (1), (2)",        "Letters (A), (B), (C)",   "Date suffix _YYYY-MM-DD",
    "Date prefix YYYY-MM-DD_", "Custom prefix + numbered", "Custom suffix + numbered"};

struct AutoRenameOptions {
    AutoRenameMode mode = AutoRenameMode::numbered;
    std::string customPrefix;
    std::string customSuffix;

    bool operator==(const AutoRenameOptions&) const = default;
};

struct AppSettings {
    Theme theme = Theme::dark;
    bool minimizeToTray = true;
    MinimizeTarget minimizeTarget = MinimizeTarget::tray;
    bool startMinimized = false;
    bool startWithWindows = false;
    bool sendToShortcut = false;    // "Kestrane Fileweir" in the user's Send To menu
    bool explorerMenuVerb = false;  // "Route with Kestrane Fileweir" on Explorer's menu
    bool overlayVisible = true;
    bool expandFoldersOnDrop = false;
    bool previewBeforeRouting = false;  // a drop shows its plan first; routing waits for "Route"
    int32_t overlayX = 80;   // screen position, in pixels
    int32_t overlayY = 80;
    int32_t overlayW = 320;  // size at 96 DPI: 480 x 300 pixels on a monitor at 150 %
    int32_t overlayH = 200;
    int32_t overlayAlpha = 230;     // window opacity 0-255
    // The drop zone has been given its place (its first one, or the user's): until then it is
    // put in the corner above the taskbar at start-up.
    bool overlayPlaced = false;
    bool trayHintShown = false;  // the user was told once that a closed window goes on in the tray
    uint32_t hotkeyModifiers = 3;   // MOD_ALT | MOD_CONTROL
    uint32_t hotkeyVk = 68;         // 'D'
    std::string catchAllPath;       // UTF-8; EnsureCatchAllPath fills in the default
    ConflictPolicy catchAllConflict = ConflictPolicy::rename;
    NoMatchPolicy noMatchPolicy = NoMatchPolicy::leave_in_place;
    AutoRenameOptions autoRename;
    UiFontSize uiFontSize = UiFontSize::medium;
    std::vector<Rule> rules;
    WatchSettings watching;

    bool operator==(const AppSettings&) const = default;
};

// If catchAllPath is empty, sets it to the "Unsorted" folder beside the executable (without
// creating it).
void EnsureCatchAllPath(AppSettings& settings);

}  // namespace kw
