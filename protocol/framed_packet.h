#pragma once
// The framed packet of the module command protocol: building a request, reading a reply from a
// stream and validating it against the request. Pure functions over byte buffers.
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/packet_layout.h"

namespace protocol {

// E2 E4 01 00 FF FF 01 00 at offsets 0-7 of a request.
void PresetFramedHeader(std::span<std::uint8_t> request);

// The access header and its data; the payload length becomes 5 + data.size(). data holds at
// most kMaxFramedData bytes.
void SetAccessHeader(std::span<std::uint8_t> request, std::uint8_t target, std::uint8_t operation,
                     std::uint16_t offset, std::uint8_t chunkByte,
                     std::span<const std::uint8_t> data);

// The packet's whole length, N + 11, from its payload length byte.
std::size_t FramedLength(std::span<const std::uint8_t> packet);

// Stores the CRC of offsets 0 .. 8+N at 9+N (low byte) and 10+N.
void CompleteFramedRequest(std::span<std::uint8_t> request);

// Reads a reply as the stream delivers it: exactly 11 bytes, then N more when byte 8 is N > 0.
// readExactly(destination) fills the whole span or returns false. False when a read failed.
template <typename ReadExactly>
bool ReadFramedReply(std::span<std::uint8_t, packet::kBufferSize> reply,
                     ReadExactly&& readExactly) {
    if (!readExactly(reply.first(packet::kFramedOverhead))) return false;
    const std::size_t rest = reply[packet::kLengthOffset];
    return rest == 0 || readExactly(reply.subspan(packet::kFramedOverhead, rest));
}

enum class FramedCheck {
    Valid,
    BadSync,
    BadDeviceType,
    BadDeviceAddress,
    BadCommand,
    BadStatusBit,
    BadCrc,
};

// The checks in their fixed order; the first that fails decides. reply holds a whole packet
// (FramedLength(reply) bytes).
FramedCheck ValidateFramedReply(std::span<const std::uint8_t> request,
                                std::span<const std::uint8_t> reply);

// The log line of a failed check ("CModuleInterface::SendRecvPacket(): bad sync bytes"), or
// nullptr for Valid.
const char* FramedCheckMessage(FramedCheck check);

// Bits 0-2 of a valid reply's status byte.
inline std::uint8_t FramedStatusCode(std::span<const std::uint8_t> reply) {
    return reply[packet::kStatusOffset] & packet::kStatusCodeMask;
}

// A reading reply's data: its payload less the access header, from offset 14; none when the
// payload is 5 bytes or shorter.
std::span<const std::uint8_t> FramedReplyData(std::span<const std::uint8_t> reply);

}  // namespace protocol
