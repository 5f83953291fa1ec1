#pragma once
// The socket calls of the module command protocol: a TCP connection made with a bounded wait,
// sends and receives that report the system's error code (the log shows it), and a whole-datagram
// receive that refuses a datagram longer than the buffer instead of cutting it. Winsock's meaning
// is kept: a call that would block reports WouldBlock, not an error.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/udp_socket.h"

namespace platform {

SocketHandle OpenTcpSocket();

// Connects a non-blocking socket, waiting up to timeoutMs for the connection to be made. False
// when it is refused, fails or is not made within the wait.
bool ConnectWithin(SocketHandle socket, std::uint32_t address, std::uint16_t port,
                   unsigned timeoutMs);

// True when the socket becomes writable (or readable) within timeoutMs.
bool WaitWritable(SocketHandle socket, unsigned timeoutMs);
bool WaitReadableWithin(SocketHandle socket, unsigned timeoutMs);

enum class IoStatus { Done, WouldBlock, Closed, Failed };
struct IoResult {
    IoStatus status = IoStatus::Failed;
    std::size_t length = 0;  // bytes sent or received when Done
    int error = 0;           // the system's error code when Failed
};

// One send call; never raises SIGPIPE.
IoResult SendBytes(SocketHandle socket, std::span<const std::uint8_t> bytes);
// One receive call on a stream: Closed when the peer closed the connection.
IoResult ReceiveStream(SocketHandle socket, std::span<std::uint8_t> buffer);
// One datagram from a connected socket. A datagram longer than the buffer is consumed and
// reported as Failed (EMSGSIZE), and so is an empty one.
IoResult ReceiveWholeDatagram(SocketHandle socket, std::span<std::uint8_t> buffer);

// A non-blocking TCP socket listening on address:port (address reuse on, so a restarted server
// binds again at once), or kInvalidSocket.
SocketHandle OpenListeningSocket(std::uint32_t address, std::uint16_t port);
// The next waiting connection, non-blocking, with the peer's address; kInvalidSocket when none.
SocketHandle AcceptConnection(SocketHandle listener, std::uint32_t& fromAddress,
                              std::uint16_t& fromPort);

}  // namespace platform
