#include "protocol/crc16.h"

#include <array>
#include <gtest/gtest.h>
#include <string_view>

namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Bit-by-bit reference, independent of the tables.
std::uint16_t ReferenceCrc(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0xFFFF;
    for (const auto byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

TEST(Crc16, CheckValueOverTheNineDigits) {
    EXPECT_EQ(protocol::CalcCRC16(Bytes("123456789")), 0x4B37);
}

TEST(Crc16, EmptyInputIsTheInitialValue) { EXPECT_EQ(protocol::CalcCRC16({}), 0xFFFF); }

TEST(Crc16, TablesAgreeWithTheBitwiseDefinitionForEveryByteValue) {
    for (int value = 0; value < 256; ++value) {
        const std::array<std::uint8_t, 3> frame = {static_cast<std::uint8_t>(value), 0x5A,
                                                   static_cast<std::uint8_t>(255 - value)};
        ASSERT_EQ(protocol::CalcCRC16(frame), ReferenceCrc(frame)) << "first byte " << value;
    }
}

TEST(Crc16, AFrameWithItsCrcAppendedLowByteFirstChecksToZero) {
    std::array<std::uint8_t, 8> frame = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A};
    const std::uint16_t crc = protocol::CalcCRC16(std::span(frame).first(6));
    frame[6] = static_cast<std::uint8_t>(crc & 0xFF);
    frame[7] = static_cast<std::uint8_t>(crc >> 8);
    EXPECT_EQ(crc, 0xCDC5);  // the well-known read-holding-registers request
    EXPECT_EQ(protocol::CalcCRC16(frame), 0x0000);

    frame[2] ^= 0x01;  // one flipped bit is always caught
    EXPECT_NE(protocol::CalcCRC16(frame), 0x0000);
}

}  // namespace
