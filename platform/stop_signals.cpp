#include "platform/stop_signals.h"

#include <signal.h>

#include <atomic>

#include "platform/tick.h"

namespace platform {

namespace {

std::atomic<bool> stopRequested{false};

void OnStopSignal(int) { stopRequested.store(true); }

}  // namespace

void CatchStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() { return stopRequested.load(); }

bool SleepUnlessStopped(unsigned milliseconds) {
    // Short slices, so a stop is noticed within one of them however long the sleep.
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
