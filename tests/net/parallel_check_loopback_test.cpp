// The concurrent check against vantrel-modsim on loopback: the panel side is 127.0.0.1 and the
// modules are 127.0.0.170-199, so these tests share the ports with no other suite's modules.
#include <gtest/gtest.h>

#include "netconfig/exchange_engine.h"
#include "netconfig/module_exchange.h"
#include "netconfig/module_replies.h"
#include "netconfig/parallel_check.h"
#include "tests/net/loopback_fixture.h"
#include "tests/net/net_test_support.h"

namespace {

using nettest::Ip;
using nettest::SteppedMilliseconds;

constexpr std::uint32_t kDeadlineMs = 3000;
constexpr std::uint32_t kPassMs = 300;
constexpr int kAnswering = 10;  // 127.0.0.180-189, switcher 10.80.0.<last byte>
constexpr int kSilent = 10;     // 127.0.0.190-199

std::string Host(int last) { return "127.0.0." + std::to_string(last); }

class ParallelCheckOverLoopback : public nettest::LoopbackSimulatorSuite {
protected:
    static void SetUpTestSuite() {
        std::vector<std::string> args = {
            "--module", "ip=127.0.0.170,switcher=10.70.0.1",
            "--module", "ip=127.0.0.171,reply=silent",
            "--module", "ip=127.0.0.172,reply=wrong-magic",
            "--module", "ip=127.0.0.173,reply=delay:300,switcher=10.73.0.1",
            "--module", "ip=127.0.0.174,reply=short",
            "--module", "ip=127.0.0.175,ports=9101,switcher=10.75.0.1",
        };
        for (int n = 180; n < 180 + kAnswering; ++n)
            args.insert(args.end(),
                        {"--module", "ip=" + Host(n) + ",switcher=10.80.0." + std::to_string(n)});
        for (int n = 190; n < 190 + kSilent; ++n)
            args.insert(args.end(), {"--module", "ip=" + Host(n) + ",reply=silent"});
        StartSuiteSimulator(args);
    }

    static std::vector<std::uint32_t> Hosts(int first, int count) {
        std::vector<std::uint32_t> hosts;
        for (int n = first; n < first + count; ++n) hosts.push_back(Ip(Host(n)));
        return hosts;
    }
};

netconfig::SwitcherCheck Online(const char* device, const char* switcher) {
    return {Ip(device), true, Ip(switcher), true};
}
netconfig::SwitcherCheck Offline(const char* device, bool answered = false) {
    return {Ip(device), false, 0, answered};
}

void ExpectSameChecks(const std::vector<netconfig::SwitcherCheck>& actual,
                      const std::vector<netconfig::SwitcherCheck>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("device #" + std::to_string(i));
        EXPECT_EQ(actual[i].address, expected[i].address);
        EXPECT_EQ(actual[i].online, expected[i].online);
        EXPECT_EQ(actual[i].answered, expected[i].answered);
        if (expected[i].online) {
            EXPECT_EQ(actual[i].switcher, expected[i].switcher);
        }
    }
}

// Answering, late, one-port, silent, short, wrong and refusing (nothing bound on 127.0.0.176)
// devices in one call, each judged as ReadSwitcherAddress judges it, in the order asked; and
// --jobs 1, which asks one after another, comes to the same results.
TEST_F(ParallelCheckOverLoopback, MixedDevicesAreEachJudgedAsAloneAndKeptInOrder) {
    const std::vector<std::uint32_t> devices = {
        Ip("127.0.0.171"), Ip("127.0.0.170"), Ip("127.0.0.176"), Ip("127.0.0.172"),
        Ip("127.0.0.173"), Ip("127.0.0.174"), Ip("127.0.0.175")};
    const std::vector<netconfig::SwitcherCheck> expected = {Offline("127.0.0.171"),
                                                            Online("127.0.0.170", "10.70.0.1"),
                                                            Offline("127.0.0.176"),
                                                            Offline("127.0.0.172", true),
                                                            Online("127.0.0.173", "10.73.0.1"),
                                                            Offline("127.0.0.174"),
                                                            Online("127.0.0.175", "10.75.0.1")};
    for (const std::size_t jobs : {netconfig::kDefaultCheckJobs, std::size_t{3}, std::size_t{1}}) {
        SCOPED_TRACE("jobs " + std::to_string(jobs));
        ExpectSameChecks(netconfig::CheckSwitchers(Local(), devices, jobs), expected);
    }
}

// All replies come to 127.0.0.1:9100 and :9101 at nearly the same moment; each must reach the
// exchange of the device that sent it. Repeated, so a mix-up cannot hide behind lucky timing.
TEST_F(ParallelCheckOverLoopback, RepliesArrivingTogetherAreNeverMixedUp) {
    const auto devices = Hosts(180, kAnswering);
    std::vector<netconfig::SwitcherCheck> expected;
    for (int n = 180; n < 180 + kAnswering; ++n)
        expected.push_back({Ip(Host(n)), true, Ip("10.80.0." + std::to_string(n)), true});
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectSameChecks(netconfig::CheckSwitchers(Local(), devices, netconfig::kMaxCheckJobs),
                         expected);
    }
}

