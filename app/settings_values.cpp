// How settings values turn into numbers and addresses.
#include <cstring>

#include "app/settings_file.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

int DigitValue(char c, unsigned base) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    return digit >= 0 && static_cast<unsigned>(digit) < base ? digit : -1;
}

}  // namespace

std::int32_t ParseProfileInt(std::string_view value, std::int32_t defaultValue) {
    std::size_t at = 0;
    while (at < value.size() && IsBlank(value[at])) ++at;
    if (at == value.size()) return defaultValue;

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
        const int digit = DigitValue(value[at], base);
        if (digit < 0) break;
        magnitude = magnitude * base + static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(negative ? 0u - magnitude : magnitude);
}

std::int32_t AddressToSettingInt(std::uint32_t address) {
    std::uint8_t bytes[4];
    std::memcpy(bytes, &address, sizeof bytes);
    const std::uint32_t littleEndian = static_cast<std::uint32_t>(bytes[0]) |
                                       static_cast<std::uint32_t>(bytes[1]) << 8 |
                                       static_cast<std::uint32_t>(bytes[2]) << 16 |
                                       static_cast<std::uint32_t>(bytes[3]) << 24;
    return static_cast<std::int32_t>(littleEndian);
}

std::uint32_t SettingIntToAddress(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                                   static_cast<std::uint8_t>(bits >> 16),
                                   static_cast<std::uint8_t>(bits >> 24)};
    std::uint32_t address = 0;
    std::memcpy(&address, bytes, sizeof address);
    return address;
}
