#pragma once
// What conditions read about one dropped item, each read at most once whatever the number of
// rules and conditions: its name (UTF-16 and UTF-8), and its size and times, which take one
// attribute query, made only when a size or date condition first asks.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace kw {

struct ItemData {
    bool folder = false;
    uint64_t size = 0;          // 0 for a folder
    uint64_t createdTicks = 0;  // UTC, 100 ns since 1601
    uint64_t writtenTicks = 0;
};

class ItemFacts {
public:
    explicit ItemFacts(const std::filesystem::path& path);
    // With the name given (it must be the path's last component).
    ItemFacts(const std::filesystem::path& path, std::wstring name, std::string nameUtf8);
    // An item known by its name alone, as someone trying rules types it: there is nothing to
    // read, and what would be read (size, times) is unknown rather than unreadable.
    static ItemFacts NameOnly(const std::filesystem::path& path);

    bool IsNameOnly() const { return nameOnly; }

    const std::filesystem::path& Path() const { return path; }
    const std::wstring& Name() const { return name; }
    const std::string& NameUtf8() const { return nameUtf8; }
    // Nothing when the item's attributes cannot be read (missing, no access). A link is judged
    // by what it points to.
    const std::optional<ItemData>& Data();
    int Queries() const { return queries; }

private:
    std::filesystem::path path;
    std::wstring name;
    std::string nameUtf8;
    std::optional<ItemData> data;
    int queries = 0;
    bool nameOnly = false;
};

}  // namespace kw
