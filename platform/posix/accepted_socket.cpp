#include "platform/accepted_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

bool AddressOf(int (*query)(int, sockaddr*, socklen_t*), SocketHandle socket,
               std::uint32_t& address, std::uint16_t& port) {
    sockaddr_in end{};
    socklen_t length = sizeof end;
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

bool SetListenerAddressUse(SocketHandle listener) { return SetReuseAddress(listener); }

bool SetListenBacklog(SocketHandle listener, int backlog) {
    // listen() on a socket that already listens only changes its queue length.
    return listen(listener, backlog) == 0;
}

void EndSending(SocketHandle socket) { shutdown(socket, SHUT_WR); }

void ShutdownAndClose(SocketHandle socket) {
    if (socket == kInvalidSocket) return;
    shutdown(socket, SHUT_RDWR);
    close(socket);
}

}  // namespace platform
