#include "model/UserMonthNames.h"

#include <windows.h>

#include "model/TextEncoding.h"

namespace kw {

namespace {

// One month's name in the user's locale, formatted by a picture alone ("MMMM", "MMM"): with a
// picture, GetDateFormatEx takes no flags and no calendar (both must be 0 / NULL). "MMMM" alone
// gives the name as it stands by itself (nominative), which is what a folder name wants.
std::string MonthName(int month, const wchar_t* picture) {
    SYSTEMTIME day{};
    day.wYear = 2001;
    day.wMonth = static_cast<WORD>(month);
    day.wDay = 1;
    wchar_t text[80];
    const int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &day, picture, text, 80, nullptr);
    if (length <= 1) return {};
    return ToUtf8(std::wstring_view(text, static_cast<size_t>(length - 1)));  // without its NUL
}

MonthNames ReadMonthNames() {
    MonthNames names = EnglishMonthNames();
    for (int m = 1; m <= 12; ++m) {
        if (std::string full = MonthName(m, L"MMMM"); !full.empty()) names[static_cast<size_t>(m - 1)] = full;
        if (std::string brief = MonthName(m, L"MMM"); !brief.empty()) names[static_cast<size_t>(m + 11)] = brief;
    }
    return names;
}

}  // namespace

const MonthNames& UserMonthNames() {
    static const MonthNames names = ReadMonthNames();
    return names;
}

}  // namespace kw
