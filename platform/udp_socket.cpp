#include "platform/udp_socket.h"

#include "platform/tick.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {
sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in result{};
    result.sin_family = AF_INET;
    result.sin_addr.s_addr = address;
    result.sin_port = htons(port);
    return result;
}

bool SetFlag(SocketHandle socket, int option) {
    const int on = 1;
    return setsockopt(socket, SOL_SOCKET, option, &on, sizeof on) == 0;
}
}  // namespace

SocketHandle OpenUdpSocket() {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    return fd < 0 ? kInvalidSocket : fd;
}

void CloseSocket(SocketHandle socket) {
    if (socket != kInvalidSocket) close(socket);
}

bool SetReuseAddress(SocketHandle socket) { return SetFlag(socket, SO_REUSEADDR); }
bool SetBroadcast(SocketHandle socket) { return SetFlag(socket, SO_BROADCAST); }

bool SetNonBlocking(SocketHandle socket) {
    const int flags = fcntl(socket, F_GETFL, 0);
    return flags >= 0 && fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool Bind(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
    const sockaddr_in local = MakeAddress(address, port);
    return bind(socket, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
}

bool Connect(SocketHandle socket, std::uint32_t address, std::uint16_t port) {
    // Linux takes 0.0.0.0 as this computer itself, so the socket would hear its own requests;
    // Winsock refuses it, and so do we.
    if (address == INADDR_ANY) return false;
    const sockaddr_in remote = MakeAddress(address, port);
    return connect(socket, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0;
}

long Send(SocketHandle socket, std::span<const std::uint8_t> bytes) {
    ssize_t sent;
    do {
        sent = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return static_cast<long>(sent);
}

long SendTo(SocketHandle socket, std::span<const std::uint8_t> bytes, std::uint32_t address,
            std::uint16_t port) {
    const sockaddr_in remote = MakeAddress(address, port);
    ssize_t sent;
    do {
        sent = sendto(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL,
                      reinterpret_cast<const sockaddr*>(&remote), sizeof remote);
    } while (sent < 0 && errno == EINTR);
    return static_cast<long>(sent);
}

ReceiveResult Receive(SocketHandle socket, std::span<std::uint8_t> buffer) {
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    ssize_t received;
    do {
        received = recvfrom(socket, buffer.data(), buffer.size(), 0,
                            reinterpret_cast<sockaddr*>(&from), &fromLength);
    } while (received < 0 && errno == EINTR);
    ReceiveResult result;
    if (received < 0) {
        result.status = (errno == EAGAIN || errno == EWOULDBLOCK) ? ReceiveStatus::WouldBlock
                                                                  : ReceiveStatus::Failed;
        return result;
    }
    result.status = ReceiveStatus::Received;
    result.length = static_cast<std::size_t>(received);
    result.fromAddress = from.sin_addr.s_addr;
    result.fromPort = ntohs(from.sin_port);
    return result;
}

std::uint32_t WaitReadable(std::span<const SocketHandle> sockets, unsigned timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    int highest = -1;
    for (std::size_t i = 0; i < sockets.size() && i < 32; ++i) {
        if (sockets[i] == kInvalidSocket || sockets[i] >= FD_SETSIZE) continue;
        FD_SET(sockets[i], &readable);
        if (sockets[i] > highest) highest = sockets[i];
    }
    if (highest < 0) return 0;
    // Under a test clock a wait that times out moves the clock on by its whole time-out.
    SteppedClock* const testClock = ActiveSteppedClock();
    const unsigned blockMs = testClock != nullptr && !testClock->blockInWaits ? 0 : timeoutMs;
    timeval timeout{static_cast<time_t>(blockMs / 1000),
                    static_cast<suseconds_t>((blockMs % 1000) * 1000)};
    if (select(highest + 1, &readable, nullptr, nullptr, &timeout) <= 0) {
        if (testClock != nullptr) testClock->now += timeoutMs;
        return 0;
    }
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < sockets.size() && i < 32; ++i)
        if (sockets[i] != kInvalidSocket && sockets[i] < FD_SETSIZE &&
            FD_ISSET(sockets[i], &readable))
            mask |= 1u << i;
    return mask;
}

}  // namespace platform
