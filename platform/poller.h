#pragma once
// Waiting for sockets: any number of them at once, each for reading, writing or both. Every
// wait has a bound. Under a stepped test clock (platform/tick.h) a wait that ends without
// anything ready moves the clock on by its whole time-out, so deadlines count in whole waits.
#include <cstddef>
#include <span>

#include "platform/socket.h"

namespace platform {

enum PollEvents : unsigned { kPollReadable = 1, kPollWritable = 2 };

struct PollEntry {
    SocketHandle socket = kInvalidSocket;  // an invalid handle is never ready
    unsigned wanted = kPollReadable;
    // Set by Poll: the wanted events that came. A pending error or a hang-up counts as all of
    // them, so the next call on the socket reports it.
    unsigned ready = 0;
};

// One wait of up to timeoutMs for any entry to become ready. Returns the number of ready
// entries: 0 on time-out, when a signal cut the wait short (so a program can stop at once) or
// when the wait failed.
std::size_t Poll(std::span<PollEntry> entries, unsigned timeoutMs);

// Waits until `socket` is ready for `wanted` or timeoutMs have passed, whatever signals come.
// A window blocked here still repaints: the idle hook runs between waits of at most 100 ms.
bool WaitUntilReady(SocketHandle socket, unsigned wanted, unsigned timeoutMs);

}  // namespace platform
