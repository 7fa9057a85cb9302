#include "shell/ProgramVersion.h"

#include "BuildVersion.h"

namespace kw {

std::string ProgramVersion() {
    std::string version = KW_BUILD_COMMIT;
    if (const std::string day = KW_BUILD_DATE; !day.empty()) version += " (" + day + ")";
    return version;
}

}  // namespace kw
