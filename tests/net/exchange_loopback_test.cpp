// Every unicast exchange against vantrel-modsim on loopback: the panel side is 127.0.0.1, each
// test talks to a module of its own on 127.0.0.1xx, and the capture shows what went out.
#include <chrono>
#include <gtest/gtest.h>

#include "netconfig/module_exchange.h"
#include "netconfig/module_replies.h"
#include "sim/module_config.h"
#include "sim/module_responder.h"
#include "tests/net/capture_reader.h"
#include "tests/net/loopback_fixture.h"
#include "tests/net/net_test_support.h"

namespace {

using nettest::Ip;
using nettest::SteppedMilliseconds;
using Clock = std::chrono::steady_clock;

// The unicast deadline, and the most a polling pass that begins before it can add.
constexpr std::uint32_t kDeadlineMs = 3000;
constexpr std::uint32_t kPassMs = 300;

long MillisecondsSince(Clock::time_point start) {
    return static_cast<long>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Waited until the deadline and not a pass longer.
void ExpectGivenUpAtTheDeadline(std::uint32_t steppedMs) {
    EXPECT_GE(steppedMs, kDeadlineMs);
    EXPECT_LT(steppedMs, kDeadlineMs + kPassMs);
}

const std::vector<std::string> kModules = {
    "ip=127.0.0.101,mac=00:0A:1B:2C:3D:4E,switcher=10.1.1.1",
    "ip=127.0.0.102,ports=9101,switcher=10.2.2.2",
    "ip=127.0.0.103,switcher-magic=WiZnSwTc,switcher=10.3.3.3",
    "ip=127.0.0.104,switcher-length=11,switcher=10.4.4.4",
    "ip=127.0.0.105,reply=wrong-status",
    "ip=127.0.0.106,reply=short",
    "ip=127.0.0.107,reply=wrong-magic",
    "ip=127.0.0.108,reply=delay:300,switcher=10.8.8.8",
    "ip=127.0.0.109,reply=twice,switcher=10.9.9.9",
    "ip=127.0.0.110,reply=trailing,switcher=10.10.10.10",
    "ip=127.0.0.111,passport-length=600",
    "ip=127.0.0.112,passport-length=300",
    "ip=127.0.0.113,passport-length=289",
    "ip=127.0.0.114,passport-length=290,reply=wrong-magic",
    "ip=127.0.0.115",
    "ip=127.0.0.116,reply=silent",
    "ip=127.0.0.117,switcher=10.17.17.17,reply-9101=wrong-magic",
    "ip=127.0.0.118,switcher=10.18.18.18,reply-9100=wrong-magic",
};

class ExchangeOverLoopback : public nettest::LoopbackSimulatorSuite {
protected:
    static void SetUpTestSuite() {
        std::vector<std::string> args;
        for (const std::string& module : kModules) args.insert(args.end(), {"--module", module});
        StartSuiteSimulator(args);
    }

    // The passport a module of kModules sends, as the simulator builds it.
    static sim::Datagram PassportOf(const std::string& moduleText) {
        sim::ModuleConfig module;
        std::string error;
        EXPECT_TRUE(sim::ParseModuleSpec(moduleText, module, error)) << error;
        return sim::BuildPassportReply(module);
    }
};

TEST_F(ExchangeOverLoopback, SwitcherReadSendsTheRequestOnBothPortsAndTakesTheAddress) {
    std::uint32_t switcher = 0;
    ASSERT_TRUE(netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.101"), switcher));
    EXPECT_EQ(switcher, Ip("10.1.1.1"));
    const auto wire = nettest::WaitForCaptured(CapturePath(), "127.0.0.101", 2);
    nettest::ExpectSentOnBothPorts(wire, "127.0.0.1", "127.0.0.101",
                                   nettest::MagicThenZerosHex("WiZnInTr", 18));
}

TEST_F(ExchangeOverLoopback, ModuleAnsweringOnlyOn9101IsAccepted) {
    std::uint32_t switcher = 0;
    ASSERT_TRUE(netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.102"), switcher));
    EXPECT_EQ(switcher, Ip("10.2.2.2"));
    const auto wire = nettest::WaitForCaptured(CapturePath(), "127.0.0.102", 1);
    ASSERT_EQ(wire.size(), 1u);
    EXPECT_EQ(wire[0].to, "127.0.0.102:9101");
}

TEST_F(ExchangeOverLoopback, SwitchReplyMagicAndElevenByteRepliesAreAccepted) {
    std::uint32_t switcher = 0;
    ASSERT_TRUE(netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.103"), switcher));
    EXPECT_EQ(switcher, Ip("10.3.3.3"));
    // Eleven bytes end before the address, which then reads as zero.
    switcher = 1;
    ASSERT_TRUE(netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.104"), switcher));
    EXPECT_EQ(switcher, 0u);
}

TEST_F(ExchangeOverLoopback, StatusTwoOrAWrongMagicFailsWithoutWaitingOn) {
    std::uint32_t switcher = 0;
    bool read = true;
    EXPECT_LT(SteppedMilliseconds([&] {
                  read = netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.105"), switcher);
              }),
              kDeadlineMs);
    EXPECT_FALSE(read);
    read = true;
    EXPECT_LT(SteppedMilliseconds([&] {
                  read = netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.107"), switcher);
              }),
              kDeadlineMs);
    EXPECT_FALSE(read);
}

TEST_F(ExchangeOverLoopback, TenByteReplyIsIgnoredUntilTheDeadline) {
    std::uint32_t switcher = 0;
    bool read = true;
    ExpectGivenUpAtTheDeadline(SteppedMilliseconds(
        [&] { read = netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.106"), switcher); }));
    EXPECT_FALSE(read);
}

TEST_F(ExchangeOverLoopback, SilentModuleIsGivenUpAtTheDeadline) {
    std::uint32_t switcher = 0;
    netconfig::PassportBuffer passport{};
    bool read = true;
    constexpr bool kNeverBlock = false;
    ExpectGivenUpAtTheDeadline(SteppedMilliseconds(
        [&] { read = netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.116"), switcher); },
        kNeverBlock));
    EXPECT_FALSE(read);
    read = true;
    ExpectGivenUpAtTheDeadline(SteppedMilliseconds(
        [&] { read = netconfig::ReadModulePassport(Local(), Ip("127.0.0.116"), passport); },
        kNeverBlock));
    EXPECT_FALSE(read);
}

TEST_F(ExchangeOverLoopback, WhenBothPortsAnswerThe9100ReplyDecides) {
    // Each module spoils the magic on one port; the other port's reply is good.
    std::uint32_t switcher = 0;
    ASSERT_TRUE(netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.117"), switcher));
    EXPECT_EQ(switcher, Ip("10.17.17.17"));
    EXPECT_FALSE(netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.118"), switcher));
    const auto wire = nettest::WaitForCaptured(CapturePath(), "127.0.0.118", 2);
    ASSERT_EQ(wire.size(), 2u);  // both replies went out; the one from 9100 was taken
}

TEST_F(ExchangeOverLoopback, DelayedTwiceAndTrailingRepliesAllSucceed) {
    std::uint32_t switcher = 0;
    const auto start = Clock::now();
    ASSERT_TRUE(netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.108"), switcher));
    EXPECT_GE(MillisecondsSince(start), 250);
    EXPECT_EQ(switcher, Ip("10.8.8.8"));
    // The second copy of a doubled reply meets closed sockets; the next read is not confused.
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.109"), switcher));
        EXPECT_EQ(switcher, Ip("10.9.9.9"));
    }
    ASSERT_TRUE(netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.110"), switcher));
    EXPECT_EQ(switcher, Ip("10.10.10.10"));
}

TEST_F(ExchangeOverLoopback, PassportOf600BytesIsCutTo418) {
    netconfig::PassportBuffer passport{};
    ASSERT_TRUE(netconfig::ReadModulePassport(Local(), Ip("127.0.0.111"), passport));
    const sim::Datagram sent = PassportOf(kModules[10]);
    ASSERT_EQ(sent.size(), 600u);
    EXPECT_TRUE(std::equal(passport.begin(), passport.end(), sent.begin()));
    const auto wire = nettest::WaitForCaptured(CapturePath(), "127.0.0.111", 2);
    ASSERT_EQ(wire.size(), 2u);
    EXPECT_EQ(wire[0].hex, nettest::MagicThenZerosHex("WiZnGpAs", 18));
}

TEST_F(ExchangeOverLoopback, PassportOf300BytesLeavesTheRestZero) {
    netconfig::PassportBuffer passport;
    passport.fill(0x55);
    ASSERT_TRUE(netconfig::ReadModulePassport(Local(), Ip("127.0.0.112"), passport));
    const sim::Datagram sent = PassportOf(kModules[11]);
    ASSERT_EQ(sent.size(), 300u);
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), passport.begin()));
    EXPECT_TRUE(std::all_of(passport.begin() + 300, passport.end(), [](auto b) { return b == 0; }));
}

TEST_F(ExchangeOverLoopback, PassportOf289BytesIsIgnoredAndWrongMagicAt290FailsAtOnce) {
    netconfig::PassportBuffer passport{};
    bool read = true;
    ExpectGivenUpAtTheDeadline(SteppedMilliseconds(
        [&] { read = netconfig::ReadModulePassport(Local(), Ip("127.0.0.113"), passport); }));
    EXPECT_FALSE(read);
    read = true;
    EXPECT_LT(SteppedMilliseconds([&] {
                  read = netconfig::ReadModulePassport(Local(), Ip("127.0.0.114"), passport);
              }),
              kDeadlineMs);
    EXPECT_FALSE(read);
}

TEST_F(ExchangeOverLoopback, WrittenSwitcherAddressIsReadBack) {
    ASSERT_TRUE(netconfig::WriteSwitcherAddress(Local(), Ip("127.0.0.115"), Ip("198.18.0.77")));
    nettest::ExpectSentOnBothPorts(nettest::WaitForCaptured(CapturePath(), "127.0.0.115", 2),
                                   "127.0.0.1", "127.0.0.115",
                                   "57695A6E496E5477"
                                   "010000"
                                   "C612004D"
                                   "00000000");
    std::uint32_t switcher = 0;
    ASSERT_TRUE(netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.115"), switcher));
    EXPECT_EQ(switcher, Ip("198.18.0.77"));
}

TEST_F(ExchangeOverLoopback, WriteThatNoModuleHearsIsStillTrue) {
    EXPECT_TRUE(netconfig::WriteSwitcherAddress(Local(), Ip("127.0.0.130"), Ip("10.0.0.1")));
}

TEST_F(ExchangeOverLoopback, DeviceWithoutListenerFailsBeforeTheDeadline) {
    std::uint32_t switcher = 0;
    netconfig::PassportBuffer passport{};
    bool read = true;
    // Port unreachable on both sockets leaves none usable, which ends the wait.
    EXPECT_LT(SteppedMilliseconds([&] {
                  read = netconfig::ReadSwitcherAddress(Local(), Ip("127.0.0.131"), switcher) ||
                         netconfig::ReadModulePassport(Local(), Ip("127.0.0.131"), passport);
              }),
              kDeadlineMs);
    EXPECT_FALSE(read);
}

// A device address of 0.0.0.0 (a list entry without an address) would point the sockets at this
// computer itself, where the exchange would take its own request for the reply.
TEST(ExchangeWithAddressZero, FailsAtOnceWithoutSendingOrHearingItself) {
    const std::uint32_t local = Ip("127.0.0.1");
    const netconfig::ReadSwitcherRequest request = netconfig::BuildReadSwitcherRequest();
    std::array<std::uint8_t, netconfig::wire::kReceiveBufferSize> reply{};
    std::size_t replyLength = 0;
    bool exchanged = true;
    EXPECT_EQ(SteppedMilliseconds([&] {
                  exchanged = netconfig::ExchangeModuleDatagram(
                      local, 0, request.data(), request.size(), reply.data(), reply.size(),
                      netconfig::wire::kSwitcherReplyMinLength, &replyLength);
              }),
              0u);
    EXPECT_FALSE(exchanged);
    EXPECT_EQ(replyLength, 0u);

    netconfig::PassportBuffer passport{};
    exchanged = true;
    EXPECT_EQ(
        SteppedMilliseconds([&] { exchanged = netconfig::ReadModulePassport(local, 0, passport); }),
        0u);
    EXPECT_FALSE(exchanged);
    EXPECT_TRUE(netconfig::WriteSwitcherAddress(local, 0, Ip("10.0.0.1")));
}

}  // namespace
