#include "platform/accepted_socket.h"

#include "platform/socket_address.h"

namespace platform {

bool PeerAddressOf(SocketHandle socket, std::uint32_t& address, std::uint16_t& port) {
    return AddressOfEnd(getpeername, socket, address, port);
}

bool LocalAddressOf(SocketHandle socket, std::uint32_t& address, std::uint16_t& port) {
    return AddressOfEnd(getsockname, socket, address, port);
}

bool SetListenBacklog(SocketHandle listener, int backlog) {
    // listen() on a socket that already listens only changes its queue length, on both systems.
    return listen(listener, backlog) == 0;
}

}  // namespace platform
