// vantrel-cli command against the simulator's control modules: one interface for all the
// commands of a call, the exit codes, the log it writes, and nothing sent for bad arguments.
#include <filesystem>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/net/control_test_support.h"

namespace {

using testing::HasSubstr;

using nettest::ControlCapture;
using nettest::CountOf;
using nettest::CountStartingWith;
using nettest::RunCli;

class ControlCliOverLoopback : public nettest::LoopbackSimulatorSuite {
protected:
    static void SetUpTestSuite() {
        StartSuiteSimulator({"--module", "ip=127.0.0.221,control=on", "--module",
                             "ip=127.0.0.222,control=on", "--module",
                             "ip=127.0.0.223,control-fault=not-listening", "--module",
                             "ip=127.0.0.224,control=on"});
    }
    void WriteSettings(const std::string& text) {
        std::ofstream(folder_.File("panel.ini"), std::ios::binary) << text;
    }
    nettest::TempDir folder_;
};

TEST_F(ControlCliOverLoopback, AllCommandsOfACallShareOneInterfaceInOrder) {
    WriteSettings("[Config]\nLocalIP=0\n");
    const auto run =
        RunCli({"command", "127.0.0.221", "401:A1B2", "302:0102", "402", "301", "206", "--target",
                "0x105", "--json", "--settings", folder_.File("panel.ini")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "[{\"command\": 401, \"result\": 0, \"data\": \"\"}, "
              "{\"command\": 302, \"result\": 0, \"data\": \"\"}, "
              "{\"command\": 402, \"result\": 0, \"data\": \"A1B2\"}, "
              "{\"command\": 301, \"result\": 0, \"data\": \"0102\"}, "
              "{\"command\": 206, \"result\": 0, \"data\": \"\"}]\n");
    const auto wire = ControlCapture(CapturePath(), "127.0.0.221", 5);
    EXPECT_EQ(wire.datagrams,
              (std::vector<std::string>{"0300010000000200A1B2", "0400020000000000"}));
    EXPECT_EQ(CountOf(wire.events, "tcp-accepted"), 1u);
    // The settings file does not switch the log on: no log file beside it.
    EXPECT_FALSE(std::filesystem::exists(folder_.File("panel.log")));
}

TEST_F(ControlCliOverLoopback, LogFollowsTheSettingsFileAndLandsBesideIt) {
    WriteSettings("[Debug]\nLog=1\nSerial=0\n");
    const auto run =
        RunCli({"command", "127.0.0.222", "202", "--settings", folder_.File("panel.ini")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "202: 0 success\n");
    const auto log = nettest::LogMessages(folder_.File("panel.log"));
    EXPECT_EQ(log, (std::vector<std::string>{"CModuleInterface::DoCommand(202 to 00)",
                                             "CTCPTransport::Connect(127.0.0.222:9000)...",
                                             "CTCPTransport::Connect() = 0",
                                             "CTCPTransport::Disconnect(127.0.0.222:9000)"}));
}

TEST_F(ControlCliOverLoopback, LogOptionWritesHexDumpsAndAFailureExitsWithOne) {
    const std::string logPath = folder_.File("cli.log");
    const auto run =
        RunCli({"command", "127.0.0.223", "401:01", "202", "--log", logPath, "--dump"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_EQ(run.out, "401: 0 success\n202: 3 no answer\n");
    const auto log = nettest::LogMessages(logPath);
    EXPECT_EQ(CountOf(log, "WR: [03 00 01 00 00 00 01 00 01 00 ]"), 1u);
    EXPECT_EQ(CountOf(log, "RD: [00 00 01 00 ]"), 1u);
    EXPECT_EQ(CountOf(log, "CTCPTransport::Connect() = 3"), 1u);
}

TEST_F(ControlCliOverLoopback, BadArgumentsSendNothingAndExitWithTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"command", "127.0.0.224", "401:A1B", "402"},
        {"command", "127.0.0.224", "402", "x"},
        {"command", "127.0.0.224", "501:01"},
        {"command", "127.0.0.224", "402:00"},
        {"command", "127.0.0.224", "402", "--target", "256x"},
        {"command", "127.0.0.224", "402", "--dump"},
        {"command", "127.0.0.224"},
        {"command", "0.0.0.0", "402"},
    };
    for (const auto& args : cases) {
        const auto run = RunCli(args);
        EXPECT_EQ(run.exitCode, 2) << args.back();
        EXPECT_EQ(run.out, "") << args.back();
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    const auto help = RunCli({"command", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_THAT(help.out, HasSubstr("vantrel-cli command DEVICE COMMAND..."));
    const auto wire = ControlCapture(CapturePath(), "127.0.0.224", 0);
    EXPECT_TRUE(wire.tcpBytes.empty());
    EXPECT_TRUE(wire.events.empty());
    EXPECT_TRUE(wire.datagrams.empty());
}

}  // namespace
