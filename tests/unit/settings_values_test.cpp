#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "app/settings_file.h"

namespace {

TEST(ProfileInt, ReadsValuesAsTheWindowsProfileFunctionsDo) {
    struct Case {
        const char* text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"-939415360", -939415360},
        {" 42 ", 42},
        {"+7", 7},
        {"12abc", 12},
        {"abc", 0},
        {"0x10", 16},
        {"0XfF", 255},
        {"4294967295", -1},
        {"99999999999", 1215752191},
        {"-2147483648", INT32_MIN},
        {"2147483647", INT32_MAX},
        {"2147483648", INT32_MIN},
        {"-0x10", -16},
        {"0x", 0},
        {"- 5", 0},
        {"\t-3", -3},
        {"010", 10},
        {"7 8", 7},
    };
    for (const auto& c : cases) EXPECT_EQ(app::ParseProfileInt(c.text, 99), c.expected) << c.text;
}

TEST(ProfileInt, EmptyOrBlankValueGivesTheCallersDefault) {
    EXPECT_EQ(app::ParseProfileInt("", -1), -1);
    EXPECT_EQ(app::ParseProfileInt("   \t", 77), 77);
}

TEST(AddressSetting, StoresAddressesAsLittleEndianSignedIntegers) {
    struct Case {
        std::uint8_t bytes[4];
        std::int32_t stored;
    };
    const Case cases[] = {
        {{192, 168, 1, 10}, 167880896},   {{10, 0, 0, 1}, 16777226},
        {{192, 168, 1, 200}, -939415360}, {{255, 255, 255, 255}, -1},
        {{0, 0, 0, 128}, INT32_MIN},
    };
    for (const auto& c : cases) {
        std::uint32_t address = 0;
        std::memcpy(&address, c.bytes, 4);
        EXPECT_EQ(app::AddressToSettingInt(address), c.stored);
        EXPECT_EQ(app::SettingIntToAddress(c.stored), address);
    }
}

}  // namespace
