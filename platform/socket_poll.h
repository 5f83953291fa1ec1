#pragma once
// Waiting on many sockets at once, for the module simulator, which plays any number of modules,
// and the concurrent check, which runs many exchanges: both may hold more than WaitReadable's 32.
#include <cstdint>
#include <span>
#include <vector>

#include "platform/udp_socket.h"

namespace platform {

// Waits up to timeoutMs for any of the sockets to become readable (a pending error counts as
// readable). readable[i] is set for sockets[i]; invalid handles are never readable. Returns the
// number of readable sockets, 0 on time-out, on an interrupting signal or when the wait failed.
// Under a stepped test clock it behaves as WaitReadable does.
std::size_t WaitReadableMany(std::span<const SocketHandle> sockets, unsigned timeoutMs,
                             std::vector<bool>& readable);

}  // namespace platform
