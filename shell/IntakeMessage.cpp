#include "shell/IntakeMessage.h"

#include <cstring>
#include <string_view>

#include "model/TextEncoding.h"

namespace kw {
namespace {

constexpr uint32_t kMagic = 0x5145574B;  // "KWEQ"
constexpr uint32_t kVersion = 1;
constexpr uint32_t kCopyFlag = 1, kPreviewFlag = 2, kConsoleFlag = 4;
constexpr uint32_t kKnownFlags = kCopyFlag | kPreviewFlag | kConsoleFlag;

struct Header {
    uint32_t magic;
    uint32_t version;
    uint32_t flags;
    uint32_t paths;
    uint32_t notes;
};

void Append(std::vector<std::byte>& out, const void* data, size_t bytes) {
    if (bytes == 0) return;
    const size_t at = out.size();
    out.resize(at + bytes);
    std::memcpy(out.data() + at, data, bytes);
}

// Strings travel as UTF-16 code units, each ended by a NUL unit: what a wchar_t is on Windows,
// spelled out so that the form does not depend on the compiler's wchar_t.
using Unit = uint16_t;

void AppendString(std::vector<std::byte>& out, std::wstring_view text) {
    for (const wchar_t c : text) {
        const Unit unit = static_cast<Unit>(c);
        Append(out, &unit, sizeof unit);
    }
    const Unit nul = 0;
    Append(out, &nul, sizeof nul);
}

}  // namespace

std::vector<std::byte> EncodeIntake(const IntakeRequest& request) {
    Header header{kMagic, kVersion,
                  (request.copy ? kCopyFlag : 0) | (request.preview ? kPreviewFlag : 0) |
                      (request.fromConsole ? kConsoleFlag : 0),
                  static_cast<uint32_t>(request.paths.size()), static_cast<uint32_t>(request.notes.size())};
    std::vector<std::byte> out;
    Append(out, &header, sizeof header);
    for (const std::wstring& path : request.paths) AppendString(out, path);
    for (const std::string& note : request.notes) AppendString(out, ToWide(note));
    return out;
}

std::optional<IntakeRequest> DecodeIntake(const void* data, size_t bytes, std::string& why) {
    Header header{};
    if (!data || bytes < sizeof header) {
        why = "too short";
        return std::nullopt;
    }
    if (bytes > kMaxIntakeBytes || bytes % sizeof(Unit) != 0) {
        why = "wrong size";
        return std::nullopt;
    }
    std::memcpy(&header, data, sizeof header);
    if (header.magic != kMagic || header.version != kVersion || (header.flags & ~kKnownFlags) != 0) {
        why = "unknown form";
        return std::nullopt;
    }
    if ((header.paths == 0 && header.notes == 0) || header.paths > kMaxIntakeStrings || header.notes > kMaxIntakeStrings) {
        why = "wrong count";
        return std::nullopt;
    }
    // The strings are copied out (the sender's buffer is valid only during the message) and
    // must be exactly as many as announced, each ending in a NUL, with nothing after the last.
    const size_t units = (bytes - sizeof header) / sizeof(Unit);
    std::wstring text(units, L'\0');
    const std::byte* from = static_cast<const std::byte*>(data) + sizeof header;
    for (size_t i = 0; i < units; ++i) {
        Unit unit = 0;
        std::memcpy(&unit, from + i * sizeof unit, sizeof unit);
        text[i] = static_cast<wchar_t>(unit);
    }
    std::vector<std::wstring> strings;
    size_t start = 0;
    for (size_t i = 0; i < units; ++i) {
        if (text[i] != L'\0') continue;
        strings.emplace_back(text, start, i - start);
        start = i + 1;
    }
    if (start != units || strings.size() != static_cast<size_t>(header.paths) + header.notes) {
        why = "strings do not match the count";
        return std::nullopt;
    }
    IntakeRequest request;
    request.copy = header.flags & kCopyFlag;
    request.preview = header.flags & kPreviewFlag;
    request.fromConsole = header.flags & kConsoleFlag;
    for (size_t i = 0; i < strings.size(); ++i) {
        if (i < header.paths) {
            if (strings[i].empty() || strings[i].size() > kMaxPathUnits) {
                why = "a path is empty or too long";
                return std::nullopt;
            }
            request.paths.push_back(std::move(strings[i]));
        } else {
            request.notes.push_back(SanitizeUtf8(ToUtf8(strings[i])));
        }
    }
    return request;
}

std::vector<std::byte> EncodeDone(int exitCode, const std::string& text) {
    std::vector<std::byte> out;
    const int32_t code = exitCode;
    Append(out, &code, sizeof code);
    Append(out, text.data(), text.size());
    return out;
}

bool DecodeDone(const void* data, size_t bytes, int& exitCode, std::string& text) {
    int32_t code = 0;
    if (!data || bytes < sizeof code || bytes > kMaxIntakeBytes) return false;
    std::memcpy(&code, data, sizeof code);
    exitCode = code;
    text.assign(static_cast<const char*>(data) + sizeof code, bytes - sizeof code);
    return true;
}

}  // namespace kw
