#pragma once
// The little of the socket interface the configuration exchanges need, with Winsock's meaning
// kept: every call reports success as a result, a socket is a plain handle, and a receive on a
// non-blocking socket with nothing queued is WouldBlock, not an error.
#include <cstddef>
#include <cstdint>
#include <span>

namespace platform {

using SocketHandle = int;
constexpr SocketHandle kInvalidSocket = -1;

// Addresses are 32-bit IPv4 values in network byte order; ports are host order.
SocketHandle OpenUdpSocket();
void CloseSocket(SocketHandle socket);
bool SetReuseAddress(SocketHandle socket);
bool SetBroadcast(SocketHandle socket);
bool SetNonBlocking(SocketHandle socket);
bool Bind(SocketHandle socket, std::uint32_t address, std::uint16_t port);
// Fails for the address 0.0.0.0, as Winsock's connect does, instead of meaning this computer.
bool Connect(SocketHandle socket, std::uint32_t address, std::uint16_t port);

// Bytes sent, or -1.
long Send(SocketHandle socket, std::span<const std::uint8_t> bytes);
long SendTo(SocketHandle socket, std::span<const std::uint8_t> bytes, std::uint32_t address,
            std::uint16_t port);

enum class ReceiveStatus { Received, WouldBlock, Failed };
struct ReceiveResult {
    ReceiveStatus status = ReceiveStatus::Failed;
    std::size_t length = 0;          // bytes stored; a longer datagram is cut to the buffer
    std::uint32_t fromAddress = 0;   // network byte order
    std::uint16_t fromPort = 0;
};
ReceiveResult Receive(SocketHandle socket, std::span<std::uint8_t> buffer);

// Waits up to timeoutMs for any of the sockets to become readable (a pending error counts as
// readable, so the next receive reports it). Returns a mask, bit i for sockets[i]; 0 on time-out
// or when the wait itself failed. At most 32 sockets.
std::uint32_t WaitReadable(std::span<const SocketHandle> sockets, unsigned timeoutMs);

}  // namespace platform
