#pragma once
// The rules a new user can start from: one per kind of file (documents, pictures, videos,
// music, archives, installers), each sending its files to the user's own folder for them, the
// way one tidies a Downloads folder. Offered on an empty rule list and added only on request.

#include <string>
#include <vector>

#include "model/Rule.h"

namespace kw {

// The user's known folders as full UTF-8 paths; empty where the system has none.
struct UserFolders {
    std::string profile;  // C:\Users\name
    std::string documents;
    std::string pictures;
    std::string videos;
    std::string music;
    std::string downloads;
};

// One rule per file kind, in the order the kinds are offered. Pictures go to the Pictures
// folder and so on; archives and installers to folders of those names in Downloads. A folder
// inside the profile is written from %USERPROFILE%, so the rules work for the same user on
// another PC. A kind whose folder is unknown gets a folder in the profile; with no profile
// either, no folder (the rule shows as incomplete). Ids are left empty for the caller.
std::vector<Rule> StarterRules(const UserFolders& folders);

}  // namespace kw
