#include "support/EditorSave.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "model/UniqueFile.h"
#include "support/TempDir.h"

namespace kw::test {
namespace fs = std::filesystem;

bool SaveInPlace(const fs::path& path, std::string_view bytes) {
    const UniqueFile h = OwnFile(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, TRUNCATE_EXISTING, 0, nullptr));
    if (!h) return false;
    DWORD written = 0;
    return ::WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
}

void SaveByReplacing(const fs::path& path, std::string_view bytes) {
    const fs::path saved = path.parent_path() / (path.filename().native() + L".saving");
    test::WriteFile(saved, bytes);
    if (!MoveFileExW(saved.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        throw std::runtime_error("could not save " + path.string() + " by replacing it: " + std::to_string(GetLastError()));
}

}  // namespace kw::test
