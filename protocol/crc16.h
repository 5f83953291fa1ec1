#pragma once
#include <cstdint>
#include <span>

namespace protocol {

// CRC-16/MODBUS (reflected polynomial 0xA001, initial 0xFFFF, no final XOR), computed with the
// high-byte and low-byte tables published for Modbus over serial line. Check value: 0x4B37
// over "123456789". Callers store the result low byte first.
std::uint16_t CalcCRC16(std::span<const std::uint8_t> bytes);

}  // namespace protocol
