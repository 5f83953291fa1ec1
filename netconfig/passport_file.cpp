#include "netconfig/passport_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "netconfig/wire_layout.h"
#include "platform/file_store.h"
#include "protocol/crc16.h"

namespace netconfig {

namespace {

using wire::kPassportFileBytesPerLine;
using wire::kPassportFileFirstLine;
using wire::kPassportFileLastLine;

// Written explicitly, so the file is the same on every platform.
constexpr const char* kLineEnd = "\r\n";

void PutLittleEndian32(PassportRecord& record, std::size_t offset, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i)
        record[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

PassportRecord BuildPassportRecord(std::uint32_t deviceAddress, const PassportBuffer& passport) {
    PassportRecord record{};
    PutLittleEndian32(record, wire::kPassportRecordFormatField, wire::kPassportRecordFormat);
    PutLittleEndian32(record, wire::kPassportRecordDataOffsetField,
                      static_cast<std::uint32_t>(wire::kPassportRecordData));
    PutLittleEndian32(record, wire::kPassportRecordDataLengthField,
                      static_cast<std::uint32_t>(wire::kPassportStoredLength));
    std::memcpy(record.data() + wire::kPassportRecordAddress, &deviceAddress, sizeof deviceAddress);
    std::copy(passport.begin(), passport.end(), record.begin() + wire::kPassportRecordData);
    // The checksum covers the whole record with its own two bytes still zero; low byte first.
    const std::uint16_t checksum = protocol::CalcCRC16(record);
    record[wire::kPassportRecordChecksum] = static_cast<std::uint8_t>(checksum & 0xFF);
    record[wire::kPassportRecordChecksum + 1] = static_cast<std::uint8_t>(checksum >> 8);
    return record;
}

std::string FormatPassportFile(const PassportRecord& record) {
    std::string text;
    text.reserve(1027);
    text.append(kPassportFileFirstLine).append(kLineEnd);
    for (std::size_t line = 0; line < wire::kPassportRecordLength;
         line += kPassportFileBytesPerLine) {
        for (std::size_t i = line; i < line + kPassportFileBytesPerLine; ++i) {
            char hex[3];
            std::snprintf(hex, sizeof hex, "%02X", record[i]);
            text.append(hex);
        }
        text.append(kLineEnd);
    }
    text.append(kPassportFileLastLine).append(kLineEnd);
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

}  // namespace netconfig
