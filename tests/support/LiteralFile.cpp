#include "support/LiteralFile.h"

#include <windows.h>

#include <stdexcept>

#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"
#include "model/UniqueFile.h"

namespace kw::test {
namespace fs = std::filesystem;

void WriteLiteral(const fs::path& path, std::string_view bytes) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    const UniqueFile file = OwnFile(CreateFileW(ExtendedPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    if (!file) throw std::runtime_error("cannot create test file " + PathToUtf8(path));
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw std::runtime_error("cannot write test file " + PathToUtf8(path));
}

std::string ReadLiteral(const fs::path& path) {
    const UniqueFile file =
        OwnFile(CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return "<missing>";
    std::string bytes(64 * 1024, '\0');
    DWORD got = 0;
    ::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    bytes.resize(got);
    return bytes;
}

bool LiteralExists(const fs::path& path) { return GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace kw::test
