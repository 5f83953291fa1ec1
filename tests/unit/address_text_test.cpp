#include "netconfig/address_text.h"

#include <gtest/gtest.h>

namespace {

std::uint32_t FromBytes(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    std::uint32_t address = 0;
    auto* bytes = reinterpret_cast<std::uint8_t*>(&address);
    bytes[0] = a, bytes[1] = b, bytes[2] = c, bytes[3] = d;
    return address;
}

TEST(AddressText, MacIsUpperCaseColonSeparatedAndEmptyForZeros) {
    EXPECT_EQ(
        netconfig::FormatMacAddress(netconfig::MacAddress{0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E}),
        "00:0A:1B:2C:3D:4E");
    EXPECT_EQ(netconfig::FormatMacAddress(netconfig::MacAddress{}), "");
    EXPECT_EQ(netconfig::FormatMacAddress(netconfig::MacAddress{0, 0, 0, 0, 0, 1}),
              "00:00:00:00:00:01");
}

TEST(AddressText, IpIsDottedLowestAddressedByteFirst) {
    EXPECT_EQ(netconfig::FormatIpAddress(FromBytes(0xC0, 0xA8, 0x01, 0x0A)), "192.168.1.10");
    EXPECT_EQ(netconfig::FormatIpAddress(0), "0.0.0.0");
    EXPECT_EQ(netconfig::FormatIpAddress(0xFFFFFFFFu), "255.255.255.255");
}

TEST(AddressText, ParsesDottedQuadsStrictly) {
    std::uint32_t address = 0;
    ASSERT_TRUE(netconfig::ParseIpAddress("192.168.1.200", address));
    EXPECT_EQ(address, FromBytes(192, 168, 1, 200));
    EXPECT_EQ(static_cast<std::int32_t>(address), -939415360);

    address = 7;
    for (const char* bad : {"", "1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", "1.2.3.4 ", " 1.2.3.4",
                            "a.b.c.d", "1.2.3.-4", "1.2.3.0004", "1.2.3."}) {
        EXPECT_FALSE(netconfig::ParseIpAddress(bad, address)) << bad;
    }
    EXPECT_EQ(address, 7u);
}

TEST(AddressText, ParsesMacWithEitherSeparatorAndCase) {
    netconfig::MacAddress mac{};
    ASSERT_TRUE(netconfig::ParseMacAddress("00:0a:1B:2c:3D:4e", mac));
    EXPECT_EQ(mac, (netconfig::MacAddress{0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E}));
    ASSERT_TRUE(netconfig::ParseMacAddress("00-11-22-33-44-55", mac));
    EXPECT_EQ(mac[5], 0x55);
    for (const char* bad : {"", "00:11:22:33:44", "00:11:22:33:44:5G", "00:11-22:33:44:55",
                            "0011:22:33:44:55:", "00:11:22:33:44:55:66"}) {
        EXPECT_FALSE(netconfig::ParseMacAddress(bad, mac)) << bad;
    }
}

}  // namespace

TEST(AddressClasses, FirstOctetIsTheDottedFormsFirstNumberWhateverTheByteOrder) {
    std::uint32_t address = 0;
    ASSERT_TRUE(netconfig::ParseIpAddress("127.200.1.2", address));
    EXPECT_EQ(netconfig::FirstOctet(address), 127);
    EXPECT_TRUE(netconfig::IsLoopbackAddress(address));
    ASSERT_TRUE(netconfig::ParseIpAddress("126.0.0.127", address));
    EXPECT_FALSE(netconfig::IsLoopbackAddress(address));
}

TEST(AddressClasses, OneHostExcludesZeroBroadcastAndMulticast) {
    for (const char* text : {"0.0.0.0", "255.255.255.255", "224.0.0.1", "239.1.1.1", "240.0.0.1"}) {
        std::uint32_t address = 0;
        ASSERT_TRUE(netconfig::ParseIpAddress(text, address));
        EXPECT_FALSE(netconfig::IsSingleHostAddress(address)) << text;
    }
    for (const char* text : {"1.0.0.0", "223.255.255.254", "198.18.0.10", "127.0.0.1"}) {
        std::uint32_t address = 0;
        ASSERT_TRUE(netconfig::ParseIpAddress(text, address));
        EXPECT_TRUE(netconfig::IsSingleHostAddress(address)) << text;
    }
}
