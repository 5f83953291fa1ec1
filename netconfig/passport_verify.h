#pragma once
// Reading a passport file back: whether it is exactly what the passport writer writes (line ends
// CR LF or LF), and the device address and module MAC address it carries. Service staff receive
// these files by mail and must be able to tell a damaged one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "netconfig/address_text.h"
#include "netconfig/passport_file.h"

namespace netconfig {

// Far more than any passport file (1027 bytes with CR LF); larger input is refused unread.
constexpr std::size_t kMaxPassportFileSize = 4096;

struct PassportCheck {
    bool valid = false;
    // The first problem found, "line N: ..." or about the whole file; empty when valid.
    std::string problem;
    // Set once the 15 data lines were read, also when a later check fails.
    bool decoded = false;
    PassportRecord record{};
    std::uint32_t deviceAddress = 0;  // network byte order
    MacAddress mac{};                 // from the passport data
};

PassportCheck VerifyPassportText(std::string_view text);

}  // namespace netconfig
