#include <gtest/gtest.h>

#include "netconfig/wire_layout.h"
#include "sim/capture_log.h"
#include "sim/module_responder.h"
#include "tests/net/net_test_support.h"

namespace {

using nettest::Hex;
using sim::Datagram;
using sim::ModuleConfig;
using sim::ReplyMode;

Datagram Request(std::string_view magic, std::size_t length) {
    Datagram request(length, 0);
    std::copy(magic.begin(), magic.end(), request.begin());
    return request;
}

ModuleConfig Module() {
    ModuleConfig module;
    module.ip = 0x0500A8C0;  // 192.168.0.5
    module.mac = {0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E};
    module.switcher = 0x0101010A;  // 10.1.1.1
    return module;
}

std::vector<Datagram> Replies(ModuleConfig& module, std::string_view magic,
                              std::size_t length = 26) {
    return sim::RespondToDatagram(module, netconfig::wire::kPortA, Request(magic, length)).replies;
}

TEST(ModuleAnswers, SwitcherReadGetsTheTwentySixByteReply) {
    ModuleConfig module = Module();
    const auto replies = Replies(module, "WiZnInTr");
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(Hex(replies[0]),
              "57695A6E496E5463010000"
              "0A010101"
              "0000000000000000000000");
    module.switchReplyMagic = true;
    module.switcherLength = 11;
    EXPECT_EQ(Hex(Replies(module, "WiZnInTr", 8)[0]),
              "57695A6E5377546301"
              "0000");
}

TEST(ModuleAnswers, SwitcherWriteIsTakenWithoutReplyAndShortOnesAreIgnored) {
    ModuleConfig module = Module();
    Datagram write = Request("WiZnInTw", 19);
    write[8] = 1;
    write[11] = 198, write[12] = 18, write[13] = 0, write[14] = 9;
    Datagram cut(write.begin(), write.begin() + 14);
    EXPECT_TRUE(sim::RespondToDatagram(module, netconfig::wire::kPortA, cut).replies.empty());
    EXPECT_EQ(module.switcher, 0x0101010Au);
    EXPECT_TRUE(sim::RespondToDatagram(module, netconfig::wire::kPortA, write).replies.empty());
    EXPECT_EQ(Hex(Replies(module, "WiZnInTr")[0]).substr(22, 8), "C6120009");
}

TEST(ModuleAnswers, PassportIsMagicMacAndOffsetPatternAtAnyLength) {
    ModuleConfig module = Module();
    Datagram reply = Replies(module, "WiZnGpAs")[0];
    ASSERT_EQ(reply.size(), 418u);
    EXPECT_EQ(Hex(std::span(reply).first(16)), "57695A6E50615373000A1B2C3D4E0E0F");
    EXPECT_EQ(reply[417], 0xA1);
    module.passportLength = 600;
    reply = Replies(module, "WiZnGpAs")[0];
    ASSERT_EQ(reply.size(), 600u);
    EXPECT_EQ(reply[599], static_cast<std::uint8_t>(599));
    module.passportLength = 10;
    EXPECT_EQ(Hex(Replies(module, "WiZnGpAs")[0]), "57695A6E50615373000A");
}

TEST(ModuleAnswers, GivenPassportDataIsPaddedWithZeros) {
    ModuleConfig module = Module();
    module.hasPassportData = true;
    module.passportData = {0xAB, 0xCD};
    module.passportLength = 20;
    EXPECT_EQ(Hex(Replies(module, "WiZnGpAs")[0]), "57695A6E50615373000A1B2C3D4EABCD00000000");
}

TEST(ModuleAnswers, HelloCarriesTheAddressesAndItsConfiguredLength) {
    ModuleConfig module = Module();
    module.mask = 0x00FFFFFF;
    module.gateway = 0x0100A8C0;
    EXPECT_EQ(Hex(Replies(module, "WiZnLiSt")[0]),
              "57695A6E48654C6F"
              "000A1B2C3D4E"
              "C0A80005"
              "FFFFFF00"
              "C0A80001"
              "00000000");
    module.helloLength = 29;
    EXPECT_EQ(Replies(module, "WiZnLiSt")[0].size(), 29u);
    module.helloLength = 40;
    const Datagram longer = Replies(module, "WiZnLiSt")[0];
    EXPECT_EQ(Hex(std::span(longer).subspan(26)),
              "00000000"
              "1E1F2021222324252627");
}

TEST(ModuleAnswers, OnlyTheHelloOfABroadcastingModuleGoesToBroadcast) {
    ModuleConfig module = Module();
    EXPECT_FALSE(sim::RespondToDatagram(module, netconfig::wire::kPortA, Request("WiZnLiSt", 26))
                     .toBroadcast);
    std::string error;
    ASSERT_TRUE(sim::ParseModuleSpec("ip=198.18.1.20,hello-to=Broadcast", module, error)) << error;
    EXPECT_TRUE(sim::RespondToDatagram(module, netconfig::wire::kPortA, Request("WiZnLiSt", 26))
                    .toBroadcast);
    EXPECT_FALSE(sim::RespondToDatagram(module, netconfig::wire::kPortA, Request("WiZnInTr", 26))
                     .toBroadcast);
}

TEST(ModuleAnswers, NetworkSettingsAreTakenOnlyForTheModulesOwnMac) {
    ModuleConfig module = Module();
    Datagram settings = Request("TiBbsEtA", 26);
    const std::uint8_t tail[] = {0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0xC0, 0xA8, 0x01,
                                 0x14, 0xFF, 0xFF, 0xFF, 0x00, 0xC0, 0xA8, 0x01, 0x01};
    std::copy(std::begin(tail), std::end(tail), settings.begin() + 8);
    const sim::ModuleResponse taken =
        sim::RespondToDatagram(module, netconfig::wire::kPortA, settings);
    EXPECT_TRUE(taken.takeNetwork);
    EXPECT_TRUE(taken.replies.empty());
    EXPECT_EQ(taken.newIp, 0x1401A8C0u);
    EXPECT_EQ(taken.newMask, 0x00FFFFFFu);
    EXPECT_EQ(taken.newGateway, 0x0101A8C0u);

    settings[13] = 0x4F;
    EXPECT_FALSE(sim::RespondToDatagram(module, netconfig::wire::kPortA, settings).takeNetwork);
    settings[13] = 0x4E;
    settings.pop_back();
    EXPECT_FALSE(sim::RespondToDatagram(module, netconfig::wire::kPortA, settings).takeNetwork);
}

TEST(ModuleAnswers, UnknownOrTruncatedMagicsGetNothing) {
    ModuleConfig module = Module();
    EXPECT_TRUE(Replies(module, "WiZnInTc").empty());
    EXPECT_TRUE(Replies(module, "WiZnInT", 7).empty());
    EXPECT_TRUE(sim::RespondToDatagram(module, netconfig::wire::kPortA, {}).replies.empty());
}

TEST(ReplyModes, ShapeEveryReply) {
    ModuleConfig module = Module();
    module.reply = ReplyMode::WrongMagic;
    EXPECT_EQ(Hex(Replies(module, "WiZnInTr")[0]).substr(0, 16), "57695A6E42614464");
    module.reply = ReplyMode::WrongStatus;
    EXPECT_EQ(Replies(module, "WiZnInTr")[0][8], 2);
    EXPECT_EQ(Replies(module, "WiZnGpAs")[0][8], 0x00);  // the MAC, not a status
    module.reply = ReplyMode::Short;
    EXPECT_EQ(Replies(module, "WiZnGpAs")[0].size(), 10u);
    module.reply = ReplyMode::Trailing;
    const Datagram trailing = Replies(module, "WiZnInTr")[0];
    ASSERT_EQ(trailing.size(), 42u);
    EXPECT_EQ(trailing.back(), 0xEE);
    module.reply = ReplyMode::Twice;
    const auto twice = Replies(module, "WiZnLiSt");
    ASSERT_EQ(twice.size(), 2u);
    EXPECT_EQ(twice[0], twice[1]);
    module.reply = ReplyMode::Delayed;
    module.delayMs = 300;
    EXPECT_EQ(
        sim::RespondToDatagram(module, netconfig::wire::kPortA, Request("WiZnInTr", 26)).delayMs,
        300u);
}

TEST(ReplyModes, APortsOwnBehaviourReplacesTheModulesOnThatPortOnly) {
    ModuleConfig module = Module();
    module.reply = ReplyMode::Delayed;
    module.delayMs = 300;
    module.portReply[1] = sim::ReplyBehaviour{ReplyMode::WrongMagic, 0};
    const sim::ModuleResponse on9101 =
        sim::RespondToDatagram(module, netconfig::wire::kPortB, Request("WiZnInTr", 26));
    ASSERT_EQ(on9101.replies.size(), 1u);
    EXPECT_EQ(Hex(on9101.replies[0]).substr(0, 16), "57695A6E42614464");
    EXPECT_EQ(on9101.delayMs, 0u);
    const sim::ModuleResponse on9100 =
        sim::RespondToDatagram(module, netconfig::wire::kPortA, Request("WiZnInTr", 26));
    ASSERT_EQ(on9100.replies.size(), 1u);
    EXPECT_EQ(Hex(on9100.replies[0]).substr(0, 16), "57695A6E496E5463");
    EXPECT_EQ(on9100.delayMs, 300u);
}

TEST(ReplyModes, WrongStatusOnASwitcherReplyCutBeforeByteEightLeavesItAsItIs) {
    ModuleConfig module = Module();
    module.reply = ReplyMode::WrongStatus;
    for (const std::size_t length : {8u, 9u}) {
        module.switcherLength = length;
        const auto replies = Replies(module, "WiZnInTr");
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0].size(), length);
        if (length > 8) {
            EXPECT_EQ(replies[0][8], 2);
        }
    }
}

TEST(ReplyModes, SilentModuleStillTakesWrites) {
    ModuleConfig module = Module();
    module.reply = ReplyMode::Silent;
    EXPECT_TRUE(Replies(module, "WiZnInTr").empty());
    Datagram write = Request("WiZnInTw", 19);
    write[11] = 1;
    sim::RespondToDatagram(module, netconfig::wire::kPortA, write);
    EXPECT_EQ(module.switcher, 1u);
}

TEST(CaptureLine, IsTimeEndpointsAndUpperCaseHex) {
    const std::uint8_t bytes[] = {0x57, 0x69, 0x00, 0xFF};
    EXPECT_EQ(sim::FormatCaptureLine(1234, {0x0100007F, 9100}, {0xFFFFFFFF, 9101}, bytes),
              "1234 127.0.0.1:9100 255.255.255.255:9101 576900FF\n");
    EXPECT_EQ(sim::FormatCaptureLine(0, {0, 0}, {0, 0}, {}), "0 0.0.0.0:0 0.0.0.0:0 \n");
}

}  // namespace
