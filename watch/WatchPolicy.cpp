#include "watch/WatchPolicy.h"

#include <algorithm>
#include <array>
#include <cwctype>

#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"

namespace kw {
namespace {

constexpr uint32_t kHidden = 0x2, kSystem = 0x4;  // FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM

std::wstring Folded(const std::filesystem::path& path) {
    std::wstring text = PlainPath(path).native();
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return text;
}

bool EndsWithFolded(std::wstring_view name, std::wstring_view suffix) {
    if (name.size() < suffix.size()) return false;
    const std::wstring_view tail = name.substr(name.size() - suffix.size());
    return std::equal(tail.begin(), tail.end(), suffix.begin(),
                      [](wchar_t a, wchar_t b) { return std::towlower(static_cast<wint_t>(a)) == static_cast<wint_t>(b); });
}

}  // namespace

bool IsPartialOrTemporaryName(std::wstring_view name) {
    static constexpr std::array<std::wstring_view, 5> kSuffixes = {L".crdownload", L".part", L".partial", L".download",
                                                                  L".tmp"};
    if (name.substr(0, 2) == L"~$") return true;
    return std::any_of(kSuffixes.begin(), kSuffixes.end(), [&](std::wstring_view s) { return EndsWithFolded(name, s); });
}

bool IsNeverRouted(std::wstring_view name, uint32_t attributes) {
    return (attributes & (kHidden | kSystem)) != 0 || IsPartialOrTemporaryName(name);
}

SettleVerdict Observe(SettleState& state, const Sighting& now, int64_t nowMs, uint64_t nowTicks, int64_t settleMs,
                      int64_t recheckMs) {
    // A write time ahead of the clock (another machine's share, a clock set back) counts as now.
    const int64_t ageMs =
        nowTicks > now.writtenTicks ? static_cast<int64_t>((nowTicks - now.writtenTicks) / 10000) : 0;
    if (!state.seen || *state.seen != now) {
        state.seen = now;
        state.dueMs = nowMs + std::max(recheckMs, settleMs - ageMs);
        return SettleVerdict::wait;
    }
    if (ageMs < settleMs) {
        state.dueMs = std::max(state.dueMs, nowMs + (settleMs - ageMs));
        return SettleVerdict::wait;
    }
    return nowMs >= state.dueMs ? SettleVerdict::ready : SettleVerdict::wait;
}

constexpr uint64_t kFnvBasis = 14695981039346656037ull, kFnvPrime = 1099511628211ull;

uint64_t PathKey(const std::filesystem::path& path) {
    // FNV-1a over the folded UTF-16 units.
    uint64_t hash = kFnvBasis;
    for (wchar_t c : Folded(path)) {
        hash ^= static_cast<uint16_t>(c);
        hash *= kFnvPrime;
    }
    return hash;
}

FolderKeys::FolderKeys(const std::filesystem::path& folder) : prefix(kFnvBasis) {
    std::wstring text = Folded(folder);
    if (text.empty() || text.back() != L'\\') text += L'\\';  // a drive root keeps its own
    for (wchar_t c : text) {
        prefix ^= static_cast<uint16_t>(c);
        prefix *= kFnvPrime;
    }
}

uint64_t FolderKeys::Of(std::wstring_view name) const {
    uint64_t hash = prefix;
    for (wchar_t c : name) {
        hash ^= static_cast<uint16_t>(std::towupper(static_cast<wint_t>(c)));
        hash *= kFnvPrime;
    }
    return hash;
}

void LoopGuard::Note(const std::filesystem::path& item) {
    const uint64_t key = PathKey(item);
    order.push_back(key);
    ++counts[key];
    while (order.size() > capacity) {
        const auto it = counts.find(order.front());
        if (it != counts.end() && --it->second == 0) counts.erase(it);
        order.pop_front();
    }
}

bool LoopGuard::Holds(const std::filesystem::path& item) const { return counts.count(PathKey(item)) != 0; }

std::string WatchBatchLine(const std::string& folder, size_t items) {
    return "[watch] " + folder + ": " + std::to_string(items) + " item(s)";
}

std::string ExistingItemsOffer(const std::string& folder, size_t items) {
    std::string name = PathToUtf8(PlainPath(PathFromUtf8(folder)).filename());
    if (name.empty()) name = folder;
    return "Watching " + name + " would route " + GroupedCount(items) + (items == 1 ? " item that is already there" : " items that are already there");
}

std::string WatchingSummary(size_t watched, bool paused) {
    if (watched == 0) return {};
    if (paused) return "Paused";
    return "Watching " + std::to_string(watched) + (watched == 1 ? " folder" : " folders");
}

}  // namespace kw
