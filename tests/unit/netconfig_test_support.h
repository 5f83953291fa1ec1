#pragma once
// Helpers shared by the configuration protocol tests.
#include <cstdint>
#include <cstring>

#include "netconfig/module_exchange.h"

// The 32-bit address whose bytes in memory order are a.b.c.d, as every datagram carries it.
inline std::uint32_t AddressOf(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    const std::uint8_t bytes[4] = {a, b, c, d};
    std::uint32_t address = 0;
    std::memcpy(&address, bytes, sizeof address);
    return address;
}

// The worked passport example: a module with MAC 00:0A:1B:2C:3D:4E at 192.168.1.10, every
// other byte of its passport 0.
inline const std::uint32_t kExampleDevice = AddressOf(192, 168, 1, 10);

inline netconfig::PassportBuffer ExamplePassport() {
    netconfig::PassportBuffer passport{};
    std::memcpy(passport.data(), "WiZnPaSs", 8);
    const std::uint8_t mac[6] = {0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E};
    std::memcpy(passport.data() + 8, mac, 6);
    return passport;
}
