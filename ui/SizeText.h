#pragma once
// Byte counts as people write them: "5.00 MB" for display, "5MB", "1.5 gb" or "512" typed in.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kw {

// "512 B", "1.50 KB", "5.00 MB"; units step by 1024 up to TB, which absorbs everything larger.
std::string FormatSize(uint64_t bytes);

// Whitespace anywhere is ignored and case does not matter; a decimal number followed by
// nothing, b, k/kb, m/mb, g/gb or t/tb (powers of 1024). The fraction of a byte is dropped.
// Texts that are not a size, negative sizes and sizes beyond 2^64 - 1 bytes give nothing.
std::optional<uint64_t> ParseSize(std::string_view text);

}  // namespace kw
