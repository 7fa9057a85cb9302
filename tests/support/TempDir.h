#pragma once
// A private scratch folder per test, removed with everything in it when the test ends.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kw::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& child) const { return path_ / child; }

private:
    std::filesystem::path path_;
};

// Creates (or replaces) a file with the given bytes, creating missing parent folders.
void WriteFile(const std::filesystem::path& path, std::string_view bytes);
std::string ReadFile(const std::filesystem::path& path);
void WriteFileOfSize(const std::filesystem::path& path, uint64_t size);
// Sets the last-write time as 100 ns ticks since 1601 (UTC).
void SetLastWriteTicks(const std::filesystem::path& path, uint64_t ticks);
// The names in a folder, sorted; and how many entries it holds (staging copies and journals
// count, which is what tests of "nothing left behind" look at).
std::vector<std::string> EntryNames(const std::filesystem::path& folder);
size_t EntryCount(const std::filesystem::path& folder);
// Deletes a tree with Win32 calls (works past 260 characters and on read-only entries).
void RemoveTree(const std::filesystem::path& path);

}  // namespace kw::test
