#include "ui/SizeText.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kw {

std::string FormatSize(uint64_t bytes) {
    static constexpr const char* kUnits[] = {"B", "KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1024.0 && unit < 4) {
        value /= 1024.0;
        ++unit;
    }
    char buffer[64];
    if (unit == 0)
        std::snprintf(buffer, sizeof buffer, "%llu %s", static_cast<unsigned long long>(bytes), kUnits[0]);
    else
        std::snprintf(buffer, sizeof buffer, "%.2f %s", value, kUnits[unit]);
    return buffer;
}

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the decimal number at the start of `text` (sign, digits, fraction, exponent), or 0.
// Written out by hand because strtod would also take hex numbers, "inf" and "nan".
size_t DecimalNumberLength(const std::string& text) {
    size_t i = 0;
    if (i < text.size() && text[i] == '+') ++i;
    size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return 0;
    // An exponent counts only when digits follow it; otherwise the 'e' belongs to the unit.
    if (i < text.size() && text[i] == 'e') {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) ++j;
            i = j;
        }
    }
    return i;
}

}  // namespace

std::optional<uint64_t> ParseSize(std::string_view text) {
    std::string compact;
    for (char c : text) {
        if (IsSpace(c)) continue;
        compact += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (compact.empty()) return std::nullopt;
    const size_t length = DecimalNumberLength(compact);
    if (length == 0) return std::nullopt;
    const std::string number = compact.substr(0, length);
    errno = 0;
    const double value = std::strtod(number.c_str(), nullptr);
    if (errno == ERANGE && std::isinf(value)) return std::nullopt;

    const std::string unit = compact.substr(length);
    double multiplier = 0;
    if (unit.empty() || unit == "b") multiplier = 1.0;
    else if (unit == "k" || unit == "kb") multiplier = 1024.0;
    else if (unit == "m" || unit == "mb") multiplier = 1048576.0;
    else if (unit == "g" || unit == "gb") multiplier = 1073741824.0;
    else if (unit == "t" || unit == "tb") multiplier = 1099511627776.0;
    else return std::nullopt;

    const double bytes = value * multiplier;
    // 2^64 itself does not fit; converting it (or anything larger) would be undefined.
    if (!std::isfinite(bytes) || bytes >= 18446744073709551616.0) return std::nullopt;
    return static_cast<uint64_t>(bytes);
}

}  // namespace kw
