// vantrel-cli's broadcast commands end to end on the private test network.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "tests/net/capture_reader.h"
#include "tests/net/cli_test_support.h"
#include "tests/net/testnet_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using testing::HasSubstr;
using testing::Not;

class CliOnTestNetwork : public nettest::TestNetworkFixture {
protected:
    // What doctor prints after its own search, when it finds something to fix (exit 1).
    static std::string DoctorFinding(const std::string& list) {
        const auto result =
            nettest::RunCli({"doctor", "--from", "198.18.0.1", "--search", "--settings", list});
        EXPECT_EQ(result.exitCode, 1) << result.err;
        return result.out;
    }
};

TEST_F(CliOnTestNetwork, DiscoverJsonListsModulesInOrderOfArrivalWithTheQueryCodeSent) {
    ASSERT_TRUE(StartModsim({"--module", "ip=198.18.0.2,mac=00:0A:1B:2C:3D:4E,reply=delay:200",
                             "--module", "ip=198.18.0.3,mask=255.255.0.0,gateway=198.18.0.1"}));
    const auto result =
        nettest::RunCli({"discover", "--from", "198.18.0.1", "--query", "4660", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "{\"modules\": [{\"mac\": \"02:00:C6:12:00:03\", \"ip\": \"198.18.0.3\", "
              "\"mask\": \"255.255.0.0\", \"gateway\": \"198.18.0.1\"}, "
              "{\"mac\": \"00:0A:1B:2C:3D:4E\", \"ip\": \"198.18.0.2\", \"mask\": "
              "\"255.255.255.0\", \"gateway\": \"0.0.0.0\"}], \"conflicts\": []}\n");
    const auto wire = nettest::WaitForCaptured(CapturePath(), "255.255.255.255", 2);
    ASSERT_EQ(wire.size(), 2u);
    EXPECT_EQ(wire[0].hex.substr(0, 20),
              "57695A6E4C695374"
              "1234");
}

TEST_F(CliOnTestNetwork, SetNetworkMovesTheModuleSoCheckFindsItThere) {
    ASSERT_TRUE(StartModsim({"--module", "ip=198.18.0.2,mac=00:0A:1B:2C:3D:4E,switcher=10.1.1.1"}));
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
        EXPECT_THAT(datagram.hex, Not(HasSubstr("C612003D")));
}

// Answering, silent, refusing (nothing plays 198.18.0.4, so its host answers with ICMP) and
// wrong devices in one call: each reported as such, in the order asked; --jobs 1, which asks
// one device after another, prints exactly the same.
TEST_F(CliOnTestNetwork, CheckReportsMixedDevicesInOrderWithAnyNumberOfJobs) {
    ASSERT_TRUE(
        StartModsim({"--module", "ip=198.18.0.2,switcher=10.1.1.1", "--module",
                     "ip=198.18.0.3,reply=silent", "--module", "ip=198.18.0.5,reply=wrong-magic",
                     "--module", "ip=198.18.0.6,reply=delay:400,switcher=10.6.6.6"}));
    const std::vector<std::string> check = {"check",      "--from",     "198.18.0.1", "198.18.0.3",
                                            "198.18.0.2", "198.18.0.4", "198.18.0.5", "198.18.0.6"};
    const auto parallel = nettest::RunCli(check);
    EXPECT_EQ(parallel.exitCode, 1);
    EXPECT_EQ(parallel.err,
              "vantrel-cli: check: 2 of 5 devices did not answer; 1 of 5 devices answered with an "
              "unexpected reply\n");
    auto json = check;
    json.push_back("--json");
    const auto parallelJson = nettest::RunCli(json);
    EXPECT_EQ(parallelJson.out,
              "[{\"address\": \"198.18.0.3\", \"online\": false, \"switcher\": null}, "
              "{\"address\": \"198.18.0.2\", \"online\": true, \"switcher\": \"10.1.1.1\"}, "
              "{\"address\": \"198.18.0.4\", \"online\": false, \"switcher\": null}, "
              "{\"address\": \"198.18.0.5\", \"online\": false, \"switcher\": null}, "
              "{\"address\": \"198.18.0.6\", \"online\": true, \"switcher\": \"10.6.6.6\"}]\n");

    const std::pair<std::vector<std::string>, harness::ProgramResult> forms[] = {
        {check, parallel}, {json, parallelJson}};
    for (const auto& [form, many] : forms) {
        auto sequential = form;
        sequential.insert(sequential.begin() + 1, {"--jobs", "1"});
        const auto one = nettest::RunCli(sequential);
        EXPECT_EQ(one.exitCode, many.exitCode);
        EXPECT_EQ(one.out, many.out);
        EXPECT_EQ(one.err, many.err);
    }
}

// Forty modules answer at once to the same two local ports: every reply reaches the exchange of
// the device that sent it.
TEST_F(CliOnTestNetwork, CheckAllOfManyAnsweringDevicesNeverMixesThemUp) {
    constexpr int kModules = 40;
    std::vector<std::string> modules;
    const std::string settings = directory_.File("panel.ini");
    std::string expected = "[";
    for (int n = 0; n < kModules; ++n) {
        const std::string ip = "198.18.0." + std::to_string(100 + n);
        const std::string switcher = "10.0." + std::to_string(n) + ".1";
        modules.insert(modules.end(), {"--module", "ip=" + ip + ",switcher=" + switcher});
        ASSERT_EQ(nettest::RunCli({"devices", "add", ip, "--settings", settings}).exitCode, 0);
        expected += std::string(n ? ", " : "") + "{\"address\": \"" + ip +
                    "\", \"online\": true, \"switcher\": \"" + switcher + "\"}";
    }
    ASSERT_TRUE(StartModsim(modules));
    for (int round = 0; round < 3; ++round) {
        const auto result = nettest::RunCli(
            {"check", "--all", "--settings", settings, "--from", "198.18.0.1", "--json"});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out, expected + "]\n");
    }
}

