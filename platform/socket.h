#pragma once
// The socket calls of the whole program, datagram and stream alike, with Winsock's meaning kept:
// a socket is a plain handle, every call reports its outcome as a result, and a call on a
// non-blocking socket that would have to wait reports WouldBlock, not an error. Waiting for a
// socket is platform/poller.h.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace platform {

#ifdef _WIN32
// Winsock's SOCKET and INVALID_SOCKET, without its headers.
using SocketHandle = std::uintptr_t;
constexpr SocketHandle kInvalidSocket = ~SocketHandle{0};
#else
using SocketHandle = int;
constexpr SocketHandle kInvalidSocket = -1;
#endif

// Addresses are 32-bit IPv4 values in network byte order; ports are host order.
SocketHandle OpenUdpSocket();
SocketHandle OpenTcpSocket();
void CloseSocket(SocketHandle socket);
bool SetReuseAddress(SocketHandle socket);
bool SetBroadcast(SocketHandle socket);
bool SetNonBlocking(SocketHandle socket);
// Asks for the arriving interface of every datagram (IoResult::arrivalInterface). Linux never
// hands a broadcast to a socket bound to a unicast address, so a receiver of broadcasts binds
// the broadcast address and tells the interfaces apart by this.
bool SetReceiveArrivalInterface(SocketHandle socket);
bool Bind(SocketHandle socket, std::uint32_t address, std::uint16_t port);
// A datagram socket's peer. Fails for the address 0.0.0.0, as Winsock's connect does, instead
// of meaning this computer.
bool Connect(SocketHandle socket, std::uint32_t address, std::uint16_t port);
// Connects a non-blocking stream socket, waiting up to timeoutMs for the connection to be made.
// False when it is refused, fails or is not made within the wait.
bool ConnectWithin(SocketHandle socket, std::uint32_t address, std::uint16_t port,
                   unsigned timeoutMs);

// A non-blocking TCP socket listening on address:port (address reuse on, so a restarted server
// binds again at once), or kInvalidSocket.
SocketHandle OpenListeningSocket(std::uint32_t address, std::uint16_t port);
// The next waiting connection, non-blocking, with the peer's address; kInvalidSocket when none.
SocketHandle AcceptConnection(SocketHandle listener, std::uint32_t& fromAddress,
                              std::uint16_t& fromPort);

// Closed: the stream's peer closed the connection.
enum class IoStatus { Done, WouldBlock, Closed, Failed };
struct IoResult {
    IoStatus status = IoStatus::Failed;
    std::size_t length = 0;  // bytes sent or stored when Done
    int error = 0;           // the system's error code when Failed
    // A received datagram's sender and, when SetReceiveArrivalInterface is on, the index of the
    // interface it came in on (0 otherwise); cut: it was longer than the buffer, which holds its
    // first bytes.
    std::uint32_t fromAddress = 0;
    std::uint16_t fromPort = 0;
    unsigned arrivalInterface = 0;
    bool cut = false;
};

// True when the result is a send of all `count` bytes.
inline bool SentWhole(const IoResult& sent, std::size_t count) {
    return sent.status == IoStatus::Done && sent.length == count;
}

// One send call each; none raises SIGPIPE.
IoResult Send(SocketHandle socket, std::span<const std::uint8_t> bytes);
IoResult SendTo(SocketHandle socket, std::span<const std::uint8_t> bytes, std::uint32_t address,
                std::uint16_t port);
// As SendTo, out through one interface (an index as arrivalInterface reports it). A limited
// broadcast from an address that is local only by a route would otherwise leave through the
// loopback interface.
IoResult SendToThroughInterface(SocketHandle socket, std::span<const std::uint8_t> bytes,
                                std::uint32_t address, std::uint16_t port, unsigned interfaceIndex);

// One datagram, with its sender; a longer one than the buffer is cut to it (and marked so).
IoResult ReceiveDatagram(SocketHandle socket, std::span<std::uint8_t> buffer);
// What a stream has ready, up to the buffer's size: Closed when the peer closed the connection.
IoResult ReceiveStream(SocketHandle socket, std::span<std::uint8_t> buffer);

// A failure in words: errno after a call above returned false or kInvalidSocket, or an
// IoResult's error.
std::string SocketErrorText(int error);

}  // namespace platform
