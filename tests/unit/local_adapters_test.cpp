// Which rows of a made-up system address table become usable adapters.
#include "netconfig/local_adapters.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::uint32_t Address(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    const std::uint8_t bytes[4] = {a, b, c, d};
    std::uint32_t address = 0;
    std::memcpy(&address, bytes, 4);
    return address;
}

TEST(LocalAdapters, OnlyLoopbackGivesAnEmptyList) {
    EXPECT_TRUE(FilterAdapterAddresses({Address(127, 0, 0, 1)}).empty());
    EXPECT_TRUE(FilterAdapterAddresses({}).empty());
}

TEST(LocalAdapters, SkipsZeroFirstOctets127And255AndRepeatsKeepingTableOrder) {
    const std::vector<std::uint32_t> table = {
        Address(10, 0, 0, 5),   Address(0, 0, 0, 0),      Address(127, 0, 0, 1),
        Address(126, 0, 0, 1),  Address(255, 1, 2, 3),    Address(128, 0, 0, 1),
        Address(10, 0, 0, 5),   Address(192, 168, 1, 10), Address(127, 5, 5, 5),
        Address(0, 1, 2, 3),
    };
    const std::vector<std::uint32_t> expected = {Address(10, 0, 0, 5), Address(126, 0, 0, 1),
                                                 Address(128, 0, 0, 1), Address(192, 168, 1, 10),
                                                 Address(0, 1, 2, 3)};
    EXPECT_EQ(FilterAdapterAddresses(table), expected);
}

TEST(LocalAdapters, FirstOctetsWithTheHighBitAndLowSevenBitsSetAreBothSkipped) {
    // 127 = 0x7F and 255 = 0xFF; 254 = 0xFE and 63 = 0x3F are ordinary.
    EXPECT_EQ(FilterAdapterAddresses({Address(254, 0, 0, 1), Address(63, 0, 0, 1)}).size(), 2u);
}

}  // namespace
