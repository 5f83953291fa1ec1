#pragma once
// Numbers and bytes written as text by people: the command line, the simulator's configuration,
// addresses, the remote's skin. One reader of decimal digits and one of hexadecimal bytes.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace app {

// Decimal digits only, between 1 and maxDigits of them (leading zeros count; at most 19), of a
// value no greater than maximum. False leaves value untouched.
bool ParseDecimal(std::string_view text, std::size_t maxDigits, std::uint64_t maximum,
                  std::uint64_t& value);

// Exactly 2 * bytes.size() hexadecimal digits of either letter case, nothing between them,
// first byte first. False when any is not a digit; bytes are then unspecified.
bool DecodeHex(std::string_view digits, std::span<std::uint8_t> bytes);

}  // namespace app
