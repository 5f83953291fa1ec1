// vantrel-cli site plan and apply on the private test network, against modules that take new
// settings, one that already matches, one the file names but nobody plays, and one whose
// address another row wants.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "tests/net/capture_reader.h"
#include "tests/net/net_test_support.h"
#include "tests/net/testnet_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

using testing::HasSubstr;

constexpr const char* kSetNetworkHex = "5469426273457441";     // "TiBbsEtA"
constexpr const char* kWriteSwitcherHex = "57695A6E496E5477";  // "WiZnInTw"

class SiteOnTestNetwork : public nettest::TestNetworkFixture {
protected:
    std::string WriteSite(const std::string& name, const std::string& text) {
        const std::string path = folder_.File(name);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    std::size_t Captured(const char* hexPrefix) {
        const auto wire = nettest::ReadCapture(CapturePath());
        return static_cast<std::size_t>(std::count_if(
            wire.begin(), wire.end(), [&](const auto& d) { return d.hex.starts_with(hexPrefix); }));
    }
    test_support::TempFolder folder_;
};

// The site's modules: one as the files want it, one from the factory on another subnet, and one
// whose new address the first holds.
const std::vector<std::string> kSiteModules = {
    "--module", "ip=198.18.0.10,mac=00:0A:1B:2C:3D:10,gateway=198.18.0.1,switcher=198.18.0.100",
    "--module", "ip=198.18.1.30,mac=00:0A:1B:2C:3D:30,gateway=198.18.1.1",
    "--module", "ip=198.18.0.31,mac=00:0A:1B:2C:3D:31,gateway=198.18.0.1",
};

// Each row told apart: nothing to do, a change, a MAC nobody answers for, a new address that
// another module answers now; the module the file does not name is listed. Plan sends nothing
// but its search and checks.
TEST_F(SiteOnTestNetwork, PlanTellsEachRowApartAndSendsNoSettings) {
    ASSERT_TRUE(StartModsim(kSiteModules));
    const auto site =
        WriteSite("plan.csv",
                  "mac,ip,mask,gateway,switcher\n"
                  "# the matching one, a factory one, a missing one, a conflict\n"
                  "00:0A:1B:2C:3D:10,198.18.0.10,255.255.255.0,198.18.0.1,198.18.0.100\n"
                  "00:0A:1B:2C:3D:30,198.18.0.40,255.255.255.0,198.18.0.1,198.18.0.101\n"
                  "00:0A:1B:2C:3D:50,198.18.0.50,255.255.255.0,198.18.0.1,\n"
                  "00:0A:1B:2C:3D:10,,,,\n");
    auto result = nettest::RunCli({"site", "plan", site, "--from", "198.18.0.1"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_THAT(result.err, HasSubstr("line 6: 00:0A:1B:2C:3D:10 is already on line 3"));

    const auto fixed =
        WriteSite("plan.json",
                  "[{\"mac\": \"00:0A:1B:2C:3D:10\", \"switcher\": \"198.18.0.100\"},\n"
                  " {\"mac\": \"00:0A:1B:2C:3D:30\", \"ip\": \"198.18.0.40\", "
                  "\"mask\": \"255.255.255.0\", \"gateway\": \"198.18.0.1\"},\n"
                  " {\"mac\": \"00:0A:1B:2C:3D:50\"},\n"
                  " {\"mac\": \"00:0A:1B:2C:3D:31\", \"ip\": \"198.18.0.10\", "
                  "\"mask\": \"255.255.255.0\", \"gateway\": \"198.18.0.1\"}]\n");
    result = nettest::RunCli({"site", "plan", fixed, "--from", "198.18.0.1"});
    EXPECT_EQ(result.exitCode, 4) << result.err;
    EXPECT_EQ(result.out,
              "line 1  00:0A:1B:2C:3D:10  nothing to change (at 198.18.0.10)\n"
              "line 2  00:0A:1B:2C:3D:30  network 198.18.1.30 mask 255.255.255.0 gateway "
              "198.18.1.1 -> 198.18.0.40 mask 255.255.255.0 gateway 198.18.0.1\n"
              "line 3  00:0A:1B:2C:3D:50  cannot be applied: no module with this MAC answered the "
              "search\n"
              "line 4  00:0A:1B:2C:3D:31  cannot be applied: its new address 198.18.0.10 is "
              "answered now by 00:0A:1B:2C:3D:10\n"
              "1 module to change, 2 rows cannot be applied\n");
    EXPECT_EQ(Captured(kSetNetworkHex), 0u);
    EXPECT_EQ(Captured(kWriteSwitcherHex), 0u);
}

// Apply sends each change once and verifies it; the module not in the file is listed as such;
// a second apply finds nothing to do and sends no settings; --add-to-list lists what took.
TEST_F(SiteOnTestNetwork, ApplyVerifiesEachChangeAndASecondApplySendsNothing) {
    ASSERT_TRUE(StartModsim(kSiteModules));
    const auto site =
        WriteSite("apply.csv",
                  "mac,ip,mask,gateway,switcher\n"
                  "00:0A:1B:2C:3D:10,198.18.0.10,255.255.255.0,198.18.0.1,198.18.0.100\n"
                  "00:0A:1B:2C:3D:30,198.18.0.40,255.255.255.0,198.18.0.1,198.18.0.101\n");
    const std::string list = folder_.File("list.ini");
    auto result = nettest::RunCli({"site", "apply", site, "--from", "198.18.0.1"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_THAT(result.err, HasSubstr("no terminal to ask: give --yes"));
    EXPECT_EQ(Captured(kSetNetworkHex), 0u);

    result = nettest::RunCli({"site", "apply", site, "--from", "198.18.0.1", "--yes",
                              "--add-to-list", "--settings", list});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_THAT(result.out, HasSubstr("not in the site file: 00:0A:1B:2C:3D:31 at 198.18.0.31"));
    EXPECT_THAT(result.out, HasSubstr("line 3  00:0A:1B:2C:3D:30  verified at 198.18.0.40\n"));
    EXPECT_EQ(Captured(kSetNetworkHex), 2u);  // one request, on both ports
    EXPECT_EQ(Captured(kWriteSwitcherHex), 2u);

    result = nettest::RunCli({"site", "apply", site, "--from", "198.18.0.1", "--yes", "--json"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("\"applied\": []"));
    EXPECT_EQ(Captured(kSetNetworkHex), 2u);
    result = nettest::RunCli({"devices", "export", "--settings", list});
    EXPECT_EQ(result.out, "ip,mac\n198.18.0.40,00:0A:1B:2C:3D:30\n");
}

// A module that drops its settings is reported as not verified, with where it still answers,
// and apply exits 1; the one that took them is verified.
TEST_F(SiteOnTestNetwork, AModuleThatIgnoresItsSettingsIsNotVerified) {
    ASSERT_TRUE(StartModsim(
        {"--module", "ip=198.18.0.60,mac=00:0A:1B:2C:3D:60,gateway=198.18.0.1", "--module",
         "ip=198.18.0.61,mac=00:0A:1B:2C:3D:61,gateway=198.18.0.1,settings=ignore"}));
    const auto site = WriteSite("ignored.csv",
                                "mac,ip,mask,gateway\n"
                                "00:0A:1B:2C:3D:60,198.18.0.70,255.255.255.0,198.18.0.1\n"
                                "00:0A:1B:2C:3D:61,198.18.0.71,255.255.255.0,198.18.0.1\n");
    const auto result = nettest::RunCli({"site", "apply", site, "--from", "198.18.0.1", "--yes"});
    EXPECT_EQ(result.exitCode, 1) << result.err;
    EXPECT_THAT(result.out, HasSubstr("line 2  00:0A:1B:2C:3D:60  verified at 198.18.0.70\n"));
    EXPECT_THAT(result.out,
                HasSubstr("line 3  00:0A:1B:2C:3D:61  not verified; network settings did not "
                          "take: it answers at 198.18.0.61 mask 255.255.255.0 gateway "
                          "198.18.0.1\n"));
    EXPECT_EQ(Captured(kSetNetworkHex), 4u);  // both modules, both ports
}

}  // namespace
