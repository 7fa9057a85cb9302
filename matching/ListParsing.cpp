#include "matching/ListParsing.h"

#include "model/AsciiCase.h"

namespace kw {
namespace {

template <typename OnToken>
void Split(std::string_view text, std::string_view separators, OnToken onToken) {
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find_first_of(separators, start);
        const size_t stop = end == std::string_view::npos ? text.size() : end;
        if (stop > start) onToken(text.substr(start, stop - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
}

}  // namespace

std::vector<std::string> ParseExtensionList(std::string_view text) {
    std::vector<std::string> out;
    Split(text, ",;| \t\n", [&](std::string_view token) {
        const size_t first = token.find_first_not_of('.');
        if (first == std::string_view::npos) return;
        std::string entry(1, '.');
        entry += AsciiLower(token.substr(first));
        out.push_back(std::move(entry));
    });
    return out;
}

std::vector<std::string> ParseKeywordList(std::string_view text) {
    std::vector<std::string> out;
    Split(text, ",;|\t\n", [&](std::string_view token) {
        const size_t first = token.find_first_not_of(" \t");
        if (first == std::string_view::npos) return;
        const size_t last = token.find_last_not_of(" \t");
        out.emplace_back(token.substr(first, last - first + 1));
    });
    return out;
}

}  // namespace kw
