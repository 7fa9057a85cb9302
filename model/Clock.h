#pragma once
// The wall clock behind a seam, so that date rules and dated file names can be tested on any day.

#include <cstdint>
#include <optional>
#include <string>

namespace kw {

struct LocalTime {
    int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // UTC as 100-nanosecond ticks since 1601-01-01, the clock of file timestamps.
    virtual uint64_t UtcTicks() const = 0;
    virtual LocalTime Local() const = 0;
};

// The real clock; every function that reads the time takes a Clock defaulting to this one.
const Clock& SystemClock();

// A moment in UTC ticks as the user's local date and time; nothing for a moment Windows cannot
// convert (0, or beyond the year 30827).
std::optional<LocalTime> LocalTimeOf(uint64_t utcTicks);

// A moment in UTC ticks as the local "HH:MM" the user's clock showed then ("?" when unknown).
std::string LocalClockText(uint64_t utcTicks);

constexpr uint64_t kTicksPerSecond = 10'000'000;
constexpr uint64_t kTicksPerDay = 864'000'000'000;

}  // namespace kw
