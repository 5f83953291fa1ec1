// The network commands' argument checks and output forms. Only arguments that are refused
// before any socket is opened reach a Run*Command here, so nothing is ever sent.
#include <gtest/gtest.h>

#include "tests/unit/netconfig_test_support.h"

#include <cstring>
#include <unistd.h>

#include "app/settings_file.h"
#include "cli/commands.h"
#include "cli/local_address.h"
#include "cli/network_args.h"
#include "cli/network_output.h"
#include "cli/conflicts.h"
#include "netconfig/discovery_records.h"

namespace {

const std::vector<std::uint32_t> kTable = {AddressOf(127, 0, 0, 1), AddressOf(198, 18, 0, 1)};

TEST(CliFromAddress, AcceptsAnyLoopbackAndTheMachinesOwnAddresses) {
    EXPECT_EQ(cli::CheckFromAddress("127.0.0.1", kTable).address, AddressOf(127, 0, 0, 1));
    EXPECT_TRUE(cli::CheckFromAddress("127.3.4.5", {}).ok);
    const auto own = cli::CheckFromAddress("198.18.0.1", kTable);
    EXPECT_TRUE(own.ok);
    EXPECT_EQ(own.address, AddressOf(198, 18, 0, 1));
}

TEST(CliFromAddress, RefusesForeignAndMalformedAddresses) {
    for (const char* text : {"198.18.0.2", "0.0.0.0", "255.255.255.255", "eth0", "198.18.0"}) {
        const auto choice = cli::CheckFromAddress(text, kTable);
        EXPECT_FALSE(choice.ok) << text;
        EXPECT_NE(choice.error.find("--from"), std::string::npos) << choice.error;
    }
}

TEST(CliStoredAdapter, UsesTheStoredAdapterOnlyWhenItIsUsable) {
    const std::vector<std::uint32_t> adapters = {AddressOf(10, 0, 0, 1),
                                                 AddressOf(192, 168, 1, 200)};
    // The settings file keeps addresses as signed integers: 192.168.1.200 is -939415360.
    const auto stored =
        cli::CheckStoredAdapter(app::SettingIntToAddress(-939415360), adapters, "panel.ini");
    EXPECT_TRUE(stored.ok);
    EXPECT_EQ(stored.address, AddressOf(192, 168, 1, 200));

    const auto unset = cli::CheckStoredAdapter(0, adapters, "panel.ini");
    EXPECT_FALSE(unset.ok);
    EXPECT_NE(unset.error.find("panel.ini"), std::string::npos);

    const auto gone =
        cli::CheckStoredAdapter(AddressOf(10, 0, 0, 1), {AddressOf(10, 0, 0, 2)}, "p");
    EXPECT_FALSE(gone.ok);
    EXPECT_NE(gone.error.find("10.0.0.1"), std::string::npos);
}

TEST(CliLocalOptions, OptionWithoutValueIsRefused) {
    cli::Arguments args = {"127.0.0.2", "--from"};
    cli::LocalAddressOptions options;
    std::string error;
    EXPECT_FALSE(cli::TakeLocalAddressOptions(args, options, error));
    EXPECT_FALSE(error.empty());

    args = {"--settings", "x.ini", "--from", "127.0.0.1", "127.0.0.2"};
    ASSERT_TRUE(cli::TakeLocalAddressOptions(args, options, error));
    EXPECT_EQ(options.from, "127.0.0.1");
    EXPECT_EQ(options.settingsPath, "x.ini");
    EXPECT_EQ(args, cli::Arguments{"127.0.0.2"});
}

TEST(CliQueryCode, AcceptsDecimal0To65535Only) {
    std::uint16_t code = 7;
    EXPECT_TRUE(cli::ParseQueryCode("0", code));
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(cli::ParseQueryCode("65535", code));
    EXPECT_EQ(code, 65535);
    for (const char* bad : {"", "65536", "-1", "0x0C", "12a", " 12", "100000"})
        EXPECT_FALSE(cli::ParseQueryCode(bad, code)) << bad;
    EXPECT_EQ(code, 65535);
}

TEST(CliPassportPath, FolderGetsTheProposedNameWithTxt) {
    netconfig::PassportBuffer passport{};
    passport[8] = 0x00, passport[9] = 0x0A, passport[13] = 0x4E;
    const platform::LocalTime time{2025, 3, 3, 14, 5, 9};
    const std::string folder = testing::TempDir();
    const std::string expected = "passport_000A0000004E_20250303140509.txt";
    const std::string withSlash = folder.back() == '/' ? folder : folder + "/";
    EXPECT_EQ(cli::PassportOutputPath(withSlash, passport, time), withSlash + expected);
    EXPECT_EQ(cli::PassportOutputPath(withSlash + "mine.txt", passport, time),
              withSlash + "mine.txt");
}

TEST(CliOutput, CheckJsonHasNullSwitcherForSilentDevices) {
    const std::vector<cli::CheckResult> results = {
        {AddressOf(127, 0, 0, 2), true, AddressOf(10, 1, 1, 1)},
        {AddressOf(127, 0, 0, 3), false, AddressOf(9, 9, 9, 9)},
    };
    EXPECT_EQ(cli::CheckJson(results),
              "[{\"address\": \"127.0.0.2\", \"online\": true, \"switcher\": \"10.1.1.1\"}, "
              "{\"address\": \"127.0.0.3\", \"online\": false, \"switcher\": null}]\n");
    EXPECT_EQ(cli::CheckJson({}), "[]\n");
    const std::string text = cli::CheckText(results);
    EXPECT_NE(text.find("127.0.0.2"), std::string::npos);
    EXPECT_NE(text.find("10.1.1.1"), std::string::npos);
    EXPECT_EQ(text.find("9.9.9.9"), std::string::npos);
    EXPECT_EQ(cli::CheckText({{AddressOf(127, 0, 0, 4), false, 0, true}}),
              "127.0.0.4        unexpected reply\n");
}

TEST(CliNetworkMask, OnlyOnesThenZerosIsAMask) {
    for (const auto mask :
         {AddressOf(255, 255, 255, 0), AddressOf(255, 255, 255, 255), AddressOf(0, 0, 0, 0),
          AddressOf(255, 255, 255, 252), AddressOf(128, 0, 0, 0), AddressOf(255, 255, 240, 0)})
        EXPECT_TRUE(cli::IsContiguousMask(mask)) << netconfig::FormatIpAddress(mask);
    for (const auto mask :
         {AddressOf(255, 0, 255, 0), AddressOf(0, 255, 255, 255), AddressOf(255, 255, 255, 253),
          AddressOf(0, 0, 0, 255), AddressOf(255, 255, 15, 0), AddressOf(254, 255, 255, 0)})
        EXPECT_FALSE(cli::IsContiguousMask(mask)) << netconfig::FormatIpAddress(mask);

    testing::internal::CaptureStderr();
    EXPECT_EQ(cli::Report(cli::SetNetworkCommand({"--from", "x", "--mac", "00:0A:1B:2C:3D:4E",
                                                  "--ip", "10.0.0.9", "--mask", "255.0.255.0",
                                                  "--gateway", "10.0.0.1"})),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::SetNetworkCommand({"--from", "x", "--mac", "00:0A:1B:2C:3D:4E",
                                                  "--ip", "255.255.255.255", "--mask", "255.0.0.0",
                                                  "--gateway", "10.0.0.1"})),
              cli::kExitBadArguments);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "vantrel-cli: set-network: --mask '255.0.255.0' is not a network mask (its ones must "
              "come first)\n"
              "vantrel-cli: set-network: --ip '255.255.255.255' is not the address of one host\n");
}

