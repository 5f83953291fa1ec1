#include "platform/tick.h"

namespace platform {

namespace {
SteppedClock* steppedClock = nullptr;
}

SteppedClockScope::SteppedClockScope(SteppedClock& clock) { steppedClock = &clock; }
SteppedClockScope::~SteppedClockScope() { steppedClock = nullptr; }
SteppedClock* ActiveSteppedClock() { return steppedClock; }

std::uint32_t ElapsedSince(std::uint32_t start) {
    const auto diff = static_cast<std::int32_t>(TickCount() - start);
    return diff < 0 ? static_cast<std::uint32_t>(-static_cast<std::int64_t>(diff))
                    : static_cast<std::uint32_t>(diff);
}

}  // namespace platform
