#include "support/HeldFile.h"

namespace kw::test {

// Held from this process, which both Windows and Wine treat like a handle of another process:
// sharing is checked per open, not per process.
HeldFile::HeldFile(const std::filesystem::path& path, Sharing sharing)
    : handle_(OwnFile(CreateFileW(path.c_str(), GENERIC_READ, sharing == Sharing::readers ? FILE_SHARE_READ : 0,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {}

}  // namespace kw::test
