#include "protocol/framed_packet.h"

#include <algorithm>

#include "protocol/crc16.h"

namespace protocol {

using namespace packet;

void PresetFramedHeader(std::span<std::uint8_t> request) {
    request[kSync1Offset] = kSync1;
    request[kSync2Offset] = kSync2;
    request[kDestTypeOffset] = kRequestDestType;
    request[kDestAddressOffset] = kAnyDeviceAddress;
    request[kSourceTypeOffset] = kPanelType;
    request[kSourceAddressOffset] = kPanelAddress;
    request[kCommandOffset] = kFramedCommand;
    request[kStatusOffset] = 0;
}

void SetAccessHeader(std::span<std::uint8_t> request, std::uint8_t target, std::uint8_t operation,
                     std::uint16_t offset, std::uint8_t chunkByte,
                     std::span<const std::uint8_t> data) {
    const std::size_t length = std::min(data.size(), kMaxFramedData);
    request[kLengthOffset] = static_cast<std::uint8_t>(kAccessHeaderLength + length);
    request[kTargetOffset] = target;
    request[kOperationOffset] = operation;
    request[kBlockOffsetLow] = static_cast<std::uint8_t>(offset & 0xFF);
    request[kBlockOffsetHigh] = static_cast<std::uint8_t>(offset >> 8);
    request[kChunkOffset] = chunkByte;
    std::copy_n(data.begin(), length, request.begin() + kAccessDataOffset);
}

std::size_t FramedLength(std::span<const std::uint8_t> packet) {
    return packet[kLengthOffset] + kFramedOverhead;
}

void CompleteFramedRequest(std::span<std::uint8_t> request) {
    const std::size_t crcAt = kPayloadOffset + request[kLengthOffset];
    const std::uint16_t crc = CalcCRC16(request.first(crcAt));
    // Low byte first, which is what makes the CRC over the whole packet come out 0.
    request[crcAt] = static_cast<std::uint8_t>(crc & 0xFF);
    request[crcAt + 1] = static_cast<std::uint8_t>(crc >> 8);
}

FramedCheck ValidateFramedReply(std::span<const std::uint8_t> request,
                                std::span<const std::uint8_t> reply) {
    if (reply[kSync1Offset] != kSync1 || reply[kSync2Offset] != kSync2) return FramedCheck::BadSync;
    if (reply[kSourceTypeOffset] != request[kDestTypeOffset]) return FramedCheck::BadDeviceType;
    if (request[kDestAddressOffset] != kAnyDeviceAddress &&
        reply[kSourceAddressOffset] != request[kDestAddressOffset])
        return FramedCheck::BadDeviceAddress;
    if (reply[kCommandOffset] != request[kCommandOffset]) return FramedCheck::BadCommand;
    if ((reply[kStatusOffset] & kReplyFlag) == 0) return FramedCheck::BadStatusBit;
    if (CalcCRC16(reply.first(FramedLength(reply))) != 0) return FramedCheck::BadCrc;
    return FramedCheck::Valid;
}

const char* FramedCheckMessage(FramedCheck check) {
    switch (check) {
        case FramedCheck::Valid: return nullptr;
        case FramedCheck::BadSync: return "CModuleInterface::SendRecvPacket(): bad sync bytes";
        case FramedCheck::BadDeviceType:
            return "CModuleInterface::SendRecvPacket(): bad device type";
        case FramedCheck::BadDeviceAddress:
            return "CModuleInterface::SendRecvPacket(): bad device address";
        case FramedCheck::BadCommand:
            return "CModuleInterface::SendRecvPacket(): bad command reply";
        case FramedCheck::BadStatusBit: return "CModuleInterface::SendRecvPacket(): bad status bit";
        case FramedCheck::BadCrc: return "CModuleInterface::SendRecvPacket(): bad CRC";
    }
    return nullptr;
}

std::span<const std::uint8_t> FramedReplyData(std::span<const std::uint8_t> reply) {
    const std::size_t payload = reply[kLengthOffset];
    if (payload <= kAccessHeaderLength) return {};
    return reply.subspan(kAccessDataOffset, payload - kAccessHeaderLength);
}

}  // namespace protocol
