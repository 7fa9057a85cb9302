#pragma once
// Which build this is, in one place: the About tab and `--version` print the same words.

#include <string>

namespace kw {

// "3f9c2a1b7e (2026-12-08)": the commit the program was built from, and its day.
std::string ProgramVersion();

}  // namespace kw
