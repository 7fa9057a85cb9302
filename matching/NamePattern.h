#pragma once
// A user's regular expression for file names, compiled once and searched many times, with its
// cost bounded: a search never takes more than a fixed number of steps or a fixed amount of
// memory, and runs on the heap (PCRE2, interpreted or JIT-compiled), never deep in the thread's
// stack. A search that reaches a bound gives up and says so; it is no match.
//
// The language is ECMAScript's as far as file names can tell: case-sensitive, found anywhere in
// the name unless anchored, on characters of the UTF-8 name ('.' takes one character,
// whatever its length in bytes), with \uhhhh escapes, [] and [^], and back references to
// groups that took no part matching empty. PCRE2's additions work too, among them the inline
// options (?i) (?s) (?x) and possessive and atomic groups. A pattern that does not compile
// matches nothing.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kw {

// Bounds of one search: steps of the matcher, and memory for its backtracking.
inline constexpr uint32_t kPatternStepLimit = 10'000'000;
inline constexpr uint32_t kPatternMemoryLimitKiB = 64 * 1024;

struct PatternSearch {
    bool matched = false;
    size_t matchBegin = 0, matchEnd = 0;  // byte offsets of the match in the name
    std::string gaveUp;  // why the search stopped short ("gave up after N steps"); empty otherwise
};

class NamePattern {
public:
    explicit NamePattern(std::string_view pattern);
    ~NamePattern();
    NamePattern(NamePattern&&) noexcept;
    NamePattern& operator=(NamePattern&&) noexcept;

    bool Valid() const { return code != nullptr; }
    // Why the pattern does not compile, with the position ("missing closing parenthesis (at character 4)").
    const std::string& Error() const { return error; }
    // Whether searches run as machine code (PCRE2's JIT) rather than interpreted.
    bool Jit() const;
    // May be called from several threads at once.
    PatternSearch Search(std::string_view name) const;

private:
    struct Code;
    std::unique_ptr<Code> code;
    std::string error;
};

}  // namespace kw
