#pragma once
// Move journals name a file to delete. Anyone who can write into a Downloads or shared folder
// could plant one, so only journals this installation wrote are honoured: each carries an
// HMAC-SHA256 of its body under a random key kept beside the executable ("journal.key",
// created on first use). Without a key (a folder that cannot be written) nothing is sealed,
// no journal is written, and no journal is honoured.

#include <optional>
#include <string>
#include <string_view>

namespace kw {

// The seal of a journal body as lower-case hex, or nothing when no key can be had.
std::optional<std::wstring> SealJournal(std::wstring_view body);
bool SealHolds(std::wstring_view body, std::wstring_view seal);

}  // namespace kw