// The modules keep the search's order; every kind of conflict is named once, in the order the
// search and the list met it.
TEST(CliOutput, DiscoverJsonKeepsSearchOrderAndNamesEachConflict) {
    std::vector<cli::FoundModule> modules(3);
    modules[0].sighting.record.SetMac({0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E});
    modules[0].sighting.record.SetIp(AddressOf(198, 18, 0, 2));
    modules[0].sighting.record.SetMask(AddressOf(255, 255, 255, 0));
    modules[0].sighting.record.SetGateway(AddressOf(198, 18, 0, 1));
    modules[0].sighting.otherAddresses = {AddressOf(198, 18, 0, 9)};
    modules[0].adapters = {AddressOf(198, 18, 0, 1)};
    modules[1].sighting.record.SetMac({0x02, 0, 0, 0, 0, 1});
    modules[1].sighting.record.SetIp(AddressOf(198, 18, 0, 2));
    modules[1].adapters = {AddressOf(198, 18, 0, 1), AddressOf(10, 0, 0, 1)};
    modules[2].sighting.record.SetMac({0x02, 0, 0, 0, 0, 3});
    modules[2].sighting.record.SetIp(AddressOf(198, 18, 0, 3));
    app::DeviceList listed;
    for (const auto& [address, mac] : std::vector<std::pair<std::uint32_t, std::string>>{
             {AddressOf(198, 18, 0, 3), "02:00:00:00:00:07"},
             {AddressOf(198, 18, 0, 7), "02:00:00:00:00:07"},
             {AddressOf(198, 18, 0, 2), ""}}) {
        auto record = std::make_unique<app::DeviceRecord>();
        record->address = address;
        record->mac = mac;
        listed.push_back(std::move(record));
    }
    std::vector<netconfig::ModuleSighting> sightings;
    for (const auto& module : modules) sightings.push_back(module.sighting);
    const auto conflicts = cli::FindConflicts(sightings, listed);
    EXPECT_EQ(cli::DiscoverJson(modules, conflicts, true),
              "{\"modules\": [{\"mac\": \"00:0A:1B:2C:3D:4E\", \"ip\": \"198.18.0.2\", "
              "\"mask\": \"255.255.255.0\", \"gateway\": \"198.18.0.1\", \"adapters\": "
              "[\"198.18.0.1\"]}, {\"mac\": \"02:00:00:00:00:01\", \"ip\": \"198.18.0.2\", "
              "\"mask\": \"0.0.0.0\", \"gateway\": \"0.0.0.0\", \"adapters\": [\"198.18.0.1\", "
              "\"10.0.0.1\"]}, {\"mac\": \"02:00:00:00:00:03\", \"ip\": \"198.18.0.3\", "
              "\"mask\": \"0.0.0.0\", \"gateway\": \"0.0.0.0\", \"adapters\": []}], "
              "\"conflicts\": ["
              "{\"kind\": \"address-shared\", \"addresses\": [\"198.18.0.2\"], \"macs\": "
              "[\"00:0A:1B:2C:3D:4E\", \"02:00:00:00:00:01\"]}, "
              "{\"kind\": \"mac-at-two-addresses\", \"addresses\": [\"198.18.0.2\", "
              "\"198.18.0.9\"], \"macs\": [\"00:0A:1B:2C:3D:4E\"]}, "
              "{\"kind\": \"listed-mac-differs\", \"addresses\": [\"198.18.0.3\"], \"macs\": "
              "[\"02:00:00:00:00:07\", \"02:00:00:00:00:03\"]}, "
              "{\"kind\": \"listed-mac-twice\", \"addresses\": [\"198.18.0.3\", "
              "\"198.18.0.7\"], \"macs\": [\"02:00:00:00:00:07\"]}]}\n");
    EXPECT_EQ(cli::ConflictText(conflicts[0]),
              "198.18.0.2 is answered by 00:0A:1B:2C:3D:4E and 02:00:00:00:00:01: give each "
              "module an address of its own");
    EXPECT_EQ(cli::DiscoverText({}, {}, false), "");
    EXPECT_EQ(cli::AdaptersJson({AddressOf(198, 18, 0, 1), AddressOf(10, 0, 0, 1)}),
              "[\"198.18.0.1\", \"10.0.0.1\"]\n");
}

