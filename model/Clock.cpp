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

std::optional<LocalTime> LocalTimeOf(uint64_t utcTicks) {
    if (utcTicks == 0) return std::nullopt;
    const FILETIME utc{static_cast<DWORD>(utcTicks), static_cast<DWORD>(utcTicks >> 32)};
    SYSTEMTIME u{}, local{};
    // The time zone rules of that day, not today's (a summer photo read in winter).
    if (!FileTimeToSystemTime(&utc, &u) || !SystemTimeToTzSpecificLocalTime(nullptr, &u, &local)) return std::nullopt;
    return LocalTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
}

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
