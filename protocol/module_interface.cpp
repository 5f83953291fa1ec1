#include "protocol/module_interface.h"

#include <algorithm>
#include <array>

#include "app/debug_log.h"
#include "platform/tick.h"
#include "protocol/datagram.h"
#include "protocol/framed_packet.h"

namespace protocol {

using namespace packet;

namespace {

bool IsRetriedOutcome(ModuleResult outcome) {
    return outcome == ModuleResult::NoAnswer || outcome == ModuleResult::InvalidReply;
}

}  // namespace

CModuleInterface::CModuleInterface(std::uint32_t address) {
    tcp_.SetAddress(address, kModulePort, 0);
    udp_.SetAddress(address, kModulePort, 0);
}

CModuleInterface::~CModuleInterface() {
    udp_.Close();
    tcp_.Disconnect();
}

ModuleResult CModuleInterface::DoCommand(std::uint32_t& countOut, int target, int command,
                                         int parameter, int length, std::uint8_t* buffer) {
    app::DebugLog("CModuleInterface::DoCommand(%d to %02X)", command, target & 0xFF);
    countOut = 0;
    const ModuleCommandRow* entry = FindModuleCommand(command);
    if (entry == nullptr) return ModuleResult::Ok;
    // The caller's length is the only measure of its buffer: a command that would read past it,
    // or overflow a length field, is refused before anything is built.
    const std::size_t given = length < 0 ? 0 : static_cast<std::size_t>(length);
    const bool tooLong = entry->sendsLength && given > entry->maxData;
    const bool tooShort = entry->minData > 0 && given < entry->minData;
    if (length < 0 || tooLong || tooShort || (given > 0 && buffer == nullptr)) {
        app::DebugLog("CModuleInterface::DoCommand(): %d data bytes do not fit command %d", length,
                      command);
        return ModuleResult::BadRequest;
    }
    const std::size_t sent = entry->sendsLength ? given : std::min(given, entry->maxData);
    if (entry->format == CommandFormat::Datagram)
        return DatagramCommand(countOut, *entry, parameter, sent, buffer);
    return FramedCommand(countOut, *entry, static_cast<std::uint8_t>(target & 0xFF), parameter,
                         sent, buffer);
}

ModuleResult CModuleInterface::FramedCommand(std::uint32_t& countOut,
                                             const ModuleCommandRow& command, std::uint8_t target,
                                             int parameter, std::size_t length,
                                             std::uint8_t* buffer) {
    Buffer request{};
    Buffer reply{};
    PresetFramedHeader(request);
    const std::uint8_t accessTarget = command.callerTarget ? target : kFixedTarget;
    if (command.format == CommandFormat::BlockWrite) {
        const bool bits = command.parameter == CommandParameter::BlockBits;
        const auto parameterBits =
            static_cast<std::uint8_t>(bits ? (parameter & 0x03) << kParameterShift : 0);
        return BlockWrite(request, reply, accessTarget, command.code, parameterBits, length,
                          buffer);
    }
    std::span<const std::uint8_t> data;
    if (!command.sendsLength && command.maxData > 0) {
        // A command of fixed size (203: one byte) carries the caller's bytes, or zeros without
        // a buffer.
        if (buffer != nullptr) std::copy_n(buffer, command.maxData, &request[kAccessDataOffset]);
        data = std::span(&request[kAccessDataOffset], command.maxData);
    } else if (length > 0) {
        data = std::span(buffer, length);
    }
    SetAccessHeader(request, accessTarget, command.code, 0, 0, data);
    const ModuleResult result = SendRecvPacket(request, reply);
    if (result != ModuleResult::Ok || !command.readsData || buffer == nullptr) return result;
    const std::span<const std::uint8_t> replyData = FramedReplyData(reply);
    std::copy(replyData.begin(), replyData.end(), buffer);
    countOut = static_cast<std::uint32_t>(replyData.size());
    return result;
}

ModuleResult CModuleInterface::BlockWrite(std::span<std::uint8_t, kBufferSize> request,
                                          std::span<std::uint8_t, kBufferSize> reply,
                                          std::uint8_t target, std::uint8_t operation,
                                          std::uint8_t parameterBits, std::size_t length,
                                          const std::uint8_t* buffer) {
    std::size_t offset = 0;
    int busyInARow = 0;
    while (offset < length) {
        const std::size_t chunk = std::min(kMaxChunk, length - offset);
        SetAccessHeader(request, target, operation, static_cast<std::uint16_t>(offset),
                        static_cast<std::uint8_t>(parameterBits | chunk),
                        std::span(buffer + offset, chunk));
        const ModuleResult result = SendRecvPacket(request, reply);
        if (result == ModuleResult::DeviceBusy) {
            if (++busyInARow > kMaxBusyInARow) return result;
            platform::SleepMs(kBusyPauseMs);
            continue;
        }
        if (result != ModuleResult::Ok) return result;
        offset += chunk;
        busyInARow = 0;
    }
    SetAccessHeader(request, target, kBlockCloseOperation, 0, parameterBits, {});
    ModuleResult result = SendRecvPacket(request, reply);
    for (int sends = 1; result == ModuleResult::DeviceBusy && sends < kMaxBusyInARow; ++sends) {
        platform::SleepMs(kBusyPauseMs);
        result = SendRecvPacket(request, reply);
    }
    return result;
}

ModuleResult CModuleInterface::DatagramCommand(std::uint32_t& countOut,
                                               const ModuleCommandRow& command, int parameter,
                                               std::size_t length, std::uint8_t* buffer) {
    Buffer request{};
    const std::uint16_t sequence = sequence_++;
    const auto parameterWord = static_cast<std::uint16_t>(
        command.parameter == CommandParameter::Word ? (parameter & 0xFFFF) : 0);
    const std::size_t payload = std::max(length, command.minData);
    BuildDatagram(request, command.code, sequence, parameterWord,
                  std::span<const std::uint8_t>(buffer, buffer != nullptr ? payload : 0));
    if (!command.readsData) return SendRecvDatagram(request, nullptr, nullptr);
    std::uint32_t received = static_cast<std::uint32_t>(kBufferSize);
    const ModuleResult result = SendRecvDatagram(request, &received, buffer);
    if (result == ModuleResult::Ok && buffer != nullptr) countOut = received;
    return result;
}

ModuleResult CModuleInterface::SendRecvPacket(std::span<std::uint8_t, kBufferSize> request,
                                              std::span<std::uint8_t, kBufferSize> reply) {
    CompleteFramedRequest(request);
    const std::size_t requestLength = FramedLength(request);
    const auto readExactly = [this](std::span<std::uint8_t> into) {
        return tcp_.ReadData(into.data(), into.size()) == CTCPTransport::kOk;
    };
    ModuleResult outcome = ModuleResult::Ok;
    int attempt = 0;
    // A status-7 reply sets no outcome of its own: after a failed attempt that failure stands and
    // the next attempt runs; as the first answer it ends the command with success.
    do {
        ++attempt;
        DumpPacket(Direction::Sent, std::span(request.data(), requestLength));
        if (tcp_.WriteData(request.data(), requestLength) != CTCPTransport::kOk)
            return ModuleResult::NoAnswer;
        if (!ReadFramedReply(reply, readExactly)) {
            outcome = ModuleResult::NoAnswer;
            continue;
        }
        const std::span<const std::uint8_t> whole(reply.data(), FramedLength(reply));
        DumpPacket(Direction::Received, whole);
        const FramedCheck check = ValidateFramedReply(request, whole);
        if (check != FramedCheck::Valid) {
            app::DebugLog("%s", FramedCheckMessage(check));
            app::DebugLog("CModuleInterface::SendRecvPacket(): invalid packet or CRC ERROR");
            outcome = ModuleResult::InvalidReply;
            continue;
        }
        if (const auto result = ResultOfFramedStatus(FramedStatusCode(whole))) return *result;
    } while (IsRetriedOutcome(outcome) && attempt < kAttempts);
    return outcome;
}

ModuleResult CModuleInterface::SendRecvDatagram(std::span<const std::uint8_t, kBufferSize> request,
                                                std::uint32_t* capacity, std::uint8_t* replyData) {
    const std::size_t size = DatagramSize(request);
    Buffer received;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        DumpPacket(Direction::Sent, request.first(size));
        if (udp_.WriteData(request.data(), size) != CUDPTransport::kOk)
            return ModuleResult::NoAnswer;
        const std::size_t length = udp_.ReadData(received.data(), received.size());
        if (length == 0) continue;
        const std::span<const std::uint8_t> reply(received.data(), length);
        DumpPacket(Direction::Received, reply);
        const DatagramReply match = MatchDatagramReply(request, reply);
        if (!match.matches) continue;
        if (match.status != kStatusOk) return ResultOfDatagramStatus(match.status);
        if (capacity != nullptr && replyData != nullptr && match.data.size() <= *capacity) {
            std::copy(match.data.begin(), match.data.end(), replyData);
            *capacity = static_cast<std::uint32_t>(match.data.size());
        } else if (capacity != nullptr) {
            *capacity = 0;
        }
        return ModuleResult::Ok;
    }
    return ModuleResult::NoAnswer;
}

void CModuleInterface::DumpPacket(Direction direction, std::span<const std::uint8_t> bytes) {
    app::DebugLogHexRows(direction == Direction::Sent ? "WR: " : "RD: ", bytes);
}

}  // namespace protocol