// Each of these is refused while the arguments are read, before a socket exists.
TEST(CliNetworkCommands, BadArgumentsExitWithTwo) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(cli::Report(cli::CheckCommand({})), cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::CheckCommand({"--from", "127.0.0.1", "not-an-address"})),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::CheckCommand({"--from", "127.0.0.1", "--fast", "x"})),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::CheckCommand({"--from"})), cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::SwitcherCommand({"get", "127.0.0.2"})), cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::SwitcherCommand({"set", "--from", "127.0.0.1", "127.0.0.2"})),
              cli::kExitBadArguments);
    EXPECT_EQ(
        cli::Report(cli::SwitcherCommand({"set", "--from", "127.0.0.1", "127.0.0.2", "1.2.3"})),
        cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::PassportCommand({"--from", "127.0.0.1", "127.0.0.2"})),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::PassportCommand({"--from", "127.0.0.1", "--out", "/tmp"})),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::DiscoverCommand({"--from", "x", "--query", "65536"})),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::DiscoverCommand({"--from", "x", "--query"})),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::DiscoverCommand({"--from", "x", "extra"})), cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::SetNetworkCommand({"--from", "x", "--mac", "00:0A:1B:2C:3D:4E",
                                                  "--ip", "1.2.3.4", "--mask", "255.255.255.0"})),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::SetNetworkCommand({"--from", "x", "--mac", "00:0A:1B:2C:3D", "--ip",
                                                  "1.2.3.4", "--mask", "255.255.255.0", "--gateway",
                                                  "1.2.3.1"})),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::AdaptersCommand({"--yaml"})), cli::kExitBadArguments);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("vantrel-cli: check: "), std::string::npos);
    EXPECT_NE(messages.find("--query '65536'"), std::string::npos);
    EXPECT_NE(messages.find("--gateway is required"), std::string::npos);
}

