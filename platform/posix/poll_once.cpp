#include <poll.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <vector>

#include "platform/system_poll.h"

namespace platform::system_poll {

namespace {

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

int WaitWith(std::span<PollEntry> entries, pollfd* watched, unsigned timeoutMs) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].ready = 0;
        // poll skips negative descriptors, which is what an invalid handle should mean here.
        watched[i] = pollfd{entries[i].socket, SystemEvents(entries[i].wanted), 0};
    }
    const int timeout = static_cast<int>(std::min<unsigned>(timeoutMs, 0x7FFFFFFFu));
    const int ready = poll(watched, entries.size(), timeout);
    if (ready < 0) return errno == EINTR ? kSignalled : kFailed;
    if (ready == 0) return 0;
    int count = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (watched[i].fd < 0) continue;
        entries[i].ready = ReadyEvents(watched[i].revents, entries[i].wanted);
        if (entries[i].ready != 0) ++count;
    }
    return count;
}

}  // namespace

int WaitOnce(std::span<PollEntry> entries, unsigned timeoutMs) {
    if (entries.size() <= kFixedEntries) {
        std::array<pollfd, kFixedEntries> watched{};
        return WaitWith(entries, watched.data(), timeoutMs);
    }
    std::vector<pollfd> watched(entries.size());
    return WaitWith(entries, watched.data(), timeoutMs);
}

}  // namespace platform::system_poll
