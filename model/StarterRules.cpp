#include "model/StarterRules.h"

#include <cstring>
#include <string_view>

#include "model/FileTypeGroups.h"

namespace kw {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

// "%USERPROFILE%\Documents" for a folder inside the profile (Windows ignores case in names).
std::string FromProfile(const std::string& folder, const std::string& profile) {
    if (profile.empty() || folder.size() <= profile.size() + 1) return folder;
    if (!SameIgnoringCase(std::string_view(folder).substr(0, profile.size()), profile)) return folder;
    if (folder[profile.size()] != '\\' && folder[profile.size()] != '/') return folder;
    return "%USERPROFILE%" + folder.substr(profile.size());
}

std::string Join(const std::string& folder, const char* name) {
    if (folder.empty()) return {};
    const bool separated = folder.back() == '\\' || folder.back() == '/';
    return folder + (separated ? "" : "\\") + name;
}

// The folder for a kind of file: its own known folder, a folder named after it in Downloads for
// archives and installers, else one in the profile.
std::string FolderFor(const char* kind, const UserFolders& f) {
    const auto known = [&](const std::string& folder) { return folder.empty() ? Join(f.profile, kind) : folder; };
    if (std::strcmp(kind, "Documents") == 0) return known(f.documents);
    if (std::strcmp(kind, "Pictures") == 0) return known(f.pictures);
    if (std::strcmp(kind, "Videos") == 0) return known(f.videos);
    if (std::strcmp(kind, "Music") == 0) return known(f.music);
    return Join(f.downloads.empty() ? Join(f.profile, "Downloads") : f.downloads, kind);
}

}  // namespace

std::vector<Rule> StarterRules(const UserFolders& folders) {
    std::vector<Rule> rules;
    for (const FileTypeGroup& group : FileTypeGroups()) {
        Rule rule;
        rule.name = group.name;
        RuleClause clause;
        clause.type = ConditionType::extension;
        clause.extensions = group.extensions;
        rule.clauses = {clause};
        rule.action = RuleAction::move;
        rule.destination = FromProfile(FolderFor(group.name, folders), folders.profile);
        rule.conflict = ConflictPolicy::rename;
        rules.push_back(std::move(rule));
    }
    return rules;
}

}  // namespace kw
