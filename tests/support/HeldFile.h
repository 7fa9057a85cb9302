#pragma once
// A file kept open as another program (an editor, a virus scanner) may keep it, for as long as
// this object lives.

#include <filesystem>

#include "model/UniqueFile.h"

namespace kw::test {

enum class Sharing {
    none,     // every other open fails with a sharing violation
    readers,  // others may read it (so a copy succeeds) but not delete, rename or write it
};

class HeldFile {
public:
    explicit HeldFile(const std::filesystem::path& path, Sharing sharing = Sharing::none);

    // False when the file could not be opened: the test then holds nothing and should say so.
    bool Held() const { return handle_ != nullptr; }
    void Release() { handle_.reset(); }

private:
    UniqueFile handle_;
};

}  // namespace kw::test
