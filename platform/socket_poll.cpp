#include "platform/socket_poll.h"

#include <poll.h>

#include "platform/tick.h"

namespace platform {

std::size_t WaitReadableMany(std::span<const SocketHandle> sockets, unsigned timeoutMs,
                             std::vector<bool>& readable) {
    readable.assign(sockets.size(), false);
    std::vector<pollfd> watched(sockets.size());
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        // poll skips negative descriptors, which is what an invalid handle should mean here.
        watched[i].fd = sockets[i];
        watched[i].events = POLLIN;
    }
    // Under a test clock a wait that times out moves the clock on by its whole time-out, as
    // WaitReadable's does, so exchanges waiting here count their deadlines the same way.
    SteppedClock* const testClock = ActiveSteppedClock();
    const unsigned blockMs = testClock != nullptr && !testClock->blockInWaits ? 0 : timeoutMs;
    const int timeout = blockMs > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(blockMs);
    if (poll(watched.data(), watched.size(), timeout) <= 0) {
        if (testClock != nullptr) testClock->now += timeoutMs;
        return 0;
    }
    std::size_t count = 0;
    for (std::size_t i = 0; i < watched.size(); ++i) {
        if (watched[i].fd >= 0 && (watched[i].revents & (POLLIN | POLLERR)) != 0) {
            readable[i] = true;
            ++count;
        }
    }
    return count;
}

}  // namespace platform
