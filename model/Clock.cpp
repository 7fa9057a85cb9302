#include "model/Clock.h"

#include <windows.h>

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

const Clock& SystemClock() {
    static const WindowsClock clock;
    return clock;
}

}  // namespace kw
