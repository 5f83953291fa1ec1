#pragma once
// What an HTTP server asks of the TCP connections its library accepts: the addresses of each
// end, a deeper queue of connections waiting to be accepted, and a close that tells the peer.
#include <cstdint>

#include "platform/socket.h"

namespace platform {

// The address (network byte order) and port of the peer, or of this end. False when unknown.
bool PeerAddressOf(SocketHandle socket, std::uint32_t& address, std::uint16_t& port);
bool LocalAddressOf(SocketHandle socket, std::uint32_t& address, std::uint16_t& port);

// Lets up to `backlog` connections wait in the kernel for a listening socket that some library
// opened with a shorter queue: a burst of clients then waits instead of retrying a second later.
bool SetListenBacklog(SocketHandle listener, int backlog);

// Ends this end's sending: the peer reads to the end of what was sent.
void EndSending(SocketHandle socket);

// Ends both directions, then closes.
void ShutdownAndClose(SocketHandle socket);

}  // namespace platform
