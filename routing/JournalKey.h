#pragma once
// The installation's journal key: 32 random bytes in "journal.key" in the program's data folder
// (see DataFolder.h), made on first use. A key file that cannot be a key (another size) or cannot
// be read is set aside under a dated name, never deleted, and a new key is made: moves go on
// being journalled, and journals sealed with the old key are then simply not honoured.

#include <array>
#include <filesystem>
#include <optional>

namespace kw {

using JournalKeyBytes = std::array<unsigned char, 32>;

enum class KeyFileState {
    sound,        // the key there was read
    created,      // there was none; one was made
    replaced,     // a damaged key was set aside and a new one made
    unavailable,  // no key could be read or made: nothing is journalled
};

struct JournalKeyFile {
    std::optional<JournalKeyBytes> key;
    KeyFileState state = KeyFileState::unavailable;
    std::filesystem::path setAside;  // replaced: where the damaged key now lies
};

// Reads, makes or replaces `folder`/journal.key as above.
JournalKeyFile LoadJournalKey(const std::filesystem::path& folder);

}  // namespace kw
