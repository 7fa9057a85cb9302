#include "routing/LogLinePaths.h"

namespace kw {
namespace {

constexpr std::string_view kDash = " \xE2\x80\x94 ";
constexpr std::string_view kArrow = " -> ";  // '>' cannot occur in a Windows name
constexpr std::string_view kRecovered = " \xE2\x80\x94 recovered after an unexpected exit";

bool LooksLikePath(std::string_view text) {
    return text.size() >= 3 && ((text[1] == ':' && (text[2] == '\\' || text[2] == '/')) || text.substr(0, 2) == "\\\\");
}

// Where the message in parentheses that closes the line opens, counting nested ones (a message
// may hold some: "(Skipped (already in destination folder).)"), or npos.
size_t ClosingMessageStart(std::string_view text) {
    if (text.empty() || text.back() != ')') return std::string_view::npos;
    int depth = 0;
    for (size_t i = text.size(); i-- > 0;) {
        if (text[i] == ')') ++depth;
        else if (text[i] == '(' && --depth == 0) return i;
    }
    return std::string_view::npos;
}

}  // namespace

LogLinePaths PathsInLogLine(std::string_view line) {
    const size_t bar = line.find(" | ");
    if (bar == std::string_view::npos) return {};
    std::string_view rest = line.substr(bar + 3);
    if (rest.substr(0, 7) == "[undo] ") rest.remove_prefix(7);
    const size_t tagEnd = rest.find("] ");
    if (rest.empty() || rest[0] != '[' || tagEnd == std::string_view::npos || tagEnd > 6) return {};
    rest.remove_prefix(tagEnd + 2);
    if (rest.size() >= kRecovered.size() && rest.substr(rest.size() - kRecovered.size()) == kRecovered)
        rest.remove_suffix(kRecovered.size());

    LogLinePaths paths;
    if (const size_t arrow = rest.find(kArrow); arrow != std::string_view::npos) {
        paths.source = rest.substr(0, arrow);
        std::string_view target = rest.substr(arrow + kArrow.size());
        const size_t message = ClosingMessageStart(target);
        if (message != std::string_view::npos && message > 0) target = target.substr(0, message - 1);
        if (LooksLikePath(target)) paths.target = target;
    } else if (const size_t dash = rest.rfind(kDash); dash != std::string_view::npos) {
        paths.source = rest.substr(0, dash);
    }
    if (!LooksLikePath(paths.source)) return {};
    return paths;
}

}  // namespace kw
