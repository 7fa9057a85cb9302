#pragma once
// Where a batch's time went, phase by phase: what the benchmarks under bench/ print beside their
// figures, so that a figure above its floor says which part of the work is above it. Measured on
// the worker with the steady clock (a read costs well under a microsecond, a few per item).

#include <chrono>
#include <cstdint>

namespace kw {

struct BatchPhases {
    using Clock = std::chrono::steady_clock;
    Clock::duration listing{};    // dropped folders turned into items
    Clock::duration selection{};  // rules matched against the items
    Clock::duration move{};       // each item's step, its selection not counted
    Clock::duration record{};     // each item written to the history
    Clock::duration progress{};   // each item's progress handed to the window
    int64_t items = 0;
};

// Adds the time since it was made (or last stopped) to a phase.
class PhaseClock {
public:
    PhaseClock() : start(BatchPhases::Clock::now()) {}
    void Stop(BatchPhases::Clock::duration& phase) {
        const BatchPhases::Clock::time_point now = BatchPhases::Clock::now();
        phase += now - start;
        start = now;
    }

private:
    BatchPhases::Clock::time_point start;
};

}  // namespace kw
