#pragma once
// Whether the patterns shown in the rule editor compile, asked once per text the user types
// (each edit), not once per frame.

#include <map>
#include <string>

namespace kw {

class PatternCheck {
public:
    // Empty when the pattern compiles; otherwise why not ("missing closing parenthesis at 3").
    const std::string& ErrorOf(const std::string& pattern);

private:
    std::map<std::string, std::string> known;  // pattern -> error
};

}  // namespace kw
