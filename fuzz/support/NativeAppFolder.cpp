// The one call of the settings reader into the program's folder (model/AppFolder.cpp asks
// Windows where the executable lies): a fixed folder stands in for it.
#include "model/AppSettings.h"

namespace kw {

void EnsureCatchAllPath(AppSettings& settings) {
    if (settings.catchAllPath.empty()) settings.catchAllPath = "C:\\Program Files\\Kestrane Fileweir\\Unsorted";
}

}  // namespace kw
