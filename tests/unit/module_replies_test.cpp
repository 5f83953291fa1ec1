// The unicast datagrams byte for byte, and what the exchanges accept as a reply. Nothing here
// touches a socket.
#include "netconfig/module_replies.h"

#include <gtest/gtest.h>

#include "tests/unit/netconfig_test_support.h"

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Datagram(std::string_view magic, std::size_t length, std::uint8_t fill = 0) {
    Bytes bytes(length, fill);
    std::copy_n(magic.begin(), std::min(magic.size(), length), bytes.begin());
    return bytes;
}

Bytes SwitcherReply(std::string_view magic, std::size_t length, std::uint8_t status8,
                    std::uint8_t status9) {
    Bytes reply = Datagram(magic, length);
    reply[8] = status8;
    reply[9] = status9;
    const std::uint8_t address[4] = {10, 1, 2, 3};
    for (std::size_t i = 0; i < 4 && 11 + i < length; ++i) reply[11 + i] = address[i];
    return reply;
}

TEST(ModuleRequests, QueryRequestsAreTheirMagicFollowedByEighteenZeros) {
    const auto read = netconfig::BuildReadSwitcherRequest();
    const auto passport = netconfig::BuildReadPassportRequest();
    EXPECT_EQ(Bytes(read.begin(), read.end()), Datagram("WiZnInTr", 26));
    EXPECT_EQ(Bytes(passport.begin(), passport.end()), Datagram("WiZnGpAs", 26));
}

TEST(ModuleRequests, WriteRequestCarriesOneZeroZeroThenTheAddressThenZeros) {
    const auto request = netconfig::BuildWriteSwitcherRequest(AddressOf(192, 168, 1, 200));
    Bytes expected = Datagram("WiZnInTw", 19);
    const std::uint8_t tail[] = {1, 0, 0, 192, 168, 1, 200, 0, 0, 0, 0};
    std::copy(std::begin(tail), std::end(tail), expected.begin() + 8);
    EXPECT_EQ(Bytes(request.begin(), request.end()), expected);
}

TEST(ExchangeReplyRule, ShorterDatagramIsDroppedAndLongerOneIsCutToCapacity) {
    std::array<std::uint8_t, 4> reply{9, 9, 9, 9};
    std::size_t stored = 77;
    const Bytes tenBytes(10, 0xAB);
    EXPECT_FALSE(netconfig::TakeSufficientDatagram(tenBytes, 11, reply, stored));
    EXPECT_EQ(stored, 77u);
    EXPECT_EQ(reply, (std::array<std::uint8_t, 4>{9, 9, 9, 9}));

    EXPECT_TRUE(netconfig::TakeSufficientDatagram(tenBytes, 10, reply, stored));
    EXPECT_EQ(stored, 4u);
    EXPECT_EQ(reply, (std::array<std::uint8_t, 4>{0xAB, 0xAB, 0xAB, 0xAB}));
}

TEST(SwitcherReply, BothMagicsWithStatusOneZeroGiveBytesElevenToFourteen) {
    for (const auto magic : {"WiZnInTc", "WiZnSwTc"}) {
        std::uint32_t switcher = 0;
        EXPECT_TRUE(netconfig::CheckSwitcherReply(SwitcherReply(magic, 26, 1, 0), switcher))
            << magic;
        EXPECT_EQ(switcher, AddressOf(10, 1, 2, 3)) << magic;
    }
}

TEST(SwitcherReply, ElevenByteReplyGivesZeroAddressAndPartialOneIsZeroFilled) {
    std::uint32_t switcher = 0xFFFFFFFFu;
    EXPECT_TRUE(netconfig::CheckSwitcherReply(SwitcherReply("WiZnInTc", 11, 1, 0), switcher));
    EXPECT_EQ(switcher, 0u);
    EXPECT_TRUE(netconfig::CheckSwitcherReply(SwitcherReply("WiZnInTc", 13, 1, 0), switcher));
    EXPECT_EQ(switcher, AddressOf(10, 1, 0, 0));
}

TEST(SwitcherReply, WrongStatusMagicOrLengthFailsAndKeepsTheAddress) {
    const Bytes refused[] = {
        SwitcherReply("WiZnInTc", 11, 2, 0),  // byte 8 = 2
        SwitcherReply("WiZnInTc", 26, 1, 1),  // byte 9 = 1
        SwitcherReply("WiZnPaSs", 26, 1, 0),
        SwitcherReply("wiznintc", 26, 1, 0),  // the magic is case-sensitive
        SwitcherReply("WiZnInTc", 10, 1, 0),
    };
    for (const auto& reply : refused) {
        std::uint32_t switcher = 42;
        EXPECT_FALSE(netconfig::CheckSwitcherReply(reply, switcher));
        EXPECT_EQ(switcher, 42u);
    }
}

TEST(PassportReply, LongReplyIsCutTo418Bytes) {
    netconfig::PassportBuffer passport{};
    EXPECT_TRUE(netconfig::AcceptPassportDatagram(Datagram("WiZnPaSs", 600, 0x5A), passport));
    EXPECT_EQ(passport[417], 0x5A);
    EXPECT_EQ(std::string(passport.begin(), passport.begin() + 8), "WiZnPaSs");
}

TEST(PassportReply, ShortReplyLeavesTheRestOfTheBufferZero) {
    netconfig::PassportBuffer passport;
    passport.fill(0xEE);
    EXPECT_TRUE(netconfig::AcceptPassportDatagram(Datagram("WiZnPaSs", 300, 0x5A), passport));
    EXPECT_EQ(passport[299], 0x5A);
    for (std::size_t i = 300; i < passport.size(); ++i) ASSERT_EQ(passport[i], 0) << i;
}

TEST(PassportReply, TooShortOrWrongMagicIsRefused) {
    netconfig::PassportBuffer passport;
    passport.fill(0xEE);
    EXPECT_FALSE(netconfig::AcceptPassportDatagram(Datagram("WiZnPaSs", 289, 0x5A), passport));
    EXPECT_EQ(passport, netconfig::PassportBuffer{});  // cleared before anything else
    EXPECT_FALSE(netconfig::AcceptPassportDatagram(Datagram("WiZnPaSx", 290, 0x5A), passport));
    EXPECT_TRUE(netconfig::AcceptPassportDatagram(Datagram("WiZnPaSs", 290), passport));
}

TEST(ModuleExchange, RefusesMissingBuffersBeforeOpeningAnySocket) {
    std::uint8_t reply[8];
    const std::uint8_t request[1] = {0};
    EXPECT_FALSE(netconfig::ExchangeModuleDatagram(0, 0, nullptr, 26, reply, sizeof reply, 1));
    EXPECT_FALSE(netconfig::ExchangeModuleDatagram(0, 0, request, 0, reply, sizeof reply, 1));
    EXPECT_FALSE(netconfig::ExchangeModuleDatagram(0, 0, request, 1, nullptr, 8, 1));
}

}  // namespace
