// Which rows of a made-up system address table become usable adapters.
#include "netconfig/local_adapters.h"

#include <gtest/gtest.h>

#include "tests/unit/netconfig_test_support.h"

namespace {

using platform::InterfaceAddress;

InterfaceAddress Up(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return {AddressOf(a, b, c, d), true};
}
InterfaceAddress Down(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    return {AddressOf(a, b, c, d), false};
}

TEST(LocalAdapters, OnlyLoopbackGivesAnEmptyList) {
    EXPECT_TRUE(netconfig::FilterAdapterAddresses({Up(127, 0, 0, 1)}).empty());
    EXPECT_TRUE(netconfig::FilterAdapterAddresses({}).empty());
}

TEST(LocalAdapters, SkipsZeroFirstOctets127And255AndRepeatsKeepingTableOrder) {
    const std::vector<InterfaceAddress> table = {
        Up(10, 0, 0, 5),  Up(0, 0, 0, 0),  Up(127, 0, 0, 1),    Up(126, 0, 0, 1), Up(255, 1, 2, 3),
        Up(128, 0, 0, 1), Up(10, 0, 0, 5), Up(192, 168, 1, 10), Up(127, 5, 5, 5), Up(0, 1, 2, 3),
    };
    const std::vector<std::uint32_t> expected = {AddressOf(10, 0, 0, 5), AddressOf(126, 0, 0, 1),
                                                 AddressOf(128, 0, 0, 1),
                                                 AddressOf(192, 168, 1, 10), AddressOf(0, 1, 2, 3)};
    EXPECT_EQ(netconfig::FilterAdapterAddresses(table), expected);
}

TEST(LocalAdapters, FirstOctetsWithTheHighBitAndLowSevenBitsSetAreBothSkipped) {
    // 127 = 0x7F and 255 = 0xFF; 254 = 0xFE and 63 = 0x3F are ordinary.
    EXPECT_EQ(netconfig::FilterAdapterAddresses({Up(254, 0, 0, 1), Up(63, 0, 0, 1)}).size(), 2u);
}

TEST(LocalAdapters, AdaptersThatAreDownAreLeftOut) {
    EXPECT_TRUE(netconfig::FilterAdapterAddresses({Down(192, 168, 1, 10)}).empty());
    // An address on a down interface does not hold the place of the same address on an up one.
    const std::vector<InterfaceAddress> table = {Down(10, 0, 0, 1), Up(10, 0, 0, 2),
                                                 Down(172, 16, 0, 1), Up(10, 0, 0, 1)};
    const std::vector<std::uint32_t> expected = {AddressOf(10, 0, 0, 2), AddressOf(10, 0, 0, 1)};
    EXPECT_EQ(netconfig::FilterAdapterAddresses(table), expected);
}

TEST(LocalAdapters, TheSystemTableIsTakenInAscendingAddressOrder) {
    // Byte order matters: 10.0.0.2 is a larger 32-bit value in memory order than 192.168.1.1
    // on a little-endian machine, yet comes first.
    std::vector<InterfaceAddress> table = {Up(192, 168, 1, 1), Up(10, 0, 0, 2), Up(127, 0, 0, 1),
                                           Down(10, 0, 0, 1), Up(172, 16, 0, 1)};
    netconfig::SortAddressTable(table);
    const std::vector<std::uint32_t> expected = {AddressOf(10, 0, 0, 1), AddressOf(10, 0, 0, 2),
                                                 AddressOf(127, 0, 0, 1), AddressOf(172, 16, 0, 1),
                                                 AddressOf(192, 168, 1, 1)};
    ASSERT_EQ(table.size(), expected.size());
    for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(table[i].address, expected[i]) << i;
    EXPECT_FALSE(table[0].up);  // a row keeps its own state when it moves
}

}  // namespace
