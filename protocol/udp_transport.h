#pragma once
// The datagram socket that carries the module command datagrams: bound locally and connected to
// the control module, so plain sends reach it and only its datagrams are received. Opened on the
// first send, closed after a send error.
#include <cstddef>
#include <cstdint>

#include "platform/socket.h"

namespace protocol {

class CUDPTransport {
public:
    enum Result : int { kOk = 0, kOpenFailed = 1, kSendFailed = 2 };
    static constexpr unsigned kReadWaitMs = 1000;

    CUDPTransport() = default;
    virtual ~CUDPTransport();
    CUDPTransport(const CUDPTransport&) = delete;
    CUDPTransport& operator=(const CUDPTransport&) = delete;

    // Closes the socket of an earlier address first.
    void SetAddress(std::uint32_t address, int port, std::uint32_t localAddress);
    int Open();
    void Close();
    int WriteData(const std::uint8_t* bytes, std::size_t count);
    // The length of the one datagram received within kReadWaitMs, or 0: none came, it was empty,
    // longer than size, or the receive failed.
    std::size_t ReadData(std::uint8_t* buffer, std::size_t size);
    bool IsOpen() const { return open_; }

private:
    std::uint32_t remoteAddress_ = 0;
    int remotePort_ = 0;
    std::uint32_t localAddress_ = 0;
    bool addressSet_ = false;
    bool open_ = false;
    platform::SocketHandle socket_ = platform::kInvalidSocket;
};

}  // namespace protocol
