// How settings values turn into numbers and addresses.
#include <cstring>

#include "app/settings_file.h"
#include "app/text_chars.h"

namespace app {

std::int32_t ParseProfileInt(std::string_view value, std::int32_t defaultValue) {
    value = TrimLeadingBlanks(value);
    if (value.empty()) return defaultValue;
    std::size_t at = 0;

    bool negative = false;
    if (value[at] == '+' || value[at] == '-') negative = value[at++] == '-';
    unsigned base = 10;
    if (value.substr(at, 2) == "0x" || value.substr(at, 2) == "0X") {
        base = 16;
        at += 2;
    }
    // Unsigned arithmetic wraps, which is exactly "modulo 2^32".
    std::uint32_t magnitude = 0;
    for (; at < value.size(); ++at) {
        const int digit = HexDigitValue(value[at]);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) break;
        magnitude = magnitude * base + static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
}

std::int32_t AddressToSettingInt(std::uint32_t address) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &address, sizeof bytes);
    const std::uint32_t littleEndian =
        static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
        static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
    return static_cast<std::int32_t>(littleEndian);
}

std::uint32_t SettingIntToAddress(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
        static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    std::uint32_t address = 0;
    std::memcpy(&address, bytes, sizeof address);
    return address;
}

}  // namespace app
