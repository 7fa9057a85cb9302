#include "render/NotedCharacters.h"

namespace kw {
namespace {

// Dear ImGui's default ranges stop at Latin-1, which would draw the window's own em dashes and
// most non-English file names in the log as "?". These are the blocks the embedded font covers
// that names and texts commonly use: Latin, Greek, Cyrillic, punctuation (dashes, quotes,
// ellipsis), currency and letter-like symbols (such as "No."), arrows. Everything else a text
// holds comes from the system's fonts, character by character (NotedCharacters).
constexpr ImWchar kEmbeddedRanges[] = {
    0x0020, 0x024F,  // Basic Latin, Latin-1 Supplement, Latin Extended-A and -B
    0x0370, 0x03FF,  // Greek
    0x0400, 0x052F,  // Cyrillic and its supplement
    0x1E00, 0x1EFF,  // Latin Extended Additional (Vietnamese and others)
    0x2000, 0x206F,  // General Punctuation
    0x20A0, 0x20CF,  // Currency Symbols
    0x2100, 0x214F,  // Letterlike Symbols
    0x2190, 0x21FF,  // Arrows
    0xFFFD, 0xFFFD,  // the replacement character shown for invalid text
    0,
};

// The next code point of `text` from `at`, advancing `at`; 0xFFFD for a malformed sequence
// (one byte consumed), as Dear ImGui itself decodes it.
char32_t NextCodePoint(std::string_view text, size_t& at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || at + length > text.size()) {
        ++at;
        return 0xFFFD;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            ++at;
            return 0xFFFD;
        }
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    at += length;
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
    return c;
}

}  // namespace

const ImWchar* EmbeddedFontRanges() { return kEmbeddedRanges; }

bool EmbeddedFontCovers(char32_t c) {
    for (const ImWchar* range = kEmbeddedRanges; range[0]; range += 2)
        if (c >= range[0] && c <= range[1]) return true;
    return false;
}

bool NotedCharacters::Note(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || EmbeddedFontCovers(c)) return false;
    if (!seen.insert(c).second) return false;
    order.push_back(c);
    return true;
}

bool NotedCharacters::Note(std::string_view utf8) {
    bool added = false;
    size_t at = 0;
    while (at < utf8.size()) {
        if (static_cast<unsigned char>(utf8[at]) < 0x80) {  // the usual case: plain ASCII
            ++at;
            continue;
        }
        added |= Note(NextCodePoint(utf8, at));
    }
    return added;
}

}  // namespace kw
