#include "platform/socket.h"

#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/poller.h"
#include "platform/socket_address.h"

namespace platform {

namespace {

// Room for the one control message these sockets exchange: the arrival or leaving interface.
struct PacketInfoControl {
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(in_pktinfo))> bytes;
};

msghdr MakeMessage(sockaddr_in& peer, iovec& part, PacketInfoControl& control) {
    msghdr message{};
    message.msg_name = &peer;
    message.msg_namelen = sizeof peer;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control.bytes.data();
    message.msg_controllen = control.bytes.size();
    return message;
}

bool SetFlag(SocketHandle socket, int option) {
    const int on = 1;
    return setsockopt(socket, SOL_SOCKET, option, &on, sizeof on) == 0;
}

SocketHandle OpenSocket(int type, int protocol) {
    const int fd = socket(AF_INET, type | SOCK_CLOEXEC, protocol);
    return fd < 0 ? kInvalidSocket : fd;
}

// The result of one send or receive call, restarted after a signal.
template <typename Call>
IoResult Io(Call call) {
    ssize_t count;
    do {
        count = call();
    } while (count < 0 && errno == EINTR);
    IoResult result;
    if (count >= 0) {
        result.status = IoStatus::Done;
        result.length = static_cast<std::size_t>(count);
    } else {
        result.status =
            errno == EAGAIN || errno == EWOULDBLOCK ? IoStatus::WouldBlock : IoStatus::Failed;
        result.error = errno;
    }
    return result;
}

}  // namespace

SocketHandle OpenUdpSocket() { return OpenSocket(SOCK_DGRAM, IPPROTO_UDP); }
SocketHandle OpenTcpSocket() { return OpenSocket(SOCK_STREAM, IPPROTO_TCP); }

void CloseSocket(SocketHandle socket) {
    if (socket != kInvalidSocket) close(socket);
}

bool SetReuseAddress(SocketHandle socket) { return SetFlag(socket, SO_REUSEADDR); }
bool SetBroadcast(SocketHandle socket) { return SetFlag(socket, SO_BROADCAST); }

// One call, as Winsock's ioctlsocket(FIONBIO) is, where reading and setting the flags takes two.
bool SetNonBlocking(SocketHandle socket) {
    int on = 1;
    return ioctl(socket, FIONBIO, &on) == 0;
}

bool SetReceiveArrivalInterface(SocketHandle socket) {
    const int on = 1;
    return setsockopt(socket, IPPROTO_IP, IP_PKTINFO, &on, sizeof on) == 0;
}

bool Bind(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
    const sockaddr_in local = MakeAddress(address, port);
    return bind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

bool ConnectWithin(SocketHandle socket, std::uint32_t address, std::uint16_t port,
                   unsigned timeoutMs) {
    const sockaddr_in remote = MakeAddress(address, port);
    if (connect(socket, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0)
        return true;
    if (errno != EINPROGRESS && errno != EINTR) return false;
    // Writable also means failed on this system, so the socket's own error decides.
    if (!WaitUntilReady(socket, kPollWritable, timeoutMs)) return false;
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

SocketHandle OpenListeningSocket(std::uint32_t address, std::uint16_t port) {
    const SocketHandle socket = OpenTcpSocket();
    if (socket == kInvalidSocket) return kInvalidSocket;
    if (SetReuseAddress(socket) && SetNonBlocking(socket) && Bind(socket, address, port) &&
        listen(socket, SOMAXCONN) == 0)
        return socket;
    CloseSocket(socket);
    return kInvalidSocket;
}

SocketHandle AcceptConnection(SocketHandle listener, std::uint32_t& fromAddress,
                              std::uint16_t& fromPort) {
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const int fd = accept4(listener, reinterpret_cast<sockaddr*>(&from), &length,
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return kInvalidSocket;
    fromAddress = from.sin_addr.s_addr;
    fromPort = ntohs(from.sin_port);
    return fd;
}

IoResult Send(SocketHandle socket, std::span<const std::uint8_t> bytes) {
    return Io([&] { return send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL); });
}

IoResult SendTo(SocketHandle socket, std::span<const std::uint8_t> bytes, std::uint32_t address,
                std::uint16_t port) {
    const sockaddr_in remote = MakeAddress(address, port);
    return Io([&] {
        return sendto(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL,
                      reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
    });
}

IoResult SendToThroughInterface(SocketHandle socket, std::span<const std::uint8_t> bytes,
                                std::uint32_t address, std::uint16_t port,
                                unsigned interfaceIndex) {
    sockaddr_in remote = MakeAddress(address, port);
    iovec part{const_cast<std::uint8_t*>(bytes.data()), bytes.size()};
    PacketInfoControl control{};
    msghdr message = MakeMessage(remote, part, control);
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    info.ipi_ifindex = static_cast<int>(interfaceIndex);
    std::memcpy(CMSG_DATA(header), &info, sizeof info);
    return Io([&] { return sendmsg(socket, &message, MSG_NOSIGNAL); });
}

IoResult ReceiveDatagram(SocketHandle socket, std::span<std::uint8_t> buffer) {
    sockaddr_in from{};
    iovec part{buffer.data(), buffer.size()};
    PacketInfoControl control{};
    msghdr message = MakeMessage(from, part, control);
    IoResult result = Io([&] { return recvmsg(socket, &message, 0); });
    if (result.status != IoStatus::Done) return result;
    result.fromAddress = from.sin_addr.s_addr;
    result.fromPort = ntohs(from.sin_port);
    result.cut = (message.msg_flags & MSG_TRUNC) != 0;
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level != IPPROTO_IP || header->cmsg_type != IP_PKTINFO) continue;
        in_pktinfo info{};
        std::memcpy(&info, CMSG_DATA(header), sizeof info);
        result.arrivalInterface = static_cast<unsigned>(info.ipi_ifindex);
    }
    return result;
}

IoResult ReceiveStream(SocketHandle socket, std::span<std::uint8_t> buffer) {
    IoResult result = Io([&] { return recv(socket, buffer.data(), buffer.size(), 0); });
    if (result.status == IoStatus::Done && result.length == 0 && !buffer.empty())
        result.status = IoStatus::Closed;
    return result;
}

std::string SocketErrorText(int error) { return std::strerror(error); }

}  // namespace platform
