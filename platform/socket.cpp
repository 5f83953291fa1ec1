#include "platform/socket.h"

#include "platform/socket_address.h"

namespace platform {

bool Connect(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
    // Linux takes 0.0.0.0 as this computer itself, so the socket would hear its own requests;
    // Winsock refuses it, and so do we on both.
    if (address == INADDR_ANY) return false;
    const sockaddr_in remote = MakeAddress(address, port);
    return connect(socket, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0;
}

}  // namespace platform
