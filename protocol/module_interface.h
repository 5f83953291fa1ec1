#pragma once
// The one object through which the system talks to a device's control module (port 9000).
// Commands 201-205 and 301-303 go out as framed packets over TCP, 401-403 and 501-504 as
// datagrams over UDP; every step is written to the diagnostic log.
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/module_result.h"
#include "protocol/packet_layout.h"
#include "protocol/tcp_transport.h"
#include "protocol/udp_transport.h"

// How much data a command may carry, so that callers can check their input before sending:
// -1 for a command number that is not in the table (DoCommand sends nothing for it).
struct CommandLimits {
    bool known = false;
    bool framed = false;
    std::size_t minData = 0;  // bytes of buffer the command reads
    std::size_t maxData = 0;
    bool returnsData = false;
};
CommandLimits LimitsOfCommand(int command);

class CModuleInterface {
public:
    static constexpr int kAttempts = 3;
    static constexpr int kMaxBusyInARow = 100;
    static constexpr unsigned kBusyPauseMs = 10;
    static constexpr std::size_t kMaxBlockLength = 0xFFFF;  // the offset field's reach

    enum class Direction { Sent, Received };

    // address: the device's IPv4 address in network byte order. Nothing is opened here.
    explicit CModuleInterface(std::uint32_t address);
    virtual ~CModuleInterface();
    CModuleInterface(const CModuleInterface&) = delete;
    CModuleInterface& operator=(const CModuleInterface&) = delete;

    // Runs one numbered command. buffer holds length data bytes to send, or takes the reply data
    // of a reading command (room for 250 bytes after a framed read, 2044 after a datagram read);
    // countOut is 0 unless a reading command succeeded. A command that cannot carry length bytes
    // (see LimitsOfCommand) returns kModuleBadRequest and sends nothing.
    std::uint16_t DoCommand(std::uint32_t& countOut, int target, int command, int parameter,
                            int length, std::uint8_t* buffer);

    // One framed exchange with up to three attempts; completes the request's CRC first.
    std::uint16_t SendRecvPacket(std::span<std::uint8_t, packet::kBufferSize> request,
                                 std::span<std::uint8_t, packet::kBufferSize> reply);
    // One datagram exchange with up to three attempts. capacity (may be null) is the room in
    // replyData on entry and the count of reply data on return.
    std::uint16_t SendRecvDatagram(std::span<const std::uint8_t, packet::kBufferSize> request,
                                   std::uint32_t* capacity, std::uint8_t* replyData);

    static void DumpPacket(Direction direction, std::span<const std::uint8_t> bytes);

    std::uint16_t SequenceNumber() const { return sequence_; }
    void SetSequenceNumber(std::uint16_t sequence) { sequence_ = sequence; }

private:
    std::uint16_t BlockWrite(std::span<std::uint8_t, packet::kBufferSize> request,
                             std::span<std::uint8_t, packet::kBufferSize> reply,
                             std::uint8_t target, int parameter, std::size_t length,
                             const std::uint8_t* buffer);
    std::uint16_t FramedCommand(std::uint32_t& countOut, const CommandLimits& limits,
                                std::uint8_t target, int command, int parameter,
                                std::size_t length, std::uint8_t* buffer);
    std::uint16_t DatagramCommand(std::uint32_t& countOut, const CommandLimits& limits,
                                  int command, int parameter, std::size_t length,
                                  std::uint8_t* buffer);

    CTCPTransport tcp_;
    CUDPTransport udp_;
    std::uint16_t sequence_ = 1;
};
