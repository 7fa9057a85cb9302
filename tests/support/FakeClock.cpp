#include "support/FakeClock.h"

namespace kw::test {

uint64_t FakeClock::UtcTicks() const {
    ++reads_;
    return ticks_;
}

LocalTime FakeClock::Local() const {
    ++reads_;
    return local_;
}

}  // namespace kw::test
