#pragma once
// Text forms of addresses. Addresses are 32-bit IPv4 values in network byte order (first number
// of the dotted form in the lowest-addressed byte); MAC addresses are 6 bytes, first byte first.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "netconfig/wire_layout.h"

namespace netconfig {

using MacAddress = std::array<std::uint8_t, wire::kMacLength>;

// "%02X:%02X:%02X:%02X:%02X:%02X"; the empty text for six zero bytes.
std::string FormatMacAddress(std::span<const std::uint8_t, wire::kMacLength> mac);
// "%d.%d.%d.%d", lowest-addressed byte first.
std::string FormatIpAddress(std::uint32_t address);

// Strict dotted-quad parsing for the command line and the simulator's configuration: four
// decimal numbers 0-255, nothing else. False leaves the output untouched.
bool ParseIpAddress(std::string_view text, std::uint32_t& address);
// Six two-digit hexadecimal bytes separated by ':' or '-', either letter case.
bool ParseMacAddress(std::string_view text, MacAddress& mac);

// The first number of the dotted form.
std::uint8_t FirstOctet(std::uint32_t address);
// The address as a number in the dotted form's order (first number most significant), so that
// addresses compare, count and mask as a person reads them; and back.
std::uint32_t DottedOrder(std::uint32_t address);
std::uint32_t FromDottedOrder(std::uint32_t value);
// 127.x.x.x.
bool IsLoopbackAddress(std::uint32_t address);
// One host: not 0.0.0.0, not broadcast and not multicast (first number 224 and up).
bool IsSingleHostAddress(std::uint32_t address);

}  // namespace netconfig
