#include "protocol/datagram.h"

#include <algorithm>

namespace protocol {

using namespace packet;

std::size_t BuildDatagram(std::span<std::uint8_t> request, std::uint16_t code,
                          std::uint16_t sequence, std::uint16_t parameter,
                          std::span<const std::uint8_t> payload) {
    const std::size_t length = std::min(payload.size(), kMaxDatagramPayload);
    WriteWord(&request[kCodeOffset], code);
    WriteWord(&request[kSequenceOffset], sequence);
    WriteWord(&request[kParameterOffset], parameter);
    WriteWord(&request[kPayloadLengthOffset], static_cast<std::uint16_t>(length));
    std::copy_n(payload.begin(), length, request.begin() + kDatagramHeaderLength);
    if (length % 2 != 0) request[kDatagramHeaderLength + length] = 0;
    return DatagramSize(request);
}

std::size_t DatagramSize(std::span<const std::uint8_t> request) {
    const std::size_t length = ReadWord(&request[kPayloadLengthOffset]);
    return (kDatagramHeaderLength + length + 1) & ~std::size_t{1};
}

DatagramReply MatchDatagramReply(std::span<const std::uint8_t> request,
                                 std::span<const std::uint8_t> reply) {
    if (reply.size() < kReplyDataOffset ||
        ReadWord(&reply[kReplySequenceOffset]) != ReadWord(&request[kSequenceOffset]))
        return {};
    return {true, ReadWord(&reply[kReplyStatusOffset]), reply.subspan(kReplyDataOffset)};
}

}  // namespace protocol
