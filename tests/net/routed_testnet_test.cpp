// Finding devices beyond the panel's own segment, on the test network's routed part: the
// panel's second adapter (198.18.2.1) on a router's segment, and a far /22 behind that router
// where no broadcast of the panel's reaches.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "tests/net/testnet_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using testing::HasSubstr;
using testing::Not;

class RoutedOnTestNetwork : public nettest::TestNetworkFixture {
protected:
    [[nodiscard]] bool Start(harness::ModsimProcess& simulator, const std::string& ns,
                             std::vector<std::string> args) {
        std::string error;
        const bool started = simulator.StartIn(ns, args, error);
        EXPECT_TRUE(started) << error;
        return started;
    }
    harness::ModsimProcess segment_, far_;
};

// discover --all-adapters hears the modules of both segments, each on its own adapter, but
// not the far ones; sweep of the far /22 finds exactly those, with their switcher addresses.
TEST_F(RoutedOnTestNetwork, SweepFindsDevicesBehindTheRouterThatNoAdapterHears) {
    ASSERT_TRUE(StartModsim({"--module", "ip=198.18.0.40,mac=00:0A:1B:2C:3D:40"}));
    ASSERT_TRUE(Start(segment_, harness::RouterNamespace(),
                      {"--broadcast", "--module", "ip=198.18.2.30,mac=00:0A:1B:2C:3D:30"}));
    ASSERT_TRUE(Start(far_, harness::FarNamespace(),
                      {"--module", "ip=198.18.64.10,mac=00:0A:1B:2C:3D:10,switcher=10.64.0.10",
                       "--module", "ip=198.18.67.20,switcher=10.64.0.20"}));

    auto result = nettest::RunCli({"discover", "--all-adapters", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("\"ip\": \"198.18.0.40\", \"mask\": \"255.255.255.0\", "
                                      "\"gateway\": \"0.0.0.0\", \"adapters\": [\"198.18.0.1\"]"));
    EXPECT_THAT(result.out, HasSubstr("\"ip\": \"198.18.2.30\", \"mask\": \"255.255.255.0\", "
                                      "\"gateway\": \"0.0.0.0\", \"adapters\": [\"198.18.2.1\"]"));
    EXPECT_THAT(result.out, Not(HasSubstr("198.18.64.")));
    EXPECT_THAT(result.out, Not(HasSubstr("198.18.67.")));

    result = nettest::RunCli({"sweep", "198.18.64.0/22", "198.18.64.0/24", "--from", "198.18.2.1",
                              "--rate", "2000", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "[{\"address\":\"198.18.64.10\",\"switcher\":\"10.64.0.10\"},"
              "{\"address\":\"198.18.67.20\",\"switcher\":\"10.64.0.20\"}]\n");
    EXPECT_EQ(result.err, "vantrel-cli: sweep: 2 devices answered of 1022 hosts asked\n");
}

// site plan checks each new address while its search runs: one held by a module beyond the
// router, which no search hears, makes its row a conflict; a free one is a change.
TEST_F(RoutedOnTestNetwork, SitePlanNamesANewAddressThatAModuleBeyondTheRouterHolds) {
    ASSERT_TRUE(Start(segment_, harness::RouterNamespace(),
                      {"--broadcast", "--module", "ip=198.18.2.30,mac=00:0A:1B:2C:3D:30",
                       "--module", "ip=198.18.2.31,mac=00:0A:1B:2C:3D:31"}));
    ASSERT_TRUE(Start(far_, harness::FarNamespace(), {"--module", "ip=198.18.64.10"}));
    const test_support::TempFolder folder("vantrel-routed-site");
    const std::string site = folder.File("site.csv");
    std::ofstream(site) << "mac,ip,mask,gateway\n"
                           "00:0A:1B:2C:3D:30,198.18.64.10,255.255.252.0,198.18.64.1\n"
                           "00:0A:1B:2C:3D:31,198.18.2.41,255.255.255.0,198.18.2.254\n";
    const auto result = nettest::RunCli({"site", "plan", site, "--from", "198.18.2.1"});
    EXPECT_EQ(result.exitCode, 4) << result.err;
    EXPECT_EQ(result.out,
              "line 2  00:0A:1B:2C:3D:30  cannot be applied: its new address 198.18.64.10 is "
              "answered now by a module the search did not find\n"
              "line 3  00:0A:1B:2C:3D:31  network 198.18.2.31 mask 255.255.255.0 gateway 0.0.0.0 "
              "-> 198.18.2.41 mask 255.255.255.0 gateway 198.18.2.254\n"
              "1 module to change, 1 row cannot be applied\n");
}

TEST_F(RoutedOnTestNetwork, SweepRefusesMoreThanASixteenAndBadRangesBeforeSending) {
    for (const auto& [range, reason] : std::vector<std::pair<std::string, std::string>>{
             {"198.18.0.0/15", "'198.18.0.0/15' holds more than the 65536 hosts a sweep may ask"},
             {"198.18.64.0", "'198.18.64.0' is not a range such as 198.18.4.0/22"},
             {"198.18.64.0/33", "'198.18.64.0/33' is not a range such as 198.18.4.0/22"}}) {
        const auto result = nettest::RunCli({"sweep", range, "--from", "198.18.2.1"});
        EXPECT_EQ(result.exitCode, 2) << range;
        EXPECT_EQ(result.err, "vantrel-cli: sweep: " + reason + "\n");
    }
    const auto tooMany =
        nettest::RunCli({"sweep", "198.18.0.0/16", "198.19.0.0/24", "--from", "198.18.2.1"});
    EXPECT_EQ(tooMany.exitCode, 2);
    EXPECT_THAT(tooMany.err, HasSubstr("more than the 65536"));
}

}  // namespace
