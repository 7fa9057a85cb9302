#include "model/Clock.h"

#include <windows.h>

#include <cstdio>

namespace kw {
namespace {

class WindowsClock final : public Clock {
public:
    uint64_t UtcTicks() const override {
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    }
    LocalTime Local() const override {
        SYSTEMTIME t{};
        GetLocalTime(&t);
        return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
    }
};

}  // namespace

std::string LocalClockText(uint64_t utcTicks) {
    const FILETIME utc{static_cast<DWORD>(utcTicks), static_cast<DWORD>(utcTicks >> 32)};
    SYSTEMTIME u{}, local{};
    if (!FileTimeToSystemTime(&utc, &u) || !SystemTimeToTzSpecificLocalTime(nullptr, &u, &local)) return "?";
    char text[8];
    snprintf(text, sizeof text, "%02u:%02u", local.wHour % 100u, local.wMinute % 100u);
    return text;
}

const Clock& SystemClock() {
    static const WindowsClock clock;
    return clock;
}

}  // namespace kw
