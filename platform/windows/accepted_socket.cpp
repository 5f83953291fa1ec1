#include "platform/accepted_socket.h"

#include <winsock2.h>

namespace platform {

namespace {

bool AddressOf(int(WSAAPI* query)(SOCKET, sockaddr*, int*), SocketHandle socket,
               std::uint32_t& address, std::uint16_t& port) {
    sockaddr_in end{};
    int length = sizeof end;
    if (query(socket, reinterpret_cast<sockaddr*>(&end), &length) != 0 || end.sin_family != AF_INET)
        return false;
    address = end.sin_addr.s_addr;
    port = ntohs(end.sin_port);
    return true;
}

}  // namespace

bool PeerAddressOf(SocketHandle socket, std::uint32_t& address, std::uint16_t& port) {
    return AddressOf(getpeername, socket, address, port);
}

bool LocalAddressOf(SocketHandle socket, std::uint32_t& address, std::uint16_t& port) {
    return AddressOf(getsockname, socket, address, port);
}

bool SetListenerAddressUse(SocketHandle listener) {
    // Without SO_REUSEADDR Winsock binds a port again at once after a restart; exclusive use
    // keeps a later socket with SO_REUSEADDR from taking the port over.
    const BOOL on = TRUE;
    return setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
                      sizeof on) == 0;
}

bool SetListenBacklog(SocketHandle listener, int backlog) {
    // As on Linux, listen() on a listening socket only changes its queue length.
    return listen(listener, backlog) == 0;
}

void EndSending(SocketHandle socket) { shutdown(socket, SD_SEND); }

void ShutdownAndClose(SocketHandle socket) {
    if (socket == kInvalidSocket) return;
    shutdown(socket, SD_BOTH);
    closesocket(socket);
}

}  // namespace platform
