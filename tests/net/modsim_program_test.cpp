// vantrel-modsim as a program: its ready line, how it stops, and how it refuses bad input.
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "netconfig/module_exchange.h"
#include "sim/harness/modsim_process.h"
#include "tests/net/net_test_support.h"

namespace {

using testing::HasSubstr;

using nettest::Ip;

constexpr unsigned kRunTimeoutMs = 10000;

harness::ProgramResult RunModsim(std::vector<std::string> args) {
    args.insert(args.begin(), harness::ModsimPath());
    return harness::RunProgram(args, kRunTimeoutMs);
}

TEST(ModsimProgram, PrintsOnlyTheReadyLineAndStopsAfterItsDuration) {
    const auto result = RunModsim({"--module", "ip=127.0.0.160", "--duration", "0.3"});
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "vantrel-modsim: ready\n");
    EXPECT_EQ(result.err, "");
}

TEST(ModsimProgram, StopsCleanlyOnSigterm) {
    harness::ModsimProcess simulator;
    std::string error;
    ASSERT_TRUE(simulator.Start({"--module", "ip=127.0.0.161"}, error)) << error;
    EXPECT_EQ(simulator.Stop(), 0);
}

TEST(ModsimProgram, ConfigFileAndModuleArgumentsCombine) {
    test_support::TempFolder directory("vantrel-net");
    const std::string config = directory.File("modules.ini");
    std::ofstream(config) << "[module]\nip = 127.0.0.162\nswitcher = 10.6.2.1\n";
    harness::ModsimProcess simulator;
    std::string error;
    ASSERT_TRUE(simulator.Start(
        {"--config", config, "--module", "ip=127.0.0.163,switcher=10.6.3.1"}, error))
        << error;
    std::uint32_t switcher = 0;
    ASSERT_TRUE(netconfig::ReadSwitcherAddress(Ip("127.0.0.1"), Ip("127.0.0.162"), switcher));
    EXPECT_EQ(switcher, Ip("10.6.2.1"));
    ASSERT_TRUE(netconfig::ReadSwitcherAddress(Ip("127.0.0.1"), Ip("127.0.0.163"), switcher));
    EXPECT_EQ(switcher, Ip("10.6.3.1"));
}

TEST(ModsimProgram, BadConfigurationIsOneLineAndExitTwo) {
    test_support::TempFolder directory("vantrel-net");
    const std::string config = directory.File("modules.ini");
    std::ofstream(config) << "[module]\nip = 127.0.0.164\nports = 9102\n";
    auto result = RunModsim({"--config", config});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err,
              "vantrel-modsim: " + config + ":3: ports \"9102\" is not both, 9100, 9101 or none\n");
    EXPECT_EQ(result.out, "");

    result = RunModsim({"--module", "ip=127.0.0.164", "--module", "ip=127.0.0.164"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err, "vantrel-modsim: two modules on 127.0.0.164\n");
}

TEST(ModsimProgram, RefusesToListenForBroadcastsOutsideTheTestNetwork) {
    const auto result = RunModsim({"--broadcast", "--duration", "1"});
    if (result.exitCode == 0) GTEST_SKIP() << "this host has only test-network addresses";
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_THAT(result.err, HasSubstr("--broadcast is only for the test network"));
    EXPECT_EQ(result.out, "");
}

TEST(ModsimProgram, AnAddressThatIsNotLocalFailsWithExitOne) {
    // 198.18.0.0/24 is local only inside the test network's device side.
    const auto result = RunModsim({"--module", "ip=198.18.0.99", "--duration", "1"});
    if (result.exitCode == 0) GTEST_SKIP() << "running inside the test network";
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "vantrel-modsim: cannot bind 198.18.0.99:9100: Cannot assign requested address\n");
}

TEST(ModsimProgram, AnAddressAnotherSimulatorHoldsFailsWithExitOne) {
    // A second simulator on the same address would otherwise share its ports and take half of
    // the datagrams meant for the first.
    harness::ModsimProcess first;
    std::string error;
    ASSERT_TRUE(first.Start({"--module", "ip=127.0.0.165"}, error)) << error;
    const auto result = RunModsim({"--module", "ip=127.0.0.165", "--duration", "1"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "vantrel-modsim: cannot bind 127.0.0.165:9100: Address already in use\n");
    EXPECT_EQ(result.out, "");
}

}  // namespace
