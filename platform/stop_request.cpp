#include "platform/stop_request.h"

#include <signal.h>

#include "platform/tick.h"

namespace platform {

namespace {

volatile sig_atomic_t stopRequested = 0;

void RequestStop(int) { stopRequested = 1; }

}  // namespace

void CatchStopRequests() {
    // No SA_RESTART: a wait in progress returns at once, so the loop sees the request.
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() { return stopRequested != 0; }

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
