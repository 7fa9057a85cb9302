#include "matching/PatternShape.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace kw {
namespace {

// A repeat written after an atom: its length in the pattern and how many times it may repeat.
struct Repeat {
    size_t length = 0;  // 0: no repeat follows
    bool varies = false;      // open-ended, or a range of at least 2 ({1,3}); not '?'
    bool manyTimes = false;   // may repeat more than once, by a varying count
    bool possessive = false;  // never gives back ("a++", "a{2,}+")
};

Repeat ReadRepeat(const std::string& p, size_t i) {
    Repeat r;
    if (i >= p.size()) return r;
    if (p[i] == '*' || p[i] == '+') {
        r = Repeat{1, true, true, false};
    } else if (p[i] == '?') {
        r = Repeat{1, false, false, false};
    } else if (p[i] == '{') {
        size_t j = i + 1;
        const auto number = [&](std::optional<unsigned long>& value) {
            const size_t start = j;
            while (j < p.size() && p[j] >= '0' && p[j] <= '9') ++j;
            if (j > start) value = std::stoul(p.substr(start, std::min<size_t>(j - start, 9)));
        };
        std::optional<unsigned long> low, high;
        number(low);
        bool comma = false;
        if (j < p.size() && p[j] == ',') {
            comma = true;
            ++j;
            number(high);
        }
        if (j >= p.size() || p[j] != '}' || (!low && !high)) return r;  // a literal '{'
        const unsigned long from = low.value_or(0);
        const bool open = comma && !high;
        const unsigned long to = comma ? high.value_or(0) : from;
        r.length = j + 1 - i;
        r.varies = open || to >= from + 2;
        r.manyTimes = open || (to >= 2 && to > from);
    } else {
        return r;
    }
    if (i + r.length < p.size() && p[i + r.length] == '+') {
        r.possessive = true;
        ++r.length;
    } else if (i + r.length < p.size() && p[i + r.length] == '?') {
        ++r.length;  // lazy: tries the same splits, in another order
    }
    return r;
}

// Past the end of a character class starting at `i` ('['). Empty classes are allowed, so a
// ']' right after "[" or "[^" closes the class.
size_t SkipClass(const std::string& p, size_t i) {
    size_t j = i + 1;
    if (j < p.size() && p[j] == '^') ++j;
    while (j < p.size() && p[j] != ']') {
        if (p[j] == '\\') {
            j += 2;
        } else if (p[j] == '[' && j + 1 < p.size() && p[j + 1] == ':') {
            const size_t close = p.find(":]", j + 2);
            j = close == std::string::npos ? p.size() : close + 2;
        } else {
            ++j;
        }
    }
    return std::min(j + 1, p.size());
}

// Past an escape starting at `i` ('\'), with \Q...\E, \x{...}, \p{...} and the like.
size_t SkipEscape(const std::string& p, size_t i) {
    if (i + 1 >= p.size()) return p.size();
    if (p[i + 1] == 'Q') {
        const size_t end = p.find("\\E", i + 2);
        return end == std::string::npos ? p.size() : end + 2;
    }
    size_t j = i + 2;
    if (j < p.size() && p[j] == '{' && std::string_view("xopPgk").find(p[i + 1]) != std::string_view::npos) {
        const size_t close = p.find('}', j);
        j = close == std::string::npos ? p.size() : close + 1;
    }
    return j;
}

}  // namespace

std::string NestedRepeat(const std::string& p) {
    struct Group {
        size_t start = 0;
        bool opaque = false;       // atomic or a look-around: never tries another split
        bool innerRepeat = false;  // holds an atom repeated a varying number of times
    };
    std::vector<Group> open;
    const auto markInner = [&] {
        if (!open.empty()) open.back().innerRepeat = true;
    };
    size_t i = 0;
    while (i < p.size()) {
        const char c = p[i];
        size_t next = i + 1;
        if (c == '(') {
            Group group{i};
            if (i + 1 < p.size() && p[i + 1] == '*') {  // a verb such as (*UTF): no group
                const size_t close = p.find(')', i);
                i = close == std::string::npos ? p.size() : close + 1;
                continue;
            }
            if (i + 1 < p.size() && p[i + 1] == '?') {
                const char kind = i + 2 < p.size() ? p[i + 2] : ')';
                if (kind == '#') {  // a comment
                    const size_t close = p.find(')', i);
                    i = close == std::string::npos ? p.size() : close + 1;
                    continue;
                }
                group.opaque = kind == '>' || kind == '=' || kind == '!' ||
                               (kind == '<' && i + 3 < p.size() && (p[i + 3] == '=' || p[i + 3] == '!'));
                // Past the group's opening: a name, options, or one kind character.
                next = i + 3;
                if (kind == '<' || kind == '\'' || (kind == 'P' && i + 3 < p.size() && p[i + 3] == '<')) {
                    const size_t close = p.find_first_of(">'", i + 3);
                    if (!group.opaque) next = close == std::string::npos ? p.size() : close + 1;
                    else next = i + 4;
                } else if (kind != ':' && kind != '>' && kind != '=' && kind != '!' && kind != '|') {
                    size_t j = i + 2;
                    while (j < p.size() && p[j] != ':' && p[j] != ')') ++j;
                    if (j < p.size() && p[j] == ')') {  // options for the rest, such as (?i): no group
                        i = j + 1;
                        continue;
                    }
                    next = std::min(j + 1, p.size());
                }
            }
            open.push_back(group);
            i = next;
            continue;
        }
        if (c == ')') {
            if (open.empty()) {
                ++i;
                continue;
            }
            const Group group = open.back();
            open.pop_back();
            const Repeat repeat = ReadRepeat(p, i + 1);
            const bool holdsRepeat = group.innerRepeat && !group.opaque;
            if (holdsRepeat && repeat.manyTimes && !repeat.possessive)
                return p.substr(group.start, i + 1 + repeat.length - group.start);
            if (holdsRepeat || (repeat.varies && !repeat.possessive && !group.opaque)) markInner();
            i += 1 + repeat.length;
            continue;
        }
        if (c == '|') {
            ++i;
            continue;
        }
        if (c == '\\') next = SkipEscape(p, i);
        else if (c == '[') next = SkipClass(p, i);
        const Repeat repeat = ReadRepeat(p, next);
        if (repeat.varies && !repeat.possessive) markInner();
        i = next + repeat.length;
    }
    return {};
}

}  // namespace kw
