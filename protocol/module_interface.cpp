#include "protocol/module_interface.h"

#include <algorithm>
#include <array>

#include "app/debug_log.h"
#include "platform/tick.h"
#include "protocol/datagram.h"
#include "protocol/framed_packet.h"

using namespace packet;

namespace {

// One row per command number: how it goes out and what it carries.
struct CommandEntry {
    int command;
    bool framed;
    std::uint8_t codeOrOperation;  // datagram code, or the framed access operation
    bool ownTarget;                // framed: the caller's target instead of 0xFD
    std::size_t minData;
    std::size_t maxData;
    bool usesLength;  // the caller's length says how many bytes go out
    bool returnsData;
};

constexpr std::uint8_t kBlockWriteOperation = 4;
constexpr std::uint8_t kBlockCloseOperation = 5;
constexpr std::size_t kBlockCommandData = 8;  // commands 501 and 503

constexpr CommandEntry kCommands[] = {
    {201, true, 1, false, 0, 0, false, true},
    {202, true, 2, false, 0, 0, false, true},
    {203, true, 3, false, 0, 1, false, false},
    {204, true, 4, false, 0, 0, false, true},
    {205, true, 5, false, 0, 0, false, false},
    {301, true, 2, true, 0, 0, false, true},
    {302, true, 3, true, 0, kMaxFramedData, true, false},
    {303, true, kBlockWriteOperation, true, 0, CModuleInterface::kMaxBlockLength, true, false},
    {401, false, 3, false, 0, kMaxDatagramPayload, true, false},
    {402, false, 4, false, 0, 0, false, true},
    {403, false, 5, false, 0, kMaxDatagramPayload, true, false},
    {501, false, 6, false, kBlockCommandData, kBlockCommandData, false, false},
    {502, false, 7, false, 0, 0, false, true},
    {503, false, 8, false, kBlockCommandData, kBlockCommandData, false, false},
    {504, false, 9, false, 0, 0, false, true},
};

const CommandEntry* FindCommand(int command) {
    for (const CommandEntry& entry : kCommands)
        if (entry.command == command) return &entry;
    return nullptr;
}

bool IsRetriedOutcome(std::uint16_t outcome) {
    return outcome == kModuleNoAnswer || outcome == kModuleInvalidReply;
}

}  // namespace

CommandLimits LimitsOfCommand(int command) {
    const CommandEntry* entry = FindCommand(command);
    if (entry == nullptr) return {};
    return {true, entry->framed, entry->minData, entry->maxData, entry->returnsData};
}

CModuleInterface::CModuleInterface(std::uint32_t address) {
    tcp_.SetAddress(address, kModulePort, 0);
    udp_.SetAddress(address, kModulePort, 0);
}

CModuleInterface::~CModuleInterface() {
    udp_.Close();
    tcp_.Disconnect();
}

std::uint16_t CModuleInterface::DoCommand(std::uint32_t& countOut, int target, int command,
                                          int parameter, int length, std::uint8_t* buffer) {
    DebugLog("CModuleInterface::DoCommand(%d to %02X)", command, target & 0xFF);
    countOut = 0;
    const CommandEntry* entry = FindCommand(command);
    if (entry == nullptr) return kModuleOk;
    const CommandLimits limits = LimitsOfCommand(command);
    // The caller's length is the only measure of its buffer: a command that would read past it,
    // or overflow a length field, is refused before anything is built.
    const std::size_t given = length < 0 ? 0 : static_cast<std::size_t>(length);
    const bool tooLong = entry->usesLength && given > entry->maxData;
    const bool tooShort = entry->minData > 0 && given < entry->minData;
    if (length < 0 || tooLong || tooShort || (given > 0 && buffer == nullptr)) {
        DebugLog("CModuleInterface::DoCommand(): %d data bytes do not fit command %d", length,
                 command);
        return kModuleBadRequest;
    }
    const std::size_t sent = entry->usesLength ? given : std::min(given, entry->maxData);
    if (entry->framed)
        return FramedCommand(countOut, limits, static_cast<std::uint8_t>(target & 0xFF), command,
                             parameter, sent, buffer);
    return DatagramCommand(countOut, limits, command, parameter, sent, buffer);
}

std::uint16_t CModuleInterface::FramedCommand(std::uint32_t& countOut, const CommandLimits& limits,
                                              std::uint8_t target, int command, int parameter,
                                              std::size_t length, std::uint8_t* buffer) {
    const CommandEntry& entry = *FindCommand(command);
    Buffer request{};
    Buffer reply{};
    PresetFramedHeader(request);
    const std::uint8_t accessTarget = entry.ownTarget ? target : kFixedTarget;
    if (entry.codeOrOperation == kBlockWriteOperation && entry.ownTarget)
        return BlockWrite(request, reply, accessTarget, parameter, length, buffer);
    std::span<const std::uint8_t> data;
    if (entry.maxData == 1) {
        // Command 203 always carries one byte: the caller's first, or 0 without a buffer.
        request[kAccessDataOffset] = buffer != nullptr ? buffer[0] : 0;
        data = std::span(&request[kAccessDataOffset], 1);
    } else if (length > 0) {
        data = std::span(buffer, length);
    }
    SetAccessHeader(request, accessTarget, entry.codeOrOperation, 0, 0, data);
    const std::uint16_t result = SendRecvPacket(request, reply);
    if (result != kModuleOk || !limits.returnsData || buffer == nullptr) return result;
    const std::span<const std::uint8_t> replyData = FramedReplyData(reply);
    std::copy(replyData.begin(), replyData.end(), buffer);
    countOut = static_cast<std::uint32_t>(replyData.size());
    return result;
}

