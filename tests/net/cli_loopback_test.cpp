// vantrel-cli's unicast commands end to end against vantrel-modsim on loopback.
#include <algorithm>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>

#include "protocol/crc16.h"
#include "tests/support/temp_folder.h"
#include "tests/net/capture_reader.h"
#include "tests/net/cli_test_support.h"
#include "tests/net/loopback_fixture.h"
#include "tests/net/net_test_support.h"

namespace {

using testing::HasSubstr;
using testing::Not;

class CliOverLoopback : public nettest::LoopbackSimulatorSuite {
protected:
    static void SetUpTestSuite() {
        StartSuiteSimulator({"--module", "ip=127.0.0.140,mac=00:0A:1B:2C:3D:4E,switcher=10.1.1.1",
                             "--module", "ip=127.0.0.141,switcher=10.4.1.1", "--module",
                             "ip=127.0.0.143,reply=wrong-magic"});
    }
};

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(CliOverLoopback, CheckJsonReportsEveryDeviceAndExitsOneWhenOneIsSilent) {
    auto result =
        nettest::RunCli({"check", "--from", "127.0.0.1", "127.0.0.140", "127.0.0.142", "--json"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out,
              "[{\"address\": \"127.0.0.140\", \"online\": true, \"switcher\": \"10.1.1.1\"}, "
              "{\"address\": \"127.0.0.142\", \"online\": false, \"switcher\": null}]\n");
    EXPECT_EQ(LineCount(result.err), 1u) << result.err;

    result = nettest::RunCli({"check", "--from", "127.0.0.1", "127.0.0.140", "--json"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(CliOverLoopback, SwitcherSetIsSeenByTheNextCheck) {
    auto result =
        nettest::RunCli({"switcher", "set", "--from", "127.0.0.1", "127.0.0.141", "10.4.2.2"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "switcher address 10.4.2.2 for 127.0.0.141: sent; modules do not confirm\n");
    nettest::ExpectSentOnBothPorts(nettest::WaitForCaptured(CapturePath(), "127.0.0.141", 2),
                                   "127.0.0.1", "127.0.0.141",
                                   "57695A6E496E5477"
                                   "010000"
                                   "0A040202"
                                   "00000000");
    result = nettest::RunCli({"check", "--from", "127.0.0.1", "127.0.0.141", "--json"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_THAT(result.out, HasSubstr("\"switcher\": \"10.4.2.2\""));
}

TEST_F(CliOverLoopback, PassportIntoAFolderGetsTheProposedNameAndAValidRecord) {
    test_support::TempFolder out;
    const auto result =
        nettest::RunCli({"passport", "--from", "127.0.0.1", "127.0.0.140", "--out", out.Path()});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::string path = result.out.substr(0, result.out.find('\n'));
    // The folder, the system's separator, the MAC and a time of this century.
    const std::string start =
        (std::filesystem::path(out.Path()) / "passport_000A1B2C3D4E_20").string();
    EXPECT_EQ(path.substr(0, start.size()), start);
    EXPECT_TRUE(std::regex_match(path.substr(std::min(start.size(), path.size())),
                                 std::regex("[0-9]{12}\\.txt")))
        << path;
    const std::string text = nettest::ReadWholeFile(path);
    ASSERT_EQ(text.size(), 1027u);
    EXPECT_EQ(text.substr(0, 22), "---DEVICEPASSPORT---\r\n");
    EXPECT_EQ(text.substr(1012), "---DATAEND---\r\n");
    // Record bytes 0-31: format, offset, length, the device 127.0.0.140, then the checksum.
    const std::string line2 = text.substr(22, 64);
    EXPECT_EQ(line2.substr(0, 32), "010000003E000000A20100007F00008C");
    // Bytes 64-95: the passport from its third byte: "ZnPaSs", the MAC, then the pattern.
    EXPECT_EQ(text.substr(22 + 2 * 66, 64),
              "5A6E50615373000A1B2C3D4E0E0F101112131415161718191A1B1C1D1E1F2021");

    std::vector<std::uint8_t> record;
    for (std::size_t line = 0; line < 15; ++line)
        for (std::size_t i = 0; i < 32; ++i)
            record.push_back(static_cast<std::uint8_t>(
                std::stoi(text.substr(22 + line * 66 + i * 2, 2), nullptr, 16)));
    const std::uint16_t stored = static_cast<std::uint16_t>(record[16] | record[17] << 8);
    record[16] = record[17] = 0;
    EXPECT_EQ(protocol::CalcCRC16(record), stored);
}

TEST_F(CliOverLoopback, PassportOfASilentDeviceWritesNothing) {
    test_support::TempFolder out;
    const auto result =
        nettest::RunCli({"passport", "--from", "127.0.0.1", "127.0.0.142", "--out", out.Path()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "vantrel-cli: passport: 127.0.0.142: Device is not responding!\n");
    EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
}

TEST_F(CliOverLoopback, BadArgumentsExitTwoWithOneLineAndSendNothing) {
    const std::vector<std::vector<std::string>> commands = {
        {"check", "--from", "127.0.0.1"},
        {"check", "--from", "127.0.0.1", "127.0.0.300"},
        {"check", "--from", "127.0.0.1", "--bogus", "127.0.0.140"},
        {"check", "--from", "not-an-address", "127.0.0.140"},
        {"switcher", "set", "--from", "127.0.0.1", "127.0.0.140"},
        {"switcher", "--from", "127.0.0.1", "127.0.0.140", "10.1.1.1"},
        {"passport", "--from", "127.0.0.1", "127.0.0.140"},
        {"discover", "--from", "127.0.0.1", "--query", "65536"},
        {"set-network", "--from", "127.0.0.1", "--mac", "00:0A:1B:2C:3D", "--ip", "127.0.0.9",
         "--mask", "255.0.0.0", "--gateway", "127.0.0.1"},
        {"set-network", "--from", "127.0.0.1", "--mac", "00:0A:1B:2C:3D:4E", "--ip", "127.0.0.9"},
    };
    const std::size_t before = nettest::ReadCapture(CapturePath()).size();
    for (const auto& command : commands) {
        const auto result = nettest::RunCli(command);
        std::string shown;
        for (const auto& word : command) shown += word + " ";
        EXPECT_EQ(result.exitCode, 2) << shown << result.err;
        EXPECT_EQ(LineCount(result.err), 1u) << shown << result.err;
        EXPECT_EQ(result.err.rfind("vantrel-cli: ", 0), 0u) << shown << result.err;
        EXPECT_EQ(result.out, "") << shown;
    }
    EXPECT_EQ(nettest::ReadCapture(CapturePath()).size(), before);
}

// A module that answers with something else is there but wrong: saying it is silent would send
// the operator looking for a cable.
TEST_F(CliOverLoopback, AWrongReplyIsReportedAsSuchNotAsSilence) {
    auto result = nettest::RunCli({"check", "--from", "127.0.0.1", "127.0.0.143"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "127.0.0.143      unexpected reply\n");
    EXPECT_EQ(result.err, "vantrel-cli: check: 127.0.0.143: answered with an unexpected reply\n");

    result = nettest::RunCli(
        {"check", "--from", "127.0.0.1", "127.0.0.143", "127.0.0.142", "127.0.0.140"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "vantrel-cli: check: 1 of 3 devices did not answer; "
              "1 of 3 devices answered with an unexpected reply\n");

    test_support::TempFolder out;
    result =
        nettest::RunCli({"passport", "--from", "127.0.0.1", "127.0.0.143", "--out", out.Path()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "vantrel-cli: passport: 127.0.0.143: answered with an unexpected reply\n");
    EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
}

TEST_F(CliOverLoopback, SwitcherSetThatCouldNotSendExitsOne) {
    const nettest::BlockedPorts blocked(nettest::Ip("127.0.0.150"));
    ASSERT_TRUE(blocked.AllBound());
    const auto result =
        nettest::RunCli({"switcher", "set", "--from", "127.0.0.150", "127.0.0.141", "10.4.9.9"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(
        result.err,
        "vantrel-cli: switcher set: nothing was sent from 127.0.0.150: no socket could send\n");
    for (const auto& datagram : nettest::ReadCapture(CapturePath()))
        EXPECT_THAT(datagram.hex, Not(HasSubstr("0A040909")));
}

}  // namespace
