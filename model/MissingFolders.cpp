#include "model/MissingFolders.h"

#include <algorithm>

#include "model/PathKind.h"
#include "model/PortablePath.h"
#include "model/TextEncoding.h"

namespace kw {

std::vector<std::string> RoutingFolders(const AppSettings& settings) {
    std::vector<std::string> folders;
    for (const Rule& rule : settings.rules)
        if (rule.enabled && rule.action == RuleAction::move && !rule.destination.empty())
            folders.push_back(rule.destination);
    if (settings.noMatchPolicy == NoMatchPolicy::unsorted && !settings.catchAllPath.empty())
        folders.push_back(settings.catchAllPath);
    return folders;
}

std::vector<std::string> MissingRoutingFolders(const AppSettings& settings) {
    std::vector<std::string> missing;
    const PathContext context = SystemPathContext();
    for (const std::string& path : RoutingFolders(settings)) {
        const bool isFolder = KindOf(PathFromUtf8(ResolvedFolder(path, context))) == PathKind::folder;
        if (!isFolder && std::find(missing.begin(), missing.end(), path) == missing.end()) missing.push_back(path);
    }
    return missing;
}

std::string FolderWarningText(const std::vector<std::string>& missing) {
    if (missing.empty()) return {};
    std::string text = missing.size() == 1 ? "This folder will be created at the first move:"
                                           : "These folders will be created at the first move:";
    for (const std::string& path : missing) text += "\n- " + path;
    return text;
}

}  // namespace kw
