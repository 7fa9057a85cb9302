#pragma once
// A clock that stands still at a chosen moment and counts how often it was read.

#include <atomic>

#include "model/Clock.h"

namespace kw::test {

class FakeClock final : public Clock {
public:
    explicit FakeClock(uint64_t utcTicks = 0, LocalTime local = {}) : ticks_(utcTicks), local_(local) {}

    uint64_t UtcTicks() const override;
    LocalTime Local() const override;

    void Set(uint64_t ticks) { ticks_ = ticks; }
    int Reads() const { return reads_; }

private:
    uint64_t ticks_;
    LocalTime local_;
    mutable std::atomic<int> reads_{0};
};

// 2026-03-09 12:00:00 UTC as file-time ticks.
constexpr uint64_t kMarch9th2026Noon = 134175312000000000ull;

}  // namespace kw::test
