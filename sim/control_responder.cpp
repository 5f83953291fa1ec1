#include "sim/control_responder.h"

#include <algorithm>

#include "protocol/crc16.h"
#include "protocol/framed_packet.h"
#include "protocol/module_commands.h"
#include "protocol/packet_layout.h"

namespace sim {

using namespace protocol::packet;

namespace {

// True when this answer is to say busy (busy:N counts the answers).
bool TakeBusy(const ControlConfig& config, ControlState& state) {
    const bool busy =
        config.fault == ControlFault::Busy && (config.count == 0 || state.answers < config.count);
    ++state.answers;
    return busy;
}

void WriteAt(Bytes& memory, std::size_t offset, std::span<const std::uint8_t> data) {
    if (memory.size() < offset + data.size()) memory.resize(offset + data.size());
    std::copy(data.begin(), data.end(), memory.begin() + static_cast<std::ptrdiff_t>(offset));
}

bool IsWellFormedRequest(std::span<const std::uint8_t> request) {
    return request.size() >= kFramedOverhead + kAccessHeaderLength &&
           request.size() == protocol::FramedLength(request) && request[kSync1Offset] == kSync1 &&
           request[kSync2Offset] == kSync2 && protocol::CalcCRC16(request) == 0 &&
           request[kLengthOffset] >= kAccessHeaderLength;
}

void StoreCrc(Bytes& packet) {
    const std::size_t at = packet.size() - kCrcLength;
    const std::uint16_t crc = protocol::CalcCRC16(std::span(packet).first(at));
    packet[at] = static_cast<std::uint8_t>(crc & 0xFF);
    packet[at + 1] = static_cast<std::uint8_t>(crc >> 8);
}

void ApplyFramedFault(ControlFault fault, Bytes& reply) {
    switch (fault) {
        case ControlFault::BadSync: reply[kSync2Offset] = 0xE5; break;
        case ControlFault::StatusBitClear: reply[kStatusOffset] &= ~kReplyFlag; break;
        case ControlFault::WrongCommand: reply[kCommandOffset] ^= 0x02; break;
        case ControlFault::WrongType: reply[kSourceTypeOffset] ^= 0x02; break;
        case ControlFault::OtherAddress: reply[kSourceAddressOffset] = kOtherDeviceAddress; break;
        default: return;
    }
    StoreCrc(reply);
}

}  // namespace

Bytes AnswerFramedRequest(const ControlConfig& config, ControlState& state,
                          std::span<const std::uint8_t> request) {
    if (!IsWellFormedRequest(request) || config.fault == ControlFault::Silent) return {};
    const std::uint8_t target = request[kTargetOffset];
    const std::uint8_t operation = request[kOperationOffset];
    const std::size_t offset = request[kBlockOffsetLow] | (request[kBlockOffsetHigh] << 8);
    const std::span<const std::uint8_t> data =
        request.subspan(kAccessDataOffset, request[kLengthOffset] - kAccessHeaderLength);

    std::uint8_t status = 0;
    Bytes replyData;
    const protocol::ModuleCommandRow* writing =
        data.empty() ? nullptr : protocol::FindFramedCommand(operation, true);
    const protocol::ModuleCommandRow* reading =
        writing != nullptr ? nullptr : protocol::FindFramedCommand(operation, false);
    if (TakeBusy(config, state)) {
        status = kFramedStatusBusy;
    } else if (config.fault == ControlFault::Status) {
        status = static_cast<std::uint8_t>(config.count & kStatusCodeMask);
    } else if (writing != nullptr && writing->format == protocol::CommandFormat::BlockWrite) {
        const std::size_t chunk =
            std::min<std::size_t>(request[kChunkOffset] & kChunkLengthMask, data.size());
        WriteAt(state.memory[target], offset, data.first(chunk));
    } else if (writing != nullptr) {
        WriteAt(state.memory[target], offset, data);
    } else if (reading != nullptr && reading->readsData) {
        const Bytes& memory = state.memory[target];
        replyData.assign(memory.begin(), memory.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                              memory.size(), kMaxFramedData)));
    }

    Bytes reply(kAccessDataOffset + replyData.size() + kCrcLength);
    reply[kSync1Offset] = kSync1;
    reply[kSync2Offset] = kSync2;
    reply[kDestTypeOffset] = request[kSourceTypeOffset];
    reply[kDestAddressOffset] = request[kSourceAddressOffset];
    reply[kSourceTypeOffset] = request[kDestTypeOffset];
    reply[kSourceAddressOffset] = config.deviceAddress;
    reply[kCommandOffset] = request[kCommandOffset];
    reply[kStatusOffset] = static_cast<std::uint8_t>(kReplyFlag | status);
    reply[kLengthOffset] = static_cast<std::uint8_t>(kAccessHeaderLength + replyData.size());
    std::copy_n(request.begin() + kTargetOffset, kAccessHeaderLength,
                reply.begin() + kTargetOffset);
    std::copy(replyData.begin(), replyData.end(), reply.begin() + kAccessDataOffset);
    StoreCrc(reply);
    if (config.fault == ControlFault::BadCrc)
        reply.back() ^= 0x01;
    else
        ApplyFramedFault(config.fault, reply);
    if (config.fault == ControlFault::PartialReply) reply.resize(kPartialReplyBytes);
    return reply;
}

Bytes AnswerControlDatagram(const ControlConfig& config, ControlState& state,
                            std::span<const std::uint8_t> datagram) {
    if (datagram.size() < kDatagramHeaderLength || config.fault == ControlFault::Silent) return {};
    const std::uint16_t code = ReadWord(&datagram[kCodeOffset]);
    const std::uint16_t sequence = ReadWord(&datagram[kSequenceOffset]);
    const std::size_t length = std::min<std::size_t>(ReadWord(&datagram[kPayloadLengthOffset]),
                                                     datagram.size() - kDatagramHeaderLength);

    std::uint16_t status = kStatusOk;
    Bytes replyData;
    const protocol::ModuleCommandRow* command = protocol::FindDatagramCommand(code);
    if (TakeBusy(config, state)) {
        status = kStatusBusy;
    } else if (config.fault == ControlFault::Status) {
        status = static_cast<std::uint16_t>(config.count);
    } else if (command == nullptr) {
        status = kStatusError;
    } else if (command->readsData) {
        replyData = state.datagramPayloads[static_cast<std::uint16_t>(code - 1)];
    } else {
        state.datagramPayloads[code] =
            Bytes(datagram.begin() + kDatagramHeaderLength,
                  datagram.begin() + static_cast<std::ptrdiff_t>(kDatagramHeaderLength + length));
    }
    if (config.fault == ControlFault::LongReply) replyData.resize(kDatagramReplyTooLong, 0xDD);

    Bytes reply(kReplyDataOffset + replyData.size());
    WriteWord(&reply[kReplyStatusOffset], status);
    const bool wrongSequence = config.fault == ControlFault::WrongSequence;
    WriteWord(&reply[kReplySequenceOffset],
              static_cast<std::uint16_t>(sequence + (wrongSequence ? 1 : 0)));
    std::copy(replyData.begin(), replyData.end(), reply.begin() + kReplyDataOffset);
    if (config.fault == ControlFault::ShortReply) reply.resize(kReplyDataOffset - 1);
    return reply;
}

}  // namespace sim