// A module is always one host: an address that would reach many (broadcast, multicast) or none
// is refused as an argument, so nothing is sent to it.
TEST(CliNetworkCommands, DeviceAddressesThatAreNotOneHostExitWithTwo) {
    for (const char* device :
         {"0.0.0.0", "255.255.255.255", "224.0.0.1", "239.255.255.250", "240.0.0.1"}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(cli::Report(cli::CheckCommand({"--from", "127.0.0.1", device})),
                  cli::kExitBadArguments)
            << device;
        EXPECT_EQ(
            cli::Report(cli::SwitcherCommand({"set", "--from", "127.0.0.1", device, "10.0.0.1"})),
            cli::kExitBadArguments)
            << device;
        EXPECT_EQ(cli::Report(cli::PassportCommand(
                      {"--from", "127.0.0.1", device, "--out", "/nonexistent"})),
                  cli::kExitBadArguments)
            << device;
        const std::string messages = testing::internal::GetCapturedStderr();
        EXPECT_NE(
            messages.find(std::string("device '") + device + "' is not the address of one host"),
            std::string::npos)
            << messages;
    }
}

TEST(CliNetworkCommands, AdaptersTakesSettingsLikeEveryCommand) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_NE(cli::Report(cli::AdaptersCommand({"--settings", "other.ini", "--json"})),
              cli::kExitBadArguments);
    EXPECT_EQ(cli::Report(cli::AdaptersCommand({"--json", "--settings"})), cli::kExitBadArguments);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out.substr(0, 1), "[") << out;
    EXPECT_NE(messages.find("adapters: --settings needs a file"), std::string::npos) << messages;
}

}  // namespace
