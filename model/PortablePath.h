#pragma once
// Paths that travel with the program. The program runs from a folder that may be copied, moved
// or carried on a stick that comes back under another drive letter, and one rule set may serve
// several PCs:
// - a path inside the program's own folder (the default Unsorted folder) is stored relative to
//   it and made whole again when read, so it follows the folder;
// - environment variables in a destination (%USERPROFILE%\Documents, %OneDrive%) are kept as
//   typed and expanded only where the folder is used: routing, previews, the tester, the
//   missing-folder check and the rule check.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/AppSettings.h"

namespace kw {

// The value of an environment variable, or nothing when it is not set.
using VariableLookup = std::function<std::optional<std::wstring>(const std::wstring& name)>;

struct PathContext {
    std::filesystem::path programFolder;
    VariableLookup variable;
};

// The running program's folder and this process's environment.
PathContext SystemPathContext();

// Every %NAME% replaced by its value; a name that is not set, and a lone %, stay as typed (as
// the system's own expansion does). Names are looked up as typed (the system ignores their case).
std::wstring ExpandVariables(std::wstring_view text, const VariableLookup& variable);

// The folder a destination as typed stands for: variables expanded, and a relative path taken
// from the program's folder (never from the current directory, which is wherever the program was
// started from). Empty stays empty.
std::string ResolvedFolder(const std::string& typed, const PathContext& context);

// The form a path is stored in: relative to the program's folder ("Unsorted") when it lies
// inside the program's folder, else as given. The folder itself and paths with variables stay as
// given.
std::string PortableForm(const std::string& path, const std::filesystem::path& programFolder);
// The form a stored path is used in: a relative path made whole from the program's folder; other
// paths, and those starting with a variable, as stored.
std::string InstalledForm(const std::string& stored, const std::filesystem::path& programFolder);

// The routing folders of the settings (rule destinations, the Unsorted folder) put in the form
// given by `form`, for the stored document and back.
void MapStoredPaths(AppSettings& settings, const std::function<std::string(const std::string&)>& form);

// The settings a batch routes with: every routing folder resolved.
AppSettings WithResolvedFolders(AppSettings settings, const PathContext& context);

}  // namespace kw
