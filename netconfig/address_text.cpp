#include "netconfig/address_text.h"

#include <cstdio>
#include <cstring>

#include "app/number_text.h"

namespace netconfig {

namespace {

bool ParseDecimalOctet(std::string_view text, std::uint8_t& octet) {
    std::uint64_t value = 0;
    if (!app::ParseDecimal(text, 3, 255, value)) return false;
    octet = static_cast<std::uint8_t>(value);
    return true;
}

}  // namespace

std::string FormatMacAddress(std::span<const std::uint8_t, wire::kMacLength> mac) {
    bool allZero = true;
    for (const auto byte : mac) allZero = allZero && byte == 0;
    if (allZero) return {};
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2],
                  mac[3], mac[4], mac[5]);
    return text;
}

std::string FormatIpAddress(std::uint32_t address) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&address);
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}

bool ParseIpAddress(std::string_view text, std::uint32_t& address) {
    std::uint32_t parsed = 0;
    auto* bytes = reinterpret_cast<std::uint8_t*>(&parsed);
    for (std::size_t i = 0; i < wire::kAddressLength; ++i) {
        const auto dot = text.find('.');
        const bool last = i + 1 == wire::kAddressLength;
        if (last != (dot == std::string_view::npos)) return false;
        if (!ParseDecimalOctet(text.substr(0, dot), bytes[i])) return false;
        text = last ? std::string_view{} : text.substr(dot + 1);
    }
    address = parsed;
    return true;
}

bool ParseMacAddress(std::string_view text, MacAddress& mac) {
    if (text.size() != 17) return false;
    const char separator = text[2];
    if (separator != ':' && separator != '-') return false;
    MacAddress parsed{};
    for (std::size_t i = 0; i < parsed.size(); ++i) {
        const std::size_t at = i * 3;
        if (i > 0 && text[at - 1] != separator) return false;
        if (!app::DecodeHex(text.substr(at, 2), std::span(&parsed[i], 1))) return false;
    }
    mac = parsed;
    return true;
}

std::uint8_t FirstOctet(std::uint32_t address) {
    std::uint8_t octet = 0;
    std::memcpy(&octet, &address, 1);
    return octet;
}

bool IsLoopbackAddress(std::uint32_t address) { return FirstOctet(address) == 127; }

bool IsSingleHostAddress(std::uint32_t address) {
    return address != 0 && FirstOctet(address) < 224;
}

std::uint32_t DottedOrder(std::uint32_t address) {
    std::uint8_t octets[wire::kAddressLength];
    std::memcpy(octets, &address, sizeof octets);
    return std::uint32_t{octets[0]} << 24 | std::uint32_t{octets[1]} << 16 |
           std::uint32_t{octets[2]} << 8 | octets[3];
}

std::uint32_t FromDottedOrder(std::uint32_t value) {
    const std::uint8_t octets[wire::kAddressLength] = {
        static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
        static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    std::uint32_t address = 0;
    std::memcpy(&address, octets, sizeof octets);
    return address;
}

}  // namespace netconfig
