#pragma once
// What the fuzz targets share: a broken promise stops the run as a crash would (the input is kept
// as a finding), and bytes read as the UTF-16 code units Windows would hand the program.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>

namespace kw::fuzz {

[[noreturn]] inline void Broken(const char* promise, const char* file, int line) {
    std::fprintf(stderr, "\n%s:%d: broken promise: %s\n", file, line, promise);
    std::abort();
}

// Little-endian 16-bit units, one per wchar_t (32 bits here): the wide strings of Windows.
inline std::wstring Utf16Units(std::span<const uint8_t> bytes) {
    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return text;
}

}  // namespace kw::fuzz

#define KW_FUZZ_CHECK(condition) \
    do {                         \
        if (!(condition)) ::kw::fuzz::Broken(#condition, __FILE__, __LINE__); \
    } while (0)
