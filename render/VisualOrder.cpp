#include "render/VisualOrder.h"

#include <fribidi.h>

#include <vector>

namespace kw {
namespace {

bool RightToLeft(char32_t c) {
    return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF) ||
           (c >= 0x10800 && c <= 0x10FFF) || (c >= 0x1E800 && c <= 0x1EFFF) || c == 0x200F || c == 0x202B ||
           c == 0x202E || c == 0x2067;
}

// Direction marks and joiners only steer the algorithm and the joining; once both are done
// they would only be drawn as boxes.
bool Invisible(char32_t c) {
    return c == 0x200C || c == 0x200D || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

std::u32string Decode(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        char32_t c = length <= 1 ? lead : lead & (0x7F >> length);
        bool valid = length > 0 && at + length <= utf8.size();
        for (int i = 1; valid && i < length; ++i) {
            const auto next = static_cast<unsigned char>(utf8[at + i]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid) {
            out.push_back(0xFFFD);
            ++at;
            continue;
        }
        out.push_back(c);
        at += length;
    }
    return out;
}

void Encode(char32_t c, std::string& out) {
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

// One line (no line breaks inside) in visual order, appended to `out`.
void AppendVisualLine(std::string_view line, std::string& out) {
    std::u32string text = Decode(line);
    const auto length = static_cast<FriBidiStrIndex>(text.size());
    if (length == 0) return;
    std::vector<FriBidiCharType> types(text.size());
    std::vector<FriBidiBracketType> brackets(text.size());
    std::vector<FriBidiLevel> levels(text.size());
    std::vector<FriBidiArabicProp> joining(text.size());
    auto* chars = reinterpret_cast<FriBidiChar*>(text.data());
    fribidi_get_bidi_types(chars, length, types.data());
    fribidi_get_bracket_types(chars, length, types.data(), brackets.data());
    FriBidiParType direction = FRIBIDI_PAR_LTR;
    const bool ordered = fribidi_get_par_embedding_levels_ex(types.data(), brackets.data(), length, &direction,
                                                             levels.data()) != 0;
    if (ordered) {
        fribidi_get_joining_types(chars, length, joining.data());
        fribidi_join_arabic(types.data(), length, levels.data(), joining.data());
        const FriBidiFlags flags = FRIBIDI_FLAGS_DEFAULT | FRIBIDI_FLAGS_ARABIC;
        fribidi_shape(flags, levels.data(), length, joining.data(), chars);
        if (fribidi_reorder_line(flags, types.data(), length, 0, direction, levels.data(), chars, nullptr) == 0)
            text = Decode(line);  // out of memory: the logical order, as before
    }
    for (char32_t c : text)
        if (!Invisible(c)) Encode(c, out);
}

}  // namespace

bool HasRightToLeft(std::string_view utf8) {
    for (size_t at = 0; at < utf8.size(); ++at) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        if (lead < 0xC0) continue;  // ASCII and continuation bytes
        const std::u32string one = Decode(utf8.substr(at, lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2));
        if (!one.empty() && RightToLeft(one.front())) return true;
    }
    return false;
}

std::string VisualOrder(std::string_view utf8) {
    if (!HasRightToLeft(utf8)) return std::string(utf8);
    std::string out;
    out.reserve(utf8.size() + 8);
    for (size_t start = 0;;) {
        const size_t end = utf8.find('\n', start);
        AppendVisualLine(utf8.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start), out);
        if (end == std::string_view::npos) break;
        out += '\n';
        start = end + 1;
    }
    return out;
}

const std::string& Drawn(const std::string& text, std::string& scratch) {
    if (!HasRightToLeft(text)) return text;
    scratch = VisualOrder(text);
    return scratch;
}

}  // namespace kw