// Two exchanges with the same addresses and ports could not tell their replies apart. Each
// listing is told its result once, as soon as its exchange ends: the answering device long
// before the silent one's deadline.
TEST_F(ParallelCheckOverLoopback, ADeviceListedTwiceIsReportedOnlineBothTimes) {
    const std::vector<std::uint32_t> devices = {Ip("127.0.0.180"), Ip("127.0.0.171"),
                                                Ip("127.0.0.180")};
    std::vector<std::size_t> toldOrder;
    std::vector<netconfig::SwitcherCheck> told(devices.size());
    const auto results =
        netconfig::CheckSwitchers(Local(), devices, netconfig::kDefaultCheckJobs,
                                  [&](std::size_t index, const netconfig::SwitcherCheck& result) {
                                      toldOrder.push_back(index);
                                      told[index] = result;
                                  });
    const std::vector<netconfig::SwitcherCheck> expected = {Online("127.0.0.180", "10.80.0.180"),
                                                            Offline("127.0.0.171"),
                                                            Online("127.0.0.180", "10.80.0.180")};
    ExpectSameChecks(results, expected);
    ExpectSameChecks(told, expected);
    EXPECT_EQ(toldOrder, (std::vector<std::size_t>{0, 2, 1}));
}

// Counted on the stepped clock: silent devices that run together share one deadline, and no
// more run at a time than asked.
TEST_F(ParallelCheckOverLoopback, SilentDevicesRunningTogetherShareOneDeadline) {
    const auto silent = Hosts(190, kSilent);
    std::vector<netconfig::SwitcherCheck> results;
    std::uint32_t stepped = SteppedMilliseconds(
        [&] { results = netconfig::CheckSwitchers(Local(), silent, kSilent); }, false);
    EXPECT_GE(stepped, kDeadlineMs);
    EXPECT_LT(stepped, kDeadlineMs + kPassMs);
    for (const auto& result : results) EXPECT_FALSE(result.online || result.answered);

    // Two at a time: five deadlines one after another.
    stepped = SteppedMilliseconds([&] { results = netconfig::CheckSwitchers(Local(), silent, 2); },
                                  false);
    EXPECT_GE(stepped, 5 * kDeadlineMs);
    EXPECT_LT(stepped, 5 * (kDeadlineMs + kPassMs));
}

// Exchanges of every kind at once on one engine: a switcher read answered, a passport read
// answered on 9101 only, a reply of the wrong magic, a silent module, a refusing address, a
// write that sends only, a request no socket can send (device 0.0.0.0), and a collection that
// keeps both ports' replies until its own short deadline. Each ends in its own outcome, told
// once as it ends, and the silent one's deadline is the whole run's.
TEST_F(ParallelCheckOverLoopback, ExchangesOfEveryKindRunTogetherEachToItsOwnOutcome) {
    const auto read = netconfig::BuildReadSwitcherRequest();
    const auto passport = netconfig::BuildReadPassportRequest();
    const auto write = netconfig::BuildWriteSwitcherRequest(Ip("10.0.0.9"));
    std::vector<netconfig::ExchangePlan> plans = {
        netconfig::SwitcherReadPlan(Local(), Ip("127.0.0.170"), read),
        netconfig::SwitcherReadPlan(Local(), Ip("127.0.0.175"), passport),
        netconfig::SwitcherReadPlan(Local(), Ip("127.0.0.172"), read),
        netconfig::SwitcherReadPlan(Local(), Ip("127.0.0.171"), read),
        netconfig::SwitcherReadPlan(Local(), Ip("127.0.0.176"), read),
        netconfig::SwitcherReadPlan(Local(), Ip("127.0.0.174"), write),
        netconfig::SwitcherReadPlan(Local(), 0, read),
        netconfig::SwitcherReadPlan(Local(), Ip("127.0.0.180"), read),
    };
    plans[1].minimumReplyLength = netconfig::wire::kPassportReplyMinLength;
    plans[1].check = netconfig::CheckPassportReply;
    plans[5].sendOnly = true;
    plans[5].deadlineMs = 0;
    plans[7].collect = true;
    plans[7].deadlineMs = 300;
    std::vector<int> told(plans.size());
    std::vector<netconfig::ExchangeResult> results;
    const std::uint32_t stepped = SteppedMilliseconds([&] {
        results = netconfig::RunExchanges(
            plans, plans.size(),
            [&](std::size_t index, const netconfig::ExchangeResult&) { ++told[index]; });
    });
    EXPECT_EQ(stepped, kDeadlineMs);
    EXPECT_EQ(told, std::vector<int>(plans.size(), 1));

    std::vector<std::string> outcomes;
    for (const auto& result : results)
        outcomes.push_back(netconfig::ExchangeOutcomeName(result.outcome));
    EXPECT_EQ(outcomes,
              (std::vector<std::string>{"answered", "answered", "unexpected reply", "silent",
                                        "silent", "silent", "not sent", "answered"}));
    std::uint32_t switcher = 0;
    EXPECT_EQ(netconfig::SwitcherAddressOf(results[0], switcher),
              netconfig::ExchangeOutcome::Answered);
    EXPECT_EQ(switcher, Ip("10.70.0.1"));
    ASSERT_EQ(results[1].datagrams.size(), 1u);
    EXPECT_EQ(results[1].datagrams[0].port, 1u);
    EXPECT_GE(results[1].Reply().size(), netconfig::wire::kPassportReplyMinLength);
    ASSERT_EQ(results[7].datagrams.size(), 2u);
    EXPECT_NE(results[7].datagrams[0].port, results[7].datagrams[1].port);
    for (const std::size_t quiet : {3, 4, 5, 6}) EXPECT_TRUE(results[quiet].datagrams.empty());
}

TEST_F(ParallelCheckOverLoopback, NoDevicesMeansNoResults) {
    EXPECT_TRUE(netconfig::CheckSwitchers(Local(), {}, netconfig::kDefaultCheckJobs).empty());
}

}  // namespace
