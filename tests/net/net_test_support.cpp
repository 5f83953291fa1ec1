#include "tests/net/net_test_support.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "netconfig/address_text.h"

namespace nettest {

std::uint32_t Ip(std::string_view text) {
    std::uint32_t address = 0;
    EXPECT_TRUE(netconfig::ParseIpAddress(text, address)) << text;
    return address;
}

std::string Hex(std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

std::string MagicThenZerosHex(std::string_view magic, std::size_t zeros) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(magic.data());
    return Hex({bytes, magic.size()}) + std::string(zeros * 2, '0');
}

void ExpectSentOnBothPorts(const std::vector<CapturedDatagram>& wire, const std::string& fromHost,
                           const std::string& toHost, const std::string& hex) {
    ASSERT_EQ(wire.size(), 2u);
    EXPECT_EQ(wire[0].from, fromHost + ":9100");
    EXPECT_EQ(wire[0].to, toHost + ":9100");
    EXPECT_EQ(wire[0].hex, hex);
    EXPECT_EQ(wire[1].from, fromHost + ":9101");
    EXPECT_EQ(wire[1].to, toHost + ":9101");
    EXPECT_EQ(wire[1].hex, hex);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace nettest
