#pragma once
// The user's extension and keyword lists, split the same way for matching and for the summary.

#include <string>
#include <string_view>
#include <vector>

namespace kw {

// Tokens at ',', ';', '|', space, tab and LF; each lower-cased (ASCII), leading dots removed,
// then one '.' prepended; empty tokens dropped, duplicates kept.
// "jpg, .PNG;;..pdf|tar.gz" -> .jpg .png .pdf .tar.gz
std::vector<std::string> ParseExtensionList(std::string_view text);

// Tokens at ',', ';', '|', tab and LF (a space is not a separator: "tax return" is one keyword),
// trimmed of spaces and tabs; empty tokens dropped; case kept.
std::vector<std::string> ParseKeywordList(std::string_view text);

}  // namespace kw
