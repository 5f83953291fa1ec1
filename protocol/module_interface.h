#pragma once
// The one object through which the system talks to a device's control module (port 9000).
// Each command goes out as its row of the command table says: framed packets over TCP or
// datagrams over UDP; every step is written to the diagnostic log.
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/module_commands.h"
#include "protocol/module_result.h"
#include "protocol/packet_layout.h"
#include "protocol/tcp_transport.h"
#include "protocol/udp_transport.h"

namespace protocol {

class CModuleInterface {
public:
    static constexpr int kAttempts = 3;
    static constexpr int kMaxBusyInARow = 100;
    static constexpr unsigned kBusyPauseMs = 10;

    enum class Direction { Sent, Received };

    // address: the device's IPv4 address in network byte order. Nothing is opened here.
    explicit CModuleInterface(std::uint32_t address);
    virtual ~CModuleInterface();
    CModuleInterface(const CModuleInterface&) = delete;
    CModuleInterface& operator=(const CModuleInterface&) = delete;

    // Runs one numbered command. buffer holds length data bytes to send, or takes the reply data
    // of a reading command (room for 250 bytes after a framed read, 2044 after a datagram read);
    // countOut is 0 unless a reading command succeeded. A command that cannot carry length bytes
    // (see kModuleCommands) returns BadRequest and sends nothing.
    ModuleResult DoCommand(std::uint32_t& countOut, int target, int command, int parameter,
                           int length, std::uint8_t* buffer);

    // One framed exchange with up to three attempts; completes the request's CRC first.
    ModuleResult SendRecvPacket(std::span<std::uint8_t, packet::kBufferSize> request,
                                std::span<std::uint8_t, packet::kBufferSize> reply);
    // One datagram exchange with up to three attempts. capacity (may be null) is the room in
    // replyData on entry and the count of reply data on return.
    ModuleResult SendRecvDatagram(std::span<const std::uint8_t, packet::kBufferSize> request,
                                  std::uint32_t* capacity, std::uint8_t* replyData);

    static void DumpPacket(Direction direction, std::span<const std::uint8_t> bytes);

    std::uint16_t SequenceNumber() const { return sequence_; }
    void SetSequenceNumber(std::uint16_t sequence) { sequence_ = sequence; }

private:
    ModuleResult BlockWrite(std::span<std::uint8_t, packet::kBufferSize> request,
                            std::span<std::uint8_t, packet::kBufferSize> reply, std::uint8_t target,
                            std::uint8_t operation, std::uint8_t parameterBits, std::size_t length,
                            const std::uint8_t* buffer);
    ModuleResult FramedCommand(std::uint32_t& countOut, const ModuleCommandRow& command,
                               std::uint8_t target, int parameter, std::size_t length,
                               std::uint8_t* buffer);
    ModuleResult DatagramCommand(std::uint32_t& countOut, const ModuleCommandRow& command,
                                 int parameter, std::size_t length, std::uint8_t* buffer);

    CTCPTransport tcp_;
    CUDPTransport udp_;
    std::uint16_t sequence_ = 1;
};

}  // namespace protocol
