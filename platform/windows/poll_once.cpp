#include <winsock2.h>

#include <vector>

#include "platform/system_poll.h"

namespace platform::system_poll {

// WSAPoll, not select: select takes at most FD_SETSIZE (64) sockets and reports a failed
// connection only as an exception, which this interface has no word for.
int WaitOnce(std::span<PollEntry> entries, unsigned timeoutMs) {
    std::vector<WSAPOLLFD> watched;
    std::vector<std::size_t> owner;
    watched.reserve(entries.size());
    owner.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].ready = 0;
        if (entries[i].socket == kInvalidSocket) continue;
        const short events =
            static_cast<short>(((entries[i].wanted & kPollReadable) != 0 ? POLLRDNORM : 0) |
                               ((entries[i].wanted & kPollWritable) != 0 ? POLLWRNORM : 0));
        watched.push_back(WSAPOLLFD{entries[i].socket, events, 0});
        owner.push_back(i);
    }
    // WSAPoll refuses an empty set instead of waiting.
    if (watched.empty()) {
        Sleep(timeoutMs);
        return 0;
    }
    const INT timeout = timeoutMs > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<INT>(timeoutMs);
    const int ready = WSAPoll(watched.data(), static_cast<ULONG>(watched.size()), timeout);
    if (ready == SOCKET_ERROR) return kFailed;
    if (ready == 0) return 0;
    int count = 0;
    for (std::size_t n = 0; n < watched.size(); ++n) {
        PollEntry& entry = entries[owner[n]];
        const short came = watched[n].revents;
        if ((came & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            entry.ready = entry.wanted;
        else
            entry.ready = ((came & POLLRDNORM) != 0 ? kPollReadable & entry.wanted : 0u) |
                          ((came & POLLWRNORM) != 0 ? kPollWritable & entry.wanted : 0u);
        if (entry.ready != 0) ++count;
    }
    return count;
}

}  // namespace platform::system_poll
