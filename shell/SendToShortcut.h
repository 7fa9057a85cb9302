#pragma once
// "Kestrane Fileweir" in the user's Send To menu: a shortcut to this exe in the Send To folder.
// Explorer passes the selection to the shortcut's target as arguments, all in one process. The
// folder is a parameter so tests use one of their own; the program passes SendToFolder().

#include <filesystem>
#include <optional>
#include <string>

namespace kw {

inline constexpr wchar_t kSendToFileName[] = L"Kestrane Fileweir.lnk";

// The user's Send To folder; empty when the system does not say.
std::filesystem::path SendToFolder();

// The target of a shortcut file, read back through IShellLinkW; nothing when it cannot be read.
std::optional<std::filesystem::path> ShortcutTarget(const std::filesystem::path& shortcut);

// Whether a path names this exe (same file, or the same spelling in any letter case).
bool SameProgram(const std::filesystem::path& a, const std::filesystem::path& b);

enum class SendToState { absent, thisCopy, otherCopy };
struct SendToEntry {
    SendToState state = SendToState::absent;
    std::filesystem::path target;  // of another copy's entry
};
SendToEntry ReadSendTo(const std::filesystem::path& folder, const std::filesystem::path& exe);

// Creates (or points at `exe`) the entry; "" on success, else the reason. COM must be
// initialised on the calling thread.
std::string AddSendTo(const std::filesystem::path& folder, const std::filesystem::path& exe);
// Deletes the entry only while it points at `exe`; "" on success or when there is none.
std::string RemoveSendTo(const std::filesystem::path& folder, const std::filesystem::path& exe);

}  // namespace kw
