#include "netconfig/passport_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "netconfig/wire_layout.h"
#include "platform/file_store.h"
#include "protocol/crc16.h"

namespace {

constexpr std::uint32_t kRecordFormat = 1;
constexpr std::size_t kFormatOffset = 0;
constexpr std::size_t kDataOffsetField = 4;
constexpr std::size_t kDataLengthField = 8;
constexpr std::size_t kAddressOffset = 12;
constexpr std::size_t kChecksumOffset = 16;
constexpr std::size_t kDataOffset = 62;
static_assert(kDataOffset + wire::kPassportStoredLength == wire::kPassportRecordLength);

constexpr std::size_t kBytesPerLine = 32;
constexpr const char* kFirstLine = "---DEVICEPASSPORT---";
constexpr const char* kLastLine = "---DATAEND---";
// Written explicitly, so the file is the same on every platform.
constexpr const char* kLineEnd = "\r\n";

void PutLittleEndian32(PassportRecord& record, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

PassportRecord BuildPassportRecord(std::uint32_t deviceAddress, const PassportBuffer& passport) {
    PassportRecord record{};
    PutLittleEndian32(record, kFormatOffset, kRecordFormat);
    PutLittleEndian32(record, kDataOffsetField, static_cast<std::uint32_t>(kDataOffset));
    PutLittleEndian32(record, kDataLengthField,
                      static_cast<std::uint32_t>(wire::kPassportStoredLength));
    std::memcpy(record.data() + kAddressOffset, &deviceAddress, sizeof deviceAddress);
    std::copy(passport.begin(), passport.end(), record.begin() + kDataOffset);
    // The checksum covers the whole record with its own two bytes still zero; low byte first.
    const std::uint16_t checksum = CalcCRC16(record);
    record[kChecksumOffset] = static_cast<std::uint8_t>(checksum & 0xFF);
    record[kChecksumOffset + 1] = static_cast<std::uint8_t>(checksum >> 8);
    return record;
}

std::string FormatPassportFile(const PassportRecord& record) {
    std::string text;
    text.reserve(1027);
    text.append(kFirstLine).append(kLineEnd);
    for (std::size_t line = 0; line < wire::kPassportRecordLength; line += kBytesPerLine) {
        for (std::size_t i = line; i < line + kBytesPerLine; ++i) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", record[i]);
            text.append(hex);
        }
        text.append(kLineEnd);
    }
    text.append(kLastLine).append(kLineEnd);
    return text;
}

std::string ProposedPassportName(const PassportBuffer& passport, const platform::LocalTime& time) {
    const auto* mac = passport.data() + wire::kPassportMac;
    char name[96];
    std::snprintf(name, sizeof name, "passport_%02X%02X%02X%02X%02X%02X_%04d%02d%02d%02d%02d%02d",
                  mac[0], mac[1], mac[2], mac[3], mac[4], mac[5], time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    return name;
}

bool WritePassportFile(const std::string& path, std::uint32_t deviceAddress,
                       const PassportBuffer& passport) {
    const std::string text = FormatPassportFile(BuildPassportRecord(deviceAddress, passport));
    // Written beside the target and renamed over it: a failure at any step leaves the old file
    // (or none), never a half-written one. Over an existing file in a folder the user may not
    // write, the file is rewritten in place instead (see ReplaceFileAtomically).
    platform::FileStamp written;
    return platform::ReplaceFileAtomically(path, text, written);
}
