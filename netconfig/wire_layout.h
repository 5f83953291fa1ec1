#pragma once
// Byte layouts of the configuration datagrams, defined once: the exchanges build and check
// them from here and the module simulator answers from here. Addresses in these datagrams are
// IPv4 in network byte order; there is no checksum, length or sequence field.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace netconfig {

namespace wire {

constexpr std::uint16_t kPortA = 9100;
constexpr std::uint16_t kPortB = 9101;
constexpr std::array<std::uint16_t, 2> kPorts = {kPortA, kPortB};

constexpr std::size_t kMagicLength = 8;
constexpr std::size_t kAddressLength = 4;  // IPv4, network byte order
constexpr std::size_t kMacLength = 6;
constexpr std::string_view kReadSwitcherMagic = "WiZnInTr";
constexpr std::string_view kSwitcherReplyMagic = "WiZnInTc";
constexpr std::string_view kSwitcherReplyAltMagic = "WiZnSwTc";
constexpr std::string_view kWriteSwitcherMagic = "WiZnInTw";
constexpr std::string_view kReadPassportMagic = "WiZnGpAs";
constexpr std::string_view kPassportReplyMagic = "WiZnPaSs";
constexpr std::string_view kListMagic = "WiZnLiSt";
constexpr std::string_view kHelloMagic = "WiZnHeLo";
constexpr std::string_view kSetNetworkMagic = "TiBbsEtA";

// The most a reply may bring: the receive buffer of every exchange; longer datagrams are cut.
constexpr std::size_t kReceiveBufferSize = 1024;

// "WiZnInTr" and "WiZnGpAs" requests: magic, then zeros.
constexpr std::size_t kQueryRequestLength = 26;

// "WiZnInTc" / "WiZnSwTc" reply.
constexpr std::size_t kSwitcherReplyMinLength = 11;
constexpr std::size_t kSwitcherReplyStatusA = 8;
constexpr std::size_t kSwitcherReplyStatusB = 9;
// What a good reply carries there.
constexpr std::array<std::uint8_t, 2> kSwitcherReplyStatusValues = {1, 0};
constexpr std::size_t kSwitcherReplyAddress = 11;  // 4 bytes
constexpr std::size_t kSwitcherReplyFieldsEnd = kSwitcherReplyAddress + kAddressLength;
// What a module sends: as long as the request, zeros after the address.
constexpr std::size_t kSwitcherReplyModuleLength = 26;

// "WiZnInTw" request: magic, 1, 0, 0, address, four zeros.
constexpr std::size_t kWriteSwitcherLength = 19;
constexpr std::size_t kWriteSwitcherFlag = 8;
constexpr std::uint8_t kWriteSwitcherFlagValue = 1;
constexpr std::size_t kWriteSwitcherAddress = 11;  // 4 bytes
constexpr std::size_t kWriteSwitcherFieldsEnd = kWriteSwitcherAddress + kAddressLength;

// "WiZnPaSs" reply.
constexpr std::size_t kPassportReplyMinLength = 290;
constexpr std::size_t kPassportStoredLength = 418;
constexpr std::size_t kPassportMac = 8;                                // 6 bytes
constexpr std::size_t kPassportFieldsEnd = kPassportMac + kMacLength;  // passport data follows

// The passport file's record: a header of little-endian integers, then the stored passport,
// under one checksum computed with the checksum's own two bytes zero.
constexpr std::size_t kPassportRecordLength = 480;
constexpr std::uint32_t kPassportRecordFormat = 1;
constexpr std::size_t kPassportRecordFormatField = 0;
constexpr std::size_t kPassportRecordDataOffsetField = 4;
constexpr std::size_t kPassportRecordDataLengthField = 8;
constexpr std::size_t kPassportRecordAddress = 12;   // 4 bytes, as on the wire
constexpr std::size_t kPassportRecordChecksum = 16;  // 2 bytes, low byte first
constexpr std::size_t kPassportRecordData = 62;
static_assert(kPassportRecordData + kPassportStoredLength == kPassportRecordLength);

// The passport file: the record as hexadecimal lines between two marker lines.
constexpr std::size_t kPassportFileBytesPerLine = 32;
constexpr std::string_view kPassportFileFirstLine = "---DEVICEPASSPORT---";
constexpr std::string_view kPassportFileLastLine = "---DATAEND---";

// Both broadcast requests have one length.
constexpr std::size_t kBroadcastRequestLength = 26;

// "WiZnLiSt" request: magic, query code big-endian, zeros.
constexpr std::size_t kListRequestLength = kBroadcastRequestLength;
constexpr std::size_t kListQueryCode = 8;  // 2 bytes, high byte first

// "WiZnHeLo" reply; its first 30 bytes are a hello record.
constexpr std::size_t kHelloRecordLength = 30;
constexpr std::size_t kHelloMinLength = kHelloRecordLength;
constexpr std::size_t kHelloMac = 8;                                     // 6 bytes
constexpr std::size_t kHelloIp = 14;                                     // 4 bytes
constexpr std::size_t kHelloMask = 18;                                   // 4 bytes
constexpr std::size_t kHelloGateway = 22;                                // 4 bytes
constexpr std::size_t kHelloFieldsEnd = kHelloGateway + kAddressLength;  // then 4 bytes unread

// "TiBbsEtA" request: magic, MAC, IP, mask, gateway; no reply.
constexpr std::size_t kSetNetworkLength = kBroadcastRequestLength;
constexpr std::size_t kSetNetworkMac = 8;
constexpr std::size_t kSetNetworkIp = 14;
constexpr std::size_t kSetNetworkMask = 18;
constexpr std::size_t kSetNetworkGateway = 22;

inline bool HasMagic(std::span<const std::uint8_t> datagram, std::string_view magic) {
    return datagram.size() >= kMagicLength &&
           std::memcmp(datagram.data(), magic.data(), kMagicLength) == 0;
}

inline void PutMagic(std::span<std::uint8_t> datagram, std::string_view magic) {
    std::memcpy(datagram.data(), magic.data(), kMagicLength);
}

// Addresses travel in memory order, so they are copied, never byte-swapped.
inline std::uint32_t GetAddress(std::span<const std::uint8_t> datagram, std::size_t offset) {
    std::uint32_t address = 0;
    std::memcpy(&address, datagram.data() + offset, sizeof address);
    return address;
}

inline void PutAddress(std::span<std::uint8_t> datagram, std::size_t offset,
                       std::uint32_t address) {
    std::memcpy(datagram.data() + offset, &address, sizeof address);
}

}  // namespace wire

}  // namespace netconfig
