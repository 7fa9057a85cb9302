#include "ui/PatternCheck.h"

#include "matching/NamePattern.h"

namespace kw {

const std::string& PatternCheck::ErrorOf(const std::string& pattern) {
    if (const auto found = known.find(pattern); found != known.end()) return found->second;
    // Every text typed on the way to a pattern is kept only while it is recent.
    if (known.size() >= 64) known.clear();
    const NamePattern compiled(pattern);
    return known.emplace(pattern, compiled.Error()).first->second;
}

}  // namespace kw
