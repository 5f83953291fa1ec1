#pragma once
// Helpers shared by the configuration protocol tests.
#include <cstdint>
#include <cstring>

// The 32-bit address whose bytes in memory order are a.b.c.d, as every datagram carries it.
inline std::uint32_t AddressOf(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    const std::uint8_t bytes[4] = {a, b, c, d};
    std::uint32_t address = 0;
    std::memcpy(&address, bytes, sizeof address);
    return address;
}
