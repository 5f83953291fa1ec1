#pragma once
// The datagram format of the module command protocol: building a request and telling whether a
// received datagram answers it. Pure functions over byte buffers.
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/packet_layout.h"

namespace protocol {

// Writes the header and payload (at most kMaxDatagramPayload bytes) and one zero byte when the
// payload is odd; returns the datagram's size, 8 + L rounded up to even.
std::size_t BuildDatagram(std::span<std::uint8_t> request, std::uint16_t code,
                          std::uint16_t sequence, std::uint16_t parameter,
                          std::span<const std::uint8_t> payload);

// The size of a built request, from its length word.
std::size_t DatagramSize(std::span<const std::uint8_t> request);

struct DatagramReply {
    bool matches = false;  // at least 4 bytes and the request's sequence number
    std::uint16_t status = 0;
    std::span<const std::uint8_t> data;  // from offset 4 on
};
DatagramReply MatchDatagramReply(std::span<const std::uint8_t> request,
                                 std::span<const std::uint8_t> reply);

}  // namespace protocol