// One MAC answering at two addresses, and a listed device whose module was swapped: discover
// names both, in text and JSON, and doctor makes the first its next step.
TEST_F(CliOnTestNetwork, DiscoverAndDoctorNameAddressConflicts) {
    ASSERT_TRUE(StartModsim({"--module", "ip=198.18.0.80,mac=00:0A:1B:2C:3D:80", "--module",
                             "ip=198.18.0.81,mac=00:0A:1B:2C:3D:80", "--module",
                             "ip=198.18.0.82,mac=00:0A:1B:2C:3D:82"}));
    const test_support::TempFolder folder("vantrel-conflicts");
    const std::string list = folder.File("list.ini");
    ASSERT_EQ(
        nettest::RunCli({"devices", "add", "198.18.0.82", "00:0A:1B:2C:3D:99", "--settings", list})
            .exitCode,
        0);
    auto result = nettest::RunCli({"discover", "--from", "198.18.0.1", "--settings", list});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("conflict: 00:0A:1B:2C:3D:80 answers at 198.18.0.80 and "
                                      "198.18.0.81\n"));
    EXPECT_THAT(result.out,
                HasSubstr("conflict: listed device 198.18.0.82 has MAC 00:0A:1B:2C:3D:99, but "
                          "00:0A:1B:2C:3D:82 answers there now (a unit was swapped or moved)\n"));
    result = nettest::RunCli({"discover", "--from", "198.18.0.1", "--settings", list, "--json"});
    EXPECT_THAT(result.out,
                HasSubstr("\"conflicts\": [{\"kind\": \"mac-at-two-addresses\", "
                          "\"addresses\": [\"198.18.0.80\", \"198.18.0.81\"], \"macs\": "
                          "[\"00:0A:1B:2C:3D:80\"]}, {\"kind\": \"listed-mac-differs\""));
    EXPECT_THAT(DoctorFinding(list),
                HasSubstr("next step: Address conflict: 00:0A:1B:2C:3D:80 answers at "
                          "198.18.0.80 and 198.18.0.81\n"));
}

// Two modules given one address, each answering the search with its own MAC: discover names
// the shared address in its JSON, and doctor makes it its next step.
TEST_F(CliOnTestNetwork, DiscoverAndDoctorNameTwoModulesOnOneAddress) {
    ASSERT_TRUE(StartModsim({"--module", "ip=198.18.0.90,mac=00:0A:1B:2C:3D:90,shared-ip=yes",
                             "--module", "ip=198.18.0.90,mac=00:0A:1B:2C:3D:91,shared-ip=yes"}));
    const test_support::TempFolder folder("vantrel-shared-ip");
    const std::string list = folder.File("list.ini");
    std::ofstream{list};
    auto result = nettest::RunCli({"discover", "--from", "198.18.0.1", "--json"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out,
                HasSubstr("\"conflicts\": [{\"kind\": \"address-shared\", \"addresses\": "
                          "[\"198.18.0.90\"], \"macs\": [\"00:0A:1B:2C:3D:90\", "
                          "\"00:0A:1B:2C:3D:91\"]}]"));
    EXPECT_THAT(DoctorFinding(list),
                HasSubstr("next step: Address conflict: 198.18.0.90 is answered by "
                          "00:0A:1B:2C:3D:90 and 00:0A:1B:2C:3D:91: give each module an address "
                          "of its own\n"));
}

}  // namespace
