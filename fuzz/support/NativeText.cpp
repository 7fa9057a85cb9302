// The conversions of model/TextEncoding.h for a native Linux build, standing in for Windows'
// MultiByteToWideChar / WideCharToMultiByte with CP_UTF8 and no flags. wchar_t is 32 bits here,
// but a wide string holds UTF-16 code units (a character beyond U+FFFF as two surrogates), as it
// does on Windows, so the code under test sees the same units it sees there.
#include "model/TextEncoding.h"

#include <cstdint>

namespace kw {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

void PushUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint32_t unit = static_cast<uint32_t>(text[i]) & 0xFFFF;  // a UTF-16 unit, as on Windows
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
            const uint32_t low = static_cast<uint32_t>(text[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                PushUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        PushUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit);
    }
    return out;
}

std::wstring ToWide(std::string_view utf8) {
    std::wstring out;
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(utf8[k]); };
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = byte(i);
        size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        uint32_t c = 0;
        if (lead < 0x80) length = 1, c = lead;
        else if (lead >= 0xC2 && lead <= 0xDF) length = 2, c = lead & 0x1F;
        else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, c = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, c = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        }
        // The longest well-formed start of a sequence is replaced as one (as Windows does).
        size_t taken = 1;
        bool whole = length > 0;
        for (size_t k = 1; whole && k < length; ++k) {
            const unsigned char b = i + k < utf8.size() ? byte(i + k) : 0;
            const bool fits = k == 1 ? (b >= low && b <= high) : (b >= 0x80 && b <= 0xBF);
            if (!fits) {
                whole = false;
                break;
            }
            c = (c << 6) | (b & 0x3F);
            ++taken;
        }
        if (!whole) {
            out += kReplacement;
        } else if (c >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
        i += taken;
    }
    return out;
}

}  // namespace kw