std::uint16_t CModuleInterface::BlockWrite(std::span<std::uint8_t, kBufferSize> request,
                                           std::span<std::uint8_t, kBufferSize> reply,
                                           std::uint8_t target, int parameter, std::size_t length,
                                           const std::uint8_t* buffer) {
    const auto parameterBits = static_cast<std::uint8_t>((parameter & 0x03) << kParameterShift);
    std::size_t offset = 0;
    int busyInARow = 0;
    while (offset < length) {
        const std::size_t chunk = std::min(kMaxChunk, length - offset);
        SetAccessHeader(request, target, kBlockWriteOperation, static_cast<std::uint16_t>(offset),
                        static_cast<std::uint8_t>(parameterBits | chunk),
                        std::span(buffer + offset, chunk));
        const std::uint16_t result = SendRecvPacket(request, reply);
        if (result == kModuleDeviceBusy) {
            if (++busyInARow > kMaxBusyInARow) return result;
            platform::SleepMs(kBusyPauseMs);
            continue;
        }
        if (result != kModuleOk) return result;
        offset += chunk;
        busyInARow = 0;
    }
    SetAccessHeader(request, target, kBlockCloseOperation, 0, parameterBits, {});
    std::uint16_t result = SendRecvPacket(request, reply);
    for (int sends = 1; result == kModuleDeviceBusy && sends < kMaxBusyInARow; ++sends) {
        platform::SleepMs(kBusyPauseMs);
        result = SendRecvPacket(request, reply);
    }
    return result;
}

std::uint16_t CModuleInterface::DatagramCommand(std::uint32_t& countOut,
                                                const CommandLimits& limits, int command,
                                                int parameter, std::size_t length,
                                                std::uint8_t* buffer) {
    const CommandEntry& entry = *FindCommand(command);
    Buffer request{};
    const std::uint16_t sequence = sequence_++;
    // Only 403 carries the caller's parameter word; the others send 0.
    const auto parameterWord =
        static_cast<std::uint16_t>(command == 403 ? (parameter & 0xFFFF) : 0);
    const std::size_t payload = std::max(length, entry.minData);
    BuildDatagram(request, entry.codeOrOperation, sequence, parameterWord,
                  std::span<const std::uint8_t>(buffer, buffer != nullptr ? payload : 0));
    if (!limits.returnsData) return SendRecvDatagram(request, nullptr, nullptr);
    std::uint32_t received = static_cast<std::uint32_t>(kBufferSize);
    const std::uint16_t result = SendRecvDatagram(request, &received, buffer);
    if (result == kModuleOk && buffer != nullptr) countOut = received;
    return result;
}

std::uint16_t CModuleInterface::SendRecvPacket(std::span<std::uint8_t, kBufferSize> request,
                                               std::span<std::uint8_t, kBufferSize> reply) {
    CompleteFramedRequest(request);
    const std::size_t requestLength = FramedLength(request);
    const auto readExactly = [this](std::span<std::uint8_t> into) {
        return tcp_.ReadData(into.data(), into.size()) == CTCPTransport::kOk;
    };
    std::uint16_t outcome = kModuleOk;
    int attempt = 0;
    // A status-7 reply sets no outcome of its own: after a failed attempt that failure stands and
    // the next attempt runs; as the first answer it ends the command with success.
    do {
        ++attempt;
        DumpPacket(Direction::Sent, std::span(request.data(), requestLength));
        if (tcp_.WriteData(request.data(), requestLength) != CTCPTransport::kOk)
            return kModuleNoAnswer;
        if (!ReadFramedReply(reply, readExactly)) {
            outcome = kModuleNoAnswer;
            continue;
        }
        const std::span<const std::uint8_t> whole(reply.data(), FramedLength(reply));
        DumpPacket(Direction::Received, whole);
        const FramedCheck check = ValidateFramedReply(request, whole);
        if (check != FramedCheck::Valid) {
            DebugLog("%s", FramedCheckMessage(check));
            DebugLog("CModuleInterface::SendRecvPacket(): invalid packet or CRC ERROR");
            outcome = kModuleInvalidReply;
            continue;
        }
        if (const auto result = ResultOfFramedStatus(FramedStatusCode(whole))) return *result;
    } while (IsRetriedOutcome(outcome) && attempt < kAttempts);
    return outcome;
}

std::uint16_t CModuleInterface::SendRecvDatagram(
    std::span<const std::uint8_t, kBufferSize> request, std::uint32_t* capacity,
    std::uint8_t* replyData) {
    const std::size_t size = DatagramSize(request);
    Buffer received;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        DumpPacket(Direction::Sent, request.first(size));
        if (udp_.WriteData(request.data(), size) != CUDPTransport::kOk) return kModuleNoAnswer;
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
        return kModuleOk;
    }
    return kModuleNoAnswer;
}

void CModuleInterface::DumpPacket(Direction direction, std::span<const std::uint8_t> bytes) {
    DebugLogHexRows(direction == Direction::Sent ? "WR: " : "RD: ", bytes);
}
