#include "platform/poller.h"

#include <algorithm>
#include <cstdint>

#include "platform/idle_hook.h"
#include "platform/system_poll.h"
#include "platform/tick.h"

namespace platform {

namespace {

// A window blocked in WaitUntilReady still repaints: the idle hook runs between slices this long.
constexpr std::uint32_t kIdleSliceMs = 100;

// One system wait, with the stepped test clock's rule: a wait that ends with nothing ready
// moves it on by the whole time-out.
int PollAny(std::span<PollEntry> entries, unsigned timeoutMs) {
    SteppedClock* const testClock = ActiveSteppedClock();
    const unsigned blockMs = testClock != nullptr && !testClock->blockInWaits ? 0 : timeoutMs;
    const int ready = system_poll::WaitOnce(entries, blockMs);
    if (ready == system_poll::kSignalled) return ready;
    if (ready <= 0 && testClock != nullptr) testClock->now += timeoutMs;
    return ready;
}

}  // namespace

std::size_t Poll(std::span<PollEntry> entries, unsigned timeoutMs) {
    const int ready = PollAny(entries, timeoutMs);
    return ready > 0 ? static_cast<std::size_t>(ready) : 0;
}

bool WaitUntilReady(SocketHandle socket, unsigned wanted, unsigned timeoutMs) {
    if (socket == kInvalidSocket) return false;
    PollEntry entry{socket, wanted, 0};
    const std::uint32_t start = TickCount();
    for (;;) {
        const std::uint32_t spent = TickCount() - start;
        if (spent > timeoutMs) return false;
        const std::uint32_t slice = std::min<std::uint32_t>(timeoutMs - spent, kIdleSliceMs);
        const int ready = PollAny(std::span(&entry, 1), slice);
        if (ready > 0) return true;
        if (ready == system_poll::kFailed || (ready == 0 && spent + slice >= timeoutMs))
            return false;
        RunIdleHook();
    }
}

}  // namespace platform
