#pragma once
// What an HTTP server asks of the TCP sockets its library opens and accepts: a port of its own,
// the addresses of each end, a deeper queue of connections waiting to be accepted, and a close
// that tells the peer.
#include <cstdint>

#include "platform/socket.h"

namespace platform {

// The address (network byte order) and port of the peer, or of this end. False when unknown.
bool PeerAddressOf(SocketHandle socket, std::uint32_t& address, std::uint16_t& port);
bool LocalAddressOf(SocketHandle socket, std::uint32_t& address, std::uint16_t& port);

// Sets a listening socket that some library opens, before it binds, as OpenListeningSocket sets
// its own: a restarted server binds its port again at once, but never beside a server that still
// holds it (a library's own choice, such as SO_REUSEPORT, may share the port).
bool SetListenerAddressUse(SocketHandle listener);

// Lets up to `backlog` connections wait in the kernel for a listening socket that some library
// opened with a shorter queue: a burst of clients then waits instead of retrying a second later.
bool SetListenBacklog(SocketHandle listener, int backlog);

// Ends this end's sending: the peer reads to the end of what was sent.
void EndSending(SocketHandle socket);

// Ends both directions, then closes.
void ShutdownAndClose(SocketHandle socket);

}  // namespace platform
