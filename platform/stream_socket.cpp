#include "platform/stream_socket.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/idle_hook.h"
#include "platform/tick.h"

namespace platform {

namespace {

// A window blocked in a wait still repaints: the idle hook runs between slices of this length.
constexpr std::uint32_t kIdleSliceMs = 100;

// poll on one socket in slices, restarted after a signal, until timeoutMs have passed.
bool WaitFor(SocketHandle socket, short events, unsigned timeoutMs) {
    if (socket == kInvalidSocket) return false;
    const std::uint32_t start = TickCount();
    for (;;) {
        const std::uint32_t spent = TickCount() - start;
        if (spent > timeoutMs) return false;
        pollfd entry{socket, events, 0};
        const std::uint32_t slice = std::min<std::uint32_t>(timeoutMs - spent, kIdleSliceMs);
        const int ready = poll(&entry, 1, static_cast<int>(slice));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
        if (ready == 0 && spent + slice >= timeoutMs) return false;
        RunIdleHook();
    }
}

}  // namespace

SocketHandle OpenTcpSocket() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    return fd < 0 ? kInvalidSocket : fd;
}

bool ConnectWithin(SocketHandle socket, std::uint32_t address, std::uint16_t port,
                   unsigned timeoutMs) {
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = address;
    remote.sin_port = htons(port);
    if (connect(socket, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0)
        return true;
    if (errno != EINPROGRESS && errno != EINTR) return false;
    // Writable also means failed on this system, so the socket's own error decides.
    if (!WaitFor(socket, POLLOUT, timeoutMs)) return false;
    int error = 0;
    socklen_t length = sizeof error;
    return getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

bool WaitWritable(SocketHandle socket, unsigned timeoutMs) {
    return WaitFor(socket, POLLOUT, timeoutMs);
}

bool WaitReadableWithin(SocketHandle socket, unsigned timeoutMs) {
    return WaitFor(socket, POLLIN, timeoutMs);
}

namespace {
IoResult FromCall(ssize_t count) {
    if (count >= 0) return {IoStatus::Done, static_cast<std::size_t>(count), 0};
    if (errno == EAGAIN || errno == EWOULDBLOCK) return {IoStatus::WouldBlock, 0, errno};
    return {IoStatus::Failed, 0, errno};
}
}  // namespace

IoResult SendBytes(SocketHandle socket, std::span<const std::uint8_t> bytes) {
    ssize_t sent;
    do {
        sent = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return FromCall(sent);
}

IoResult ReceiveStream(SocketHandle socket, std::span<std::uint8_t> buffer) {
    ssize_t received;
    do {
        received = recv(socket, buffer.data(), buffer.size(), 0);
    } while (received < 0 && errno == EINTR);
    IoResult result = FromCall(received);
    if (result.status == IoStatus::Done && received == 0 && !buffer.empty())
        result.status = IoStatus::Closed;
    return result;
}

IoResult ReceiveWholeDatagram(SocketHandle socket, std::span<std::uint8_t> buffer) {
    ssize_t received;
    do {
        // MSG_TRUNC makes recv report the datagram's real length, so a cut one is seen.
        received = recv(socket, buffer.data(), buffer.size(), MSG_TRUNC);
    } while (received < 0 && errno == EINTR);
    IoResult result = FromCall(received);
    if (result.status == IoStatus::Done &&
        (result.length == 0 || result.length > buffer.size()))
        return {IoStatus::Failed, 0, EMSGSIZE};
    return result;
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

}  // namespace platform
