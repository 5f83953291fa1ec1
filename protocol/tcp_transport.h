#pragma once
// The TCP connection that carries framed packets to a control module: made on demand with a
// bounded wait, kept between commands, dropped after any failure so the next write starts afresh.
#include <cstddef>
#include <cstdint>

#include "platform/socket.h"

namespace protocol {

class CTCPTransport {
public:
    enum Result : int {
        kOk = 0,
        kSocketFailed = 1,
        kBindFailed = 2,
        kNotConnected = 3,  // the connection was not made within the wait
        kIoFailed = 4,      // a send or read failed, or a read without a connection
    };
    static constexpr unsigned kWaitMs = 2000;  // each connect, blocked send and stalled read

    CTCPTransport() = default;
    virtual ~CTCPTransport();
    CTCPTransport(const CTCPTransport&) = delete;
    CTCPTransport& operator=(const CTCPTransport&) = delete;

    // Addresses in network byte order; local 0 for any interface. An open connection is kept.
    void SetAddress(std::uint32_t address, int port, std::uint32_t localAddress);
    int Connect();
    void Disconnect();
    // Connects first when needed; sends all count bytes (in as many sends as the socket takes,
    // each wait bounded by kWaitMs) or fails and drops the connection.
    int WriteData(const std::uint8_t* bytes, std::size_t count);
    // Exactly count bytes, each wait bounded by kWaitMs.
    int ReadData(std::uint8_t* buffer, std::size_t count);

private:
    std::uint32_t remoteAddress_ = 0;
    int remotePort_ = 0;
    std::uint32_t localAddress_ = 0;
    bool connected_ = false;
    platform::SocketHandle socket_ = platform::kInvalidSocket;
};

}  // namespace protocol
