#pragma once
// Move journals name a file to delete. Anyone who can write into a Downloads or shared folder
// could plant one, so only journals this installation wrote are honoured: each carries an
// HMAC-SHA256 of its body under a random key kept in the program's data folder ("journal.key",
// see JournalKey.h). Without a key (no folder that can be written) nothing is sealed, no
// journal is written, and no journal is honoured.

#include <optional>
#include <string>
#include <string_view>

#include "routing/JournalKey.h"

namespace kw {

// The key of this installation, read (or made, or replaced) once per process.
const JournalKeyFile& InstallationKey();

// The seal of a journal body as lower-case hex, or nothing when no key can be had.
std::optional<std::wstring> SealJournal(std::wstring_view body);
bool SealHolds(std::wstring_view body, std::wstring_view seal);
// The seal under another key (a key since replaced).
std::optional<std::wstring> SealJournalWith(const JournalKeyBytes& key, std::wstring_view body);

}  // namespace kw
