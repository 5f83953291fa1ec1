#include "platform/stop_request.h"

#include "platform/tick.h"

namespace platform {

bool SleepUnlessStopped(unsigned milliseconds) {
    // Short slices, so a request that comes between two sleeps is seen within one of them.
    constexpr unsigned kSliceMs = 50;
    const std::uint32_t start = TickCount();
    for (std::uint32_t elapsed = 0; elapsed < milliseconds; elapsed = ElapsedSince(start)) {
        if (StopRequested()) return true;
        const std::uint32_t left = milliseconds - elapsed;
        SleepMs(left < kSliceMs ? left : kSliceMs);
    }
    return StopRequested();
}

}  // namespace platform
