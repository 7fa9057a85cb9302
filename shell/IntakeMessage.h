#pragma once
// The list of items one copy of the program hands to the copy already running, as the bytes of
// a WM_COPYDATA message, and the replies a waiting `route --wait` gets back. The receiver takes
// nothing on trust: a message of the wrong size or form is refused as a whole.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kw {

struct IntakeRequest {
    std::vector<std::wstring> paths;  // absolute paths
    std::vector<std::string> notes;   // problems with the arguments, to be logged (UTF-8)
    bool copy = false;
    bool preview = false;
    // From `route` in a console: the list is complete, so it is routed at once and never merged
    // with lists from other processes.
    bool fromConsole = false;

    bool operator==(const IntakeRequest&) const = default;
};

// COPYDATASTRUCT::dwData of each kind of message.
inline constexpr std::uintptr_t kIntakeTag = 0x4B574931;      // "KWI1": an IntakeRequest
inline constexpr std::uintptr_t kReplyLinesTag = 0x4B574C31;  // "KWL1": UTF-8 lines, each ending in '\n'
inline constexpr std::uintptr_t kReplyDoneTag = 0x4B574431;   // "KWD1": exit code (4 bytes), then UTF-8 text

// Limits a request must keep: a command line holds at most 32,767 characters, so these leave
// room for any list a process can be given, and refuse what none can.
inline constexpr size_t kMaxIntakeBytes = 4u << 20;
inline constexpr size_t kMaxIntakeStrings = 100000;
inline constexpr size_t kMaxPathUnits = 32767;

std::vector<std::byte> EncodeIntake(const IntakeRequest& request);
// Empty, with the reason in `why`, when the bytes are not a well-formed request.
std::optional<IntakeRequest> DecodeIntake(const void* data, size_t bytes, std::string& why);

// The final reply: exit code and a closing line.
std::vector<std::byte> EncodeDone(int exitCode, const std::string& text);
bool DecodeDone(const void* data, size_t bytes, int& exitCode, std::string& text);

}  // namespace kw
