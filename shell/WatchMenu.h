#pragma once
// The "Pause watching" / "Resume watching" entry of the tray and drop-zone menus.

#include <windows.h>

namespace kw {

constexpr UINT kPauseWatchingCommand = 240;
constexpr UINT kResumeWatchingCommand = 241;

// What the menus offer about watched folders.
enum class WatchMenu { none, pause, resume };

// Appends the entry (after a separator) unless there is nothing watched.
inline void AppendWatchMenu(HMENU menu, WatchMenu watch) {
    if (watch == WatchMenu::none) return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    if (watch == WatchMenu::pause) AppendMenuW(menu, MF_STRING, kPauseWatchingCommand, L"Pause watching");
    else AppendMenuW(menu, MF_STRING, kResumeWatchingCommand, L"Resume watching");
}

}  // namespace kw
