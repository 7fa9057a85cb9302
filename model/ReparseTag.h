#pragma once
// Which reparse points are links. Symbolic links and junctions are name surrogates: they stand
// for another item, which is not theirs to move, copy or delete. Every other reparse point
// (cloud-file placeholders such as OneDrive's, which often hold the Desktop and Documents,
// deduplicated and compressed files, app execution aliases) is an ordinary file or folder to
// the user and is routed as one. Wine has none of those; the rule is Windows'
// (IsReparseTagNameSurrogate).

#include <cstdint>

namespace kw {

// `attributes` and `reparseTag` of one entry as FindFirstFile reports them (the tag is its
// dwReserved0, meaningful only with FILE_ATTRIBUTE_REPARSE_POINT).
bool IsLink(uint32_t attributes, uint32_t reparseTag);

}  // namespace kw
