// vantrel-cli doctor on the private test network: what it finds in the panel's namespace, and
// that a plain doctor sends nothing while --search lists the modules on the adapter.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/net/capture_reader.h"
#include "tests/net/cli_test_support.h"
#include "tests/net/testnet_fixture.h"

namespace {

using testing::HasSubstr;

class DoctorOnTestNetwork : public nettest::TestNetworkFixture {};

// Runs a fixed administration command inside this namespace, and its undoing when the test ends.
class NamespaceChange {
public:
    NamespaceChange(const char* apply, const char* undo) : undo_(undo) {
        std::system(undo_);  // a change left by an interrupted run would spoil this one
        applied_ = std::system(apply) == 0;
    }
    ~NamespaceChange() { std::system(undo_); }
    bool Applied() const { return applied_; }

private:
    const char* undo_;
    bool applied_ = false;
};

constexpr const char* kFoundOnPanel = ": choose 198.18.0.1 in the panel\n";

TEST_F(DoctorOnTestNetwork, PlainDoctorSendsNothingAndSearchNamesTheAdapterOfTheModules) {
    ASSERT_TRUE(StartModsim({"--module", "ip=198.18.0.2,mac=00:0A:1B:2C:3D:4E", "--module",
                             "ip=198.18.0.3,mac=00:0A:1B:2C:3D:4F"}));
    auto result = nettest::RunCli({"doctor"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("--search would broadcast"));

    result = nettest::RunCli({"doctor", "--search"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out,
                HasSubstr("search: 2 modules answered\n"
                          "    00:0A:1B:2C:3D:4E 198.18.0.2  ports=9100,9101  by unicast\n"
                          "    00:0A:1B:2C:3D:4F 198.18.0.3  ports=9100,9101  by unicast\n"));
    EXPECT_THAT(result.out, HasSubstr("next step: Modules were found on "));
    EXPECT_THAT(result.out, HasSubstr(kFoundOnPanel));
    // Only the search's two broadcasts reached the modules: the plain doctor sent none.
    const auto wire = nettest::WaitForCaptured(CapturePath(), "255.255.255.255", 2);
    EXPECT_EQ(nettest::ReadCapture(CapturePath()).size(), 2u);
    EXPECT_EQ(wire.size(), 2u);
}

// A module still at a factory address on another subnet is heard only by broadcast and named with
// its remedy; one that answers on 9100 alone is listed with that port only.
TEST_F(DoctorOnTestNetwork, SearchSaysOnWhichPortsAndByWhichRouteEachModuleAnswered) {
    ASSERT_TRUE(StartModsim({"--module", "ip=198.18.1.30,mac=00:0A:1B:2C:3D:01,hello-to=broadcast",
                             "--module", "ip=198.18.0.4,mac=00:0A:1B:2C:3D:02,ports=9100"}));
    auto result = nettest::RunCli({"doctor", "--search"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("search: 2 modules answered\n"));
    EXPECT_THAT(
        result.out,
        HasSubstr("    00:0A:1B:2C:3D:01 198.18.1.30  ports=9100,9101  by broadcast only\n"));
    EXPECT_THAT(result.out,
                HasSubstr("    00:0A:1B:2C:3D:02 198.18.0.4  ports=9100  by unicast\n"));
    EXPECT_THAT(
        result.out,
        HasSubstr(": choose 198.18.0.1 in the panel; 00:0A:1B:2C:3D:01 (198.18.1.30) answered "
                  "only by broadcast: it is on another subnet, give it an address on the "
                  "subnet of "));

    result = nettest::RunCli({"doctor", "--search", "--json"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out,
                HasSubstr("{\"mac\": \"00:0A:1B:2C:3D:01\", \"ip\": \"198.18.1.30\", "
                          "\"ports\": [9100, 9101], \"unicast\": false, \"broadcast\": true}"));
    EXPECT_THAT(result.out,
                HasSubstr("{\"mac\": \"00:0A:1B:2C:3D:02\", \"ip\": \"198.18.0.4\", "
                          "\"ports\": [9100], \"unicast\": true, \"broadcast\": false}"));
}

TEST_F(DoctorOnTestNetwork, SearchWithoutModulesNamesTheSegmentAndExitsOne) {
    ASSERT_TRUE(StartModsim({"--module", "ip=198.18.0.2,reply=silent"}));
    const auto result = nettest::RunCli({"doctor", "--search", "--json"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.out, HasSubstr("\"modules\": []"));
    EXPECT_THAT(result.out,
                HasSubstr("\"next_step\": \"No module answered on any adapter: check that the "
                          "device is powered and cabled to the segment of "));
}

TEST_F(DoctorOnTestNetwork, APortHeldByAnotherProgramIsNamedWithItsProcess) {
    const nettest::BlockedPorts blocked(Panel());
    ASSERT_TRUE(blocked.AllBound());
    const auto result = nettest::RunCli({"doctor"});
    EXPECT_EQ(result.exitCode, 1);
    const std::string held = "held by ";
    const std::string pid = "(pid " + std::to_string(getpid()) + ")";
    EXPECT_THAT(result.out, HasSubstr("UDP 9100: cannot be bound: " + held));
    EXPECT_THAT(result.out, HasSubstr("next step: UDP 9100 cannot be bound on 198.18.0.1 ("));
    EXPECT_THAT(result.out, HasSubstr(pid + "; close it\n"));
}

TEST_F(DoctorOnTestNetwork, AnInterfaceThatIsDownIsReportedAsSuch) {
    const NamespaceChange down("ip link add vtldown0 type veth peer name vtldown1",
                               "ip link del vtldown0 2>/dev/null");
    ASSERT_TRUE(down.Applied());
    const auto result = nettest::RunCli({"doctor", "--json"});
    EXPECT_EQ(result.exitCode, 0) << result.out;
    EXPECT_THAT(result.out,
                HasSubstr("{\"name\": \"vtldown0\", \"address\": null, \"prefix\": null, "
                          "\"up\": false, \"link\": false, \"usable\": false, \"why\": \"down\"}"));
}

TEST_F(DoctorOnTestNetwork, AFirewallRuleDroppingTheRepliesIsNamed) {
    if (access("/usr/sbin/nft", X_OK) != 0)
        GTEST_SKIP() << "nft is missing; scripts/install-deps installs it";
    const NamespaceChange rule(
        "nft add table inet vtltest && "
        "nft add chain inet vtltest input '{ type filter hook input priority 0; policy accept; }' "
        "&& "
        "nft add rule inet vtltest input udp dport 9100 drop",
        "nft delete table inet vtltest 2>/dev/null");
    ASSERT_TRUE(rule.Applied());
    const auto result = nettest::RunCli({"doctor"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_THAT(result.out, HasSubstr("firewall on UDP 9101 replies: allowed"));
    EXPECT_THAT(result.out, HasSubstr("next step: Replies on UDP 9100 are dropped by firewall rule "
                                      "\"udp dport 9100 drop\": allow them\n"));
}

}  // namespace
