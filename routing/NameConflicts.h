#pragma once
// Free names for items that meet an existing name at their destination (auto-rename).

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "model/AppSettings.h"
#include "model/Clock.h"

namespace kw {

constexpr int kMaxRenameCandidates = 9999;

// Whether something stands at the path (a link counts, even a dangling one: its name is taken).
// Names are taken literally ("CON", "name."). The Windows "not found" family
// (2, 3, 53, 64, 123, 267) means free; any other error is returned in `error`.
bool TargetExists(const std::filesystem::path& path, std::error_code& error);

// "A".."Z", "AA".. : bijective base 26; n <= 0 gives "A".
std::wstring LetterSequence(int n);

// The file name of one rename attempt, in the style of `options.mode` (unknown modes number).
std::wstring CandidateName(std::wstring_view stem, std::wstring_view ext, int index, const AutoRenameOptions& options,
                           const Clock& clock = SystemClock());

// `target` when it is free, else the first free candidate sibling; when all 9999 are taken,
// stem + " (copy)" + ext, untested. A name counts as taken when something stands there or
// `alsoTaken` says so (a name an earlier item of the batch took, which a plan has not moved).
// Throws std::filesystem::filesystem_error when an existence test fails for a reason other
// than "not found".
std::filesystem::path UniqueTargetPath(const std::filesystem::path& target, const AutoRenameOptions& options,
                                       const Clock& clock = SystemClock(),
                                       const std::function<bool(const std::filesystem::path&)>& alsoTaken = {});

}  // namespace kw
