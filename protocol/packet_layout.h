#pragma once
// Where every field of the module command protocol's two message formats lives. The builders,
// the validation, the simulator and the tests all read offsets and values from here.
#include <array>
#include <cstddef>
#include <cstdint>

namespace protocol {

namespace packet {

// Requests and replies are built and received in fixed buffers of this size.
inline constexpr std::size_t kBufferSize = 2048;
using Buffer = std::array<std::uint8_t, kBufferSize>;

inline constexpr std::uint16_t kModulePort = 9000;

// Framed packet: single-byte fields, then N payload bytes, then the CRC low byte first.
inline constexpr std::size_t kSync1Offset = 0;
inline constexpr std::size_t kSync2Offset = 1;
inline constexpr std::size_t kDestTypeOffset = 2;
inline constexpr std::size_t kDestAddressOffset = 3;
inline constexpr std::size_t kSourceTypeOffset = 4;
inline constexpr std::size_t kSourceAddressOffset = 5;
inline constexpr std::size_t kCommandOffset = 6;
inline constexpr std::size_t kStatusOffset = 7;
inline constexpr std::size_t kLengthOffset = 8;
inline constexpr std::size_t kPayloadOffset = 9;
inline constexpr std::size_t kCrcLength = 2;
inline constexpr std::size_t kFramedOverhead = kPayloadOffset + kCrcLength;  // 11
inline constexpr std::size_t kMaxFramedPayload = 255;

inline constexpr std::uint8_t kSync1 = 0xE2;
inline constexpr std::uint8_t kSync2 = 0xE4;
inline constexpr std::uint8_t kRequestDestType = 1;
inline constexpr std::uint8_t kAnyDeviceAddress = 0;
inline constexpr std::uint8_t kPanelType = 0xFF;
inline constexpr std::uint8_t kPanelAddress = 0xFF;
inline constexpr std::uint8_t kFramedCommand = 1;
inline constexpr std::uint8_t kReplyFlag = 0x80;
inline constexpr std::uint8_t kStatusCodeMask = 0x07;
// Two of the status codes a framed reply carries in its low three bits: the module is busy, or
// it could not do the request (the command interface maps them all).
inline constexpr std::uint8_t kFramedStatusBusy = 2;
inline constexpr std::uint8_t kFramedStatusError = 3;

// The access header at the start of every framed request's payload.
inline constexpr std::size_t kTargetOffset = 9;
inline constexpr std::size_t kOperationOffset = 10;
inline constexpr std::size_t kBlockOffsetLow = 11;
inline constexpr std::size_t kBlockOffsetHigh = 12;
inline constexpr std::size_t kChunkOffset = 13;  // parameter bits 7-6, chunk length bits 5-0
inline constexpr std::size_t kAccessDataOffset = 14;
inline constexpr std::size_t kAccessHeaderLength = 5;
inline constexpr unsigned kParameterShift = 6;
inline constexpr std::uint8_t kChunkLengthMask = (1u << kParameterShift) - 1;
inline constexpr std::uint8_t kFixedTarget = 0xFD;
inline constexpr std::size_t kMaxChunk = 31;
inline constexpr std::size_t kMaxFramedData = kMaxFramedPayload - kAccessHeaderLength;  // 250

// Datagram request: four little-endian words, the payload, one zero byte when it is odd.
inline constexpr std::size_t kCodeOffset = 0;
inline constexpr std::size_t kSequenceOffset = 2;
inline constexpr std::size_t kParameterOffset = 4;
inline constexpr std::size_t kPayloadLengthOffset = 6;
inline constexpr std::size_t kDatagramHeaderLength = 8;
inline constexpr std::size_t kMaxDatagramPayload = kBufferSize - kDatagramHeaderLength;  // 2040

// Datagram reply: status word, the sequence number it answers, data.
inline constexpr std::size_t kReplyStatusOffset = 0;
inline constexpr std::size_t kReplySequenceOffset = 2;
inline constexpr std::size_t kReplyDataOffset = 4;
inline constexpr std::size_t kMaxReplyData = kBufferSize - kReplyDataOffset;  // 2044
inline constexpr std::uint16_t kStatusOk = 0;
inline constexpr std::uint16_t kStatusBusy = 0x8001;
inline constexpr std::uint16_t kStatusError = 0x0001;  // as any other status but these two

inline std::uint16_t ReadWord(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}
inline void WriteWord(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace packet

}  // namespace protocol
