#pragma once
// What the text of a user's pattern shows about its cost, without running it.

#include <string>

namespace kw {

// The first repeated group of a pattern that holds an open-ended repeat of its own, as written
// ("(a+)+", "(\w+\s?)*"): on a long name that almost matches, such a pattern tries every way of
// splitting it between the two repeats. Empty when there is none. A scan of the text, not a
// proof: atomic groups and possessive repeats, which never give back, are not counted.
std::string NestedRepeat(const std::string& pattern);

}  // namespace kw
