#include "platform/poller.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <vector>

#include "platform/idle_hook.h"
#include "platform/tick.h"

namespace platform {

namespace {

// A window blocked in WaitUntilReady still repaints: the idle hook runs between slices this long.
constexpr std::uint32_t kIdleSliceMs = 100;
// Waits on this many sockets or fewer (every exchange with one module) need no allocation.
constexpr std::size_t kFixedEntries = 8;

short SystemEvents(unsigned wanted) {
    return static_cast<short>(((wanted & kPollReadable) != 0 ? POLLIN : 0) |
                              ((wanted & kPollWritable) != 0 ? POLLOUT : 0));
}

unsigned ReadyEvents(short revents, unsigned wanted) {
    if ((revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return wanted;
    return ((revents & POLLIN) != 0 ? kPollReadable & wanted : 0u) |
           ((revents & POLLOUT) != 0 ? kPollWritable & wanted : 0u);
}

constexpr int kSignalled = -1;
constexpr int kFailed = -2;

// The ready count, 0 on time-out, kSignalled or kFailed.
int PollOnce(std::span<PollEntry> entries, pollfd* watched, unsigned timeoutMs) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].ready = 0;
        // poll skips negative descriptors, which is what an invalid handle should mean here.
        watched[i] = pollfd{entries[i].socket, SystemEvents(entries[i].wanted), 0};
    }
    SteppedClock* const testClock = ActiveSteppedClock();
    const unsigned blockMs = testClock != nullptr && !testClock->blockInWaits ? 0 : timeoutMs;
    const int timeout = static_cast<int>(std::min<unsigned>(blockMs, 0x7FFFFFFFu));
    const int ready = poll(watched, entries.size(), timeout);
    if (ready < 0 && errno == EINTR) return kSignalled;
    if (ready <= 0) {
        if (testClock != nullptr) testClock->now += timeoutMs;
        return ready < 0 ? kFailed : 0;
    }
    int count = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (watched[i].fd < 0) continue;
        entries[i].ready = ReadyEvents(watched[i].revents, entries[i].wanted);
        if (entries[i].ready != 0) ++count;
    }
    return count;
}

int PollAny(std::span<PollEntry> entries, unsigned timeoutMs) {
    if (entries.size() <= kFixedEntries) {
        std::array<pollfd, kFixedEntries> watched{};
        return PollOnce(entries, watched.data(), timeoutMs);
    }
    std::vector<pollfd> watched(entries.size());
    return PollOnce(entries, watched.data(), timeoutMs);
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
        if (ready == kFailed || (ready == 0 && spent + slice >= timeoutMs)) return false;
        RunIdleHook();
    }
}

}  // namespace platform
