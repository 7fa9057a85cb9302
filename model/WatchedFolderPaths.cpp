#include "model/WatchedFolder.h"

// Where watched folders lie: paths compared as the file system compares them.

#include <cwctype>

#include "model/ExtendedPath.h"
#include "model/TextEncoding.h"

namespace kw {
namespace {

std::wstring Folded(const std::filesystem::path& path) {
    std::wstring text = PlainPath(path).native();
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    return text;
}

}  // namespace

bool LiesIn(const std::filesystem::path& folder, const std::filesystem::path& item, bool subfolders) {
    const std::wstring f = Folded(folder), i = Folded(item);
    if (f.empty() || i.size() <= f.size() || i.compare(0, f.size(), f) != 0) return i == f && !f.empty();
    const bool separated = f.back() == L'\\' || i[f.size()] == L'\\';
    if (!separated) return false;
    if (subfolders) return true;
    const size_t rest = f.back() == L'\\' ? f.size() : f.size() + 1;
    return i.find(L'\\', rest) == std::wstring::npos;
}

std::optional<std::string> WatchedFolderHolding(const std::vector<WatchedFolder>& folders,
                                                const std::string& destination) {
    if (destination.empty()) return std::nullopt;
    const std::filesystem::path target = PathFromUtf8(destination);
    for (const WatchedFolder& folder : folders) {
        if (!folder.enabled || folder.path.empty()) continue;
        const std::filesystem::path watched = PathFromUtf8(folder.path);
        if (Folded(watched) == Folded(target)) return folder.path;
        if (folder.includeSubfolders && LiesIn(watched, target)) return folder.path;
    }
    return std::nullopt;
}

}  // namespace kw
