#include "support/EditorSave.h"

#include <windows.h>

#include <string>

#include "support/TempDir.h"

namespace kw::test {
namespace fs = std::filesystem;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool Overwrite(HANDLE h, std::string_view bytes) {
    LARGE_INTEGER start{};
    DWORD written = 0;
    return SetFilePointerEx(h, start, nullptr, FILE_BEGIN) && SetEndOfFile(h) &&
           ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
}

}  // namespace

bool SaveInPlace(const fs::path& path, std::string_view bytes) {
    const UniqueFile h = OwnFile(CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    return h && Overwrite(h.get(), bytes);
}

bool SaveByReplacing(const fs::path& path, std::string_view bytes) {
    const fs::path saved = path.parent_path() / (path.filename().native() + L".saving");
    test::WriteFile(saved, bytes);
    if (MoveFileExW(saved.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileW(saved.c_str());
    return false;
}

OpenForWriting::OpenForWriting(const fs::path& path)
    : handle_(OwnFile(CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr))) {}

void OpenForWriting::SaveAndClose(std::string_view bytes) {
    if (handle_) Overwrite(handle_.get(), bytes);
    handle_.reset();
}

}  // namespace kw::test
