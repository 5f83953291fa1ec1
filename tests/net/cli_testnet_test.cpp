// vantrel-cli's broadcast commands end to end on the private test network.
#include <gtest/gtest.h>

#include "tests/net/capture_reader.h"
#include "tests/net/cli_test_support.h"
#include "tests/net/testnet_fixture.h"

namespace {

class CliOnTestNetwork : public nettest::TestNetworkFixture {};

TEST_F(CliOnTestNetwork, DiscoverJsonListsModulesInOrderOfArrivalWithTheQueryCodeSent) {
    ASSERT_TRUE(StartModsim({"--module", "ip=198.18.0.2,mac=00:0A:1B:2C:3D:4E,reply=delay:200",
                             "--module", "ip=198.18.0.3,mask=255.255.0.0,gateway=198.18.0.1"}));
    const auto result =
        nettest::RunCli({"discover", "--from", "198.18.0.1", "--query", "4660", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "[{\"mac\": \"02:00:C6:12:00:03\", \"ip\": \"198.18.0.3\", "
              "\"mask\": \"255.255.0.0\", \"gateway\": \"198.18.0.1\"}, "
              "{\"mac\": \"00:0A:1B:2C:3D:4E\", \"ip\": \"198.18.0.2\", \"mask\": "
              "\"255.255.255.0\", \"gateway\": \"0.0.0.0\"}]\n");
    const auto wire = nettest::WaitForCaptured(CapturePath(), "255.255.255.255", 2);
    ASSERT_EQ(wire.size(), 2u);
    EXPECT_EQ(wire[0].hex.substr(0, 20), "57695A6E4C695374" "1234");
}

TEST_F(CliOnTestNetwork, SetNetworkMovesTheModuleSoCheckFindsItThere) {
    ASSERT_TRUE(
        StartModsim({"--module", "ip=198.18.0.2,mac=00:0A:1B:2C:3D:4E,switcher=10.1.1.1"}));
    auto result = nettest::RunCli({"set-network", "--from", "198.18.0.1", "--mac",
                                   "00:0A:1B:2C:3D:4E", "--ip", "198.18.0.60", "--mask",
                                   "255.255.255.0", "--gateway", "198.18.0.1"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "network settings for 00:0A:1B:2C:3D:4E (ip 198.18.0.60, mask 255.255.255.0, "
              "gateway 198.18.0.1): sent; modules do not confirm\n");
    result =
        nettest::RunCli({"check", "--from", "198.18.0.1", "198.18.0.60", "198.18.0.2", "--json"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out,
              "[{\"address\": \"198.18.0.60\", \"online\": true, \"switcher\": \"10.1.1.1\"}, "
              "{\"address\": \"198.18.0.2\", \"online\": false, \"switcher\": null}]\n");
}

TEST_F(CliOnTestNetwork, SetNetworkThatCouldNotSendExitsOne) {
    ASSERT_TRUE(StartModsim({"--module", "ip=198.18.0.2,mac=00:0A:1B:2C:3D:4E"}));
    const nettest::BlockedPorts blocked(Panel());
    ASSERT_TRUE(blocked.AllBound());
    const auto result = nettest::RunCli({"set-network", "--from", "198.18.0.1", "--mac",
                                         "00:0A:1B:2C:3D:4E", "--ip", "198.18.0.61", "--mask",
                                         "255.255.255.0", "--gateway", "198.18.0.1"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "vantrel-cli: set-network: nothing was sent from 198.18.0.1: no socket could send\n");
    for (const auto& datagram : nettest::ReadCapture(CapturePath()))
        EXPECT_EQ(datagram.hex.find("C612003D"), std::string::npos) << datagram.hex;
}

}  // namespace
