#pragma once
// The IPv4 socket address, which Winsock lays out as POSIX sockets do: built and read back in
// one place for the systems' socket files. Only files of platform/ include this.
#ifdef _WIN32
#include <winsock2.h>
#else
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include <cstdint>

#include "platform/socket.h"

namespace platform {

#ifdef _WIN32
using SocketAddressLength = int;
#else
using SocketAddressLength = socklen_t;
#endif

inline sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = address;
    result.sin_port = htons(port);
    return result;
}

// The address of one end of a socket as getsockname or getpeername tells it; false for an end
// that is not IPv4 or not known.
template <typename Query>
bool AddressOfEnd(Query query, SocketHandle socket, std::uint32_t& address, std::uint16_t& port) {
    sockaddr_in end{};
    SocketAddressLength length = sizeof end;
    if (query(socket, reinterpret_cast<sockaddr*>(&end), &length) != 0 || end.sin_family != AF_INET)
        return false;
    address = end.sin_addr.s_addr;
    port = ntohs(end.sin_port);
    return true;
}

}  // namespace platform
