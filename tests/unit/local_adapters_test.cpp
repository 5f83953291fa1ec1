// Which rows of a made-up system address table become usable adapters.
#include "netconfig/local_adapters.h"

#include <gtest/gtest.h>

#include "tests/unit/netconfig_test_support.h"

#include <cstring>

namespace {

TEST(LocalAdapters, OnlyLoopbackGivesAnEmptyList) {
    EXPECT_TRUE(FilterAdapterAddresses({AddressOf(127, 0, 0, 1)}).empty());
    EXPECT_TRUE(FilterAdapterAddresses({}).empty());
}

TEST(LocalAdapters, SkipsZeroFirstOctets127And255AndRepeatsKeepingTableOrder) {
    const std::vector<std::uint32_t> table = {
        AddressOf(10, 0, 0, 5),   AddressOf(0, 0, 0, 0),      AddressOf(127, 0, 0, 1),
        AddressOf(126, 0, 0, 1),  AddressOf(255, 1, 2, 3),    AddressOf(128, 0, 0, 1),
        AddressOf(10, 0, 0, 5),   AddressOf(192, 168, 1, 10), AddressOf(127, 5, 5, 5),
        AddressOf(0, 1, 2, 3),
    };
    const std::vector<std::uint32_t> expected = {AddressOf(10, 0, 0, 5), AddressOf(126, 0, 0, 1),
                                                 AddressOf(128, 0, 0, 1), AddressOf(192, 168, 1, 10),
                                                 AddressOf(0, 1, 2, 3)};
    EXPECT_EQ(FilterAdapterAddresses(table), expected);
}

TEST(LocalAdapters, FirstOctetsWithTheHighBitAndLowSevenBitsSetAreBothSkipped) {
    // 127 = 0x7F and 255 = 0xFF; 254 = 0xFE and 63 = 0x3F are ordinary.
    EXPECT_EQ(FilterAdapterAddresses({AddressOf(254, 0, 0, 1), AddressOf(63, 0, 0, 1)}).size(), 2u);
}

TEST(LocalAdapters, TheSystemTableIsTakenInAscendingAddressOrder) {
    // Byte order matters: 10.0.0.2 is a larger 32-bit value in memory order than 192.168.1.1
    // on a little-endian machine, yet comes first.
    std::vector<std::uint32_t> table = {AddressOf(192, 168, 1, 1), AddressOf(10, 0, 0, 2),
                                        AddressOf(127, 0, 0, 1), AddressOf(10, 0, 0, 1),
                                        AddressOf(172, 16, 0, 1)};
    SortAddressTable(table);
    const std::vector<std::uint32_t> expected = {AddressOf(10, 0, 0, 1), AddressOf(10, 0, 0, 2),
                                                 AddressOf(127, 0, 0, 1), AddressOf(172, 16, 0, 1),
                                                 AddressOf(192, 168, 1, 1)};
    EXPECT_EQ(table, expected);
}

}  // namespace
