#include "platform/socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <mswsock.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/poller.h"
#include "platform/socket_address.h"
#include "platform/windows/socket_error.h"
#include "platform/windows/winsock_start.h"

namespace platform {

namespace {

// Room for the one control message these sockets exchange: the arrival or leaving interface.
struct PacketInfoControl {
    alignas(WSACMSGHDR) std::array<char, WSA_CMSG_SPACE(sizeof(IN_PKTINFO))> bytes;
};

WSAMSG MakeMessage(sockaddr_in& peer, WSABUF& part, PacketInfoControl& control) {
    WSAMSG message{};
    message.name = reinterpret_cast<sockaddr*>(&peer);
    message.namelen = sizeof peer;
    message.lpBuffers = &part;
    message.dwBufferCount = 1;
    message.Control = WSABUF{static_cast<ULONG>(control.bytes.size()), control.bytes.data()};
    return message;
}

bool SetOption(SocketHandle socket, int level, int option, BOOL on) {
    return setsockopt(socket, level, option, reinterpret_cast<const char*>(&on), sizeof on) == 0;
}

bool OptionOn(SocketHandle socket, int option) {
    BOOL on = FALSE;
    int length = sizeof on;
    return getsockopt(socket, SOL_SOCKET, option, reinterpret_cast<char*>(&on), &length) == 0 && on;
}

SocketHandle OpenSocket(int type, int protocol) {
    if (!windows::StartWinsock()) return kInvalidSocket;
    // Not inherited: a child process started meanwhile must not keep the port open.
    const SOCKET socket = WSASocketW(AF_INET, type, protocol, nullptr, 0,
                                     WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
    return socket == INVALID_SOCKET ? kInvalidSocket : socket;
}

// A datagram socket without a peer reports a port-unreachable answer to an earlier send as
// WSAECONNRESET on its next receive. Linux tells only a connected socket, whose exchange then
// ends at once; a socket without a peer (a server's) has simply received nothing.
bool HasPeer(SocketHandle socket) {
    sockaddr_in peer{};
    int length = sizeof peer;
    return getpeername(socket, reinterpret_cast<sockaddr*>(&peer), &length) == 0;
}

IoResult ResultOf(int count) {
    IoResult result;
    if (count != SOCKET_ERROR) {
        result.status = IoStatus::Done;
        result.length = static_cast<std::size_t>(count);
        return result;
    }
    result.error = WSAGetLastError();
    result.status = result.error == WSAEWOULDBLOCK ? IoStatus::WouldBlock : IoStatus::Failed;
    return result;
}

LPFN_WSARECVMSG ReceiveMessageCall(SocketHandle socket) {
    static LPFN_WSARECVMSG call = [socket] {
        LPFN_WSARECVMSG found = nullptr;
        GUID id = WSAID_WSARECVMSG;
        DWORD length = 0;
        if (WSAIoctl(socket, SIO_GET_EXTENSION_FUNCTION_POINTER, &id, sizeof id, &found,
                     sizeof found, &length, nullptr, nullptr) != 0)
            found = nullptr;
        return found;
    }();
    return call;
}

}  // namespace

SocketHandle OpenUdpSocket() { return OpenSocket(SOCK_DGRAM, IPPROTO_UDP); }
SocketHandle OpenTcpSocket() { return OpenSocket(SOCK_STREAM, IPPROTO_TCP); }

void CloseSocket(SocketHandle socket) {
    if (socket != kInvalidSocket) closesocket(socket);
}

bool SetReuseAddress(SocketHandle socket) {
    return SetOption(socket, SOL_SOCKET, SO_REUSEADDR, TRUE);
}
bool SetBroadcast(SocketHandle socket) { return SetOption(socket, SOL_SOCKET, SO_BROADCAST, TRUE); }

bool SetNonBlocking(SocketHandle socket) {
    u_long on = 1;
    return ioctlsocket(socket, FIONBIO, &on) == 0;
}

bool SetReceiveArrivalInterface(SocketHandle socket) {
    return SetOption(socket, IPPROTO_IP, IP_PKTINFO, TRUE);
}

bool Bind(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
    // Winsock lets a later socket with SO_REUSEADDR take over a port that an earlier one holds
    // alone; exclusive use keeps Linux's rule that a socket without reuse shares with nobody.
    if (!OptionOn(socket, SO_REUSEADDR) &&
        !SetOption(socket, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, TRUE))
        return false;
    // Winsock refuses to bind the limited broadcast address; a socket bound to every address
    // hears the same broadcasts, and the arrival interface tells them apart as on Linux.
    const sockaddr_in local = MakeAddress(address == INADDR_BROADCAST ? INADDR_ANY : address, port);
    if (bind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0) return true;
    windows::SetErrnoFromWinsock();
    return false;
}

bool ConnectWithin(SocketHandle socket, std::uint32_t address, std::uint16_t port,
                   unsigned timeoutMs) {
    const sockaddr_in remote = MakeAddress(address, port);
    if (connect(socket, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0)
        return true;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
    // A failed connection shows as an error event, which the poller reports as writable too, so
    // the socket's own error decides.
    if (!WaitUntilReady(socket, kPollWritable, timeoutMs)) return false;
    int error = 0;
    int length = sizeof error;
    return getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) ==
               0 &&
           error == 0;
}

SocketHandle OpenListeningSocket(std::uint32_t address, std::uint16_t port) {
    const SocketHandle socket = OpenTcpSocket();
    if (socket == kInvalidSocket) return kInvalidSocket;
    // No SO_REUSEADDR: Winsock binds a port again at once after a restart without it, and with
    // it another program could bind the same port beside this server (Bind takes it alone).
    if (SetNonBlocking(socket) && Bind(socket, address, port) && listen(socket, SOMAXCONN) == 0)
        return socket;
    CloseSocket(socket);
    return kInvalidSocket;
}

SocketHandle AcceptConnection(SocketHandle listener, std::uint32_t& fromAddress,
                              std::uint16_t& fromPort) {
    sockaddr_in from{};
    int length = sizeof from;
    const SOCKET socket = accept(listener, reinterpret_cast<sockaddr*>(&from), &length);
    if (socket == INVALID_SOCKET) return kInvalidSocket;
    SetHandleInformation(reinterpret_cast<HANDLE>(socket), HANDLE_FLAG_INHERIT, 0);
    if (!SetNonBlocking(socket)) {
        closesocket(socket);
        return kInvalidSocket;
    }
    fromAddress = from.sin_addr.s_addr;
    fromPort = ntohs(from.sin_port);
    return socket;
}

IoResult Send(SocketHandle socket, std::span<const std::uint8_t> bytes) {
    return ResultOf(send(socket, reinterpret_cast<const char*>(bytes.data()),
                         static_cast<int>(bytes.size()), 0));
}

IoResult SendTo(SocketHandle socket, std::span<const std::uint8_t> bytes, std::uint32_t address,
                std::uint16_t port) {
    const sockaddr_in remote = MakeAddress(address, port);
    return ResultOf(sendto(socket, reinterpret_cast<const char*>(bytes.data()),
                           static_cast<int>(bytes.size()), 0,
                           reinterpret_cast<const sockaddr*>(&remote), sizeof remote));
}

IoResult SendToThroughInterface(SocketHandle socket, std::span<const std::uint8_t> bytes,
                                std::uint32_t address, std::uint16_t port,
                                unsigned interfaceIndex) {
    sockaddr_in remote = MakeAddress(address, port);
    WSABUF part{static_cast<ULONG>(bytes.size()),
                reinterpret_cast<char*>(const_cast<std::uint8_t*>(bytes.data()))};
    PacketInfoControl control{};
    WSAMSG message = MakeMessage(remote, part, control);
    WSACMSGHDR* header = WSA_CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = WSA_CMSG_LEN(sizeof(IN_PKTINFO));
    IN_PKTINFO info{};
    info.ipi_ifindex = interfaceIndex;
    std::memcpy(WSA_CMSG_DATA(header), &info, sizeof info);
    DWORD sent = 0;
    if (WSASendMsg(socket, &message, 0, &sent, nullptr, nullptr) != 0)
        return ResultOf(SOCKET_ERROR);
    return ResultOf(static_cast<int>(sent));
}

IoResult ReceiveDatagram(SocketHandle socket, std::span<std::uint8_t> buffer) {
    sockaddr_in from{};
    WSABUF part{static_cast<ULONG>(buffer.size()), reinterpret_cast<char*>(buffer.data())};
    PacketInfoControl control{};
    WSAMSG message = MakeMessage(from, part, control);
    const LPFN_WSARECVMSG receive = ReceiveMessageCall(socket);
    IoResult result;
    if (receive != nullptr) {
        DWORD got = 0;
        result =
            ResultOf(receive(socket, &message, &got, nullptr, nullptr) == 0 ? static_cast<int>(got)
                                                                            : SOCKET_ERROR);
    } else {
        int length = sizeof from;
        result = ResultOf(recvfrom(socket, part.buf, static_cast<int>(part.len), 0,
                                   reinterpret_cast<sockaddr*>(&from), &length));
        message.Control.len = 0;
    }
    if (result.status == IoStatus::Failed && result.error == WSAEMSGSIZE) {
        // Winsock fills the buffer with the datagram's first bytes and reports the rest as lost.
        result = IoResult{IoStatus::Done, buffer.size()};
        result.cut = true;
    } else if (result.status == IoStatus::Failed &&
               (result.error == WSAECONNRESET || result.error == WSAENETRESET) &&
               !HasPeer(socket)) {
        result = IoResult{IoStatus::WouldBlock};
        return result;
    }
    if (result.status != IoStatus::Done) return result;
    result.fromAddress = from.sin_addr.s_addr;
    result.fromPort = ntohs(from.sin_port);
    result.cut = result.cut || (message.dwFlags & MSG_TRUNC) != 0;
    if (message.Control.len == 0) return result;
    for (WSACMSGHDR* header = WSA_CMSG_FIRSTHDR(&message); header != nullptr;
         header = WSA_CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != IPPROTO_IP || header->cmsg_type != IP_PKTINFO) continue;
        IN_PKTINFO info{};
        std::memcpy(&info, WSA_CMSG_DATA(header), sizeof info);
        result.arrivalInterface = info.ipi_ifindex;
    }
    return result;
}

IoResult ReceiveStream(SocketHandle socket, std::span<std::uint8_t> buffer) {
    IoResult result = ResultOf(
        recv(socket, reinterpret_cast<char*>(buffer.data()), static_cast<int>(buffer.size()), 0));
    if (result.status == IoStatus::Done && result.length == 0 && !buffer.empty())
        result.status = IoStatus::Closed;
    return result;
}

}  // namespace platform
