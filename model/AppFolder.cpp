#include "model/AppFolder.h"

#include <windows.h>

#include <string>

#include "model/AppSettings.h"
#include "model/TextEncoding.h"

namespace kw {

std::filesystem::path AppFolder() {
    // Grow the buffer rather than give up at 260 units: a portable copy unpacked deep in a
    // folder tree must still find its own settings, not those of the current directory.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) break;
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer).parent_path();
        }
        if (buffer.size() >= 32768) break;
        buffer.resize(buffer.size() * 2);
    }
    return std::filesystem::current_path();
}

std::filesystem::path ConfigPath() { return AppFolder() / L"config.json"; }

std::filesystem::path DefaultCatchAllPath() { return AppFolder() / L"Unsorted"; }

void EnsureCatchAllPath(AppSettings& settings) {
    if (settings.catchAllPath.empty()) settings.catchAllPath = PathToUtf8(DefaultCatchAllPath());
}

}  // namespace kw
