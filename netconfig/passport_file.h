#pragma once
// The passport file: a 480-byte checksummed record of a module's passport data, written as
// 15 hexadecimal lines between "---DEVICEPASSPORT---" and "---DATAEND---", CR LF line ends.
#include <array>
#include <cstdint>
#include <string>

#include "netconfig/module_exchange.h"
#include "netconfig/wire_layout.h"
#include "platform/tick.h"

namespace netconfig {

using PassportRecord = std::array<std::uint8_t, wire::kPassportRecordLength>;

PassportRecord BuildPassportRecord(std::uint32_t deviceAddress, const PassportBuffer& passport);
// The whole file's text, 1027 bytes.
std::string FormatPassportFile(const PassportRecord& record);
// "passport_<MAC of buffer bytes 8-13>_<YYYYMMDDhhmmss>", no extension.
std::string ProposedPassportName(const PassportBuffer& passport, const platform::LocalTime& time);
// Creates or replaces the file, written whole beside it and renamed over it. False when it cannot
// be written (missing folder, no right to write, a folder or read-only file in the way); nothing
// half-written is left behind and an old file stays as it was.
bool WritePassportFile(const std::string& path, std::uint32_t deviceAddress,
                       const PassportBuffer& passport);

}  // namespace netconfig
