// vantrel-cli devices, run as the real program on private settings files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>

#include "settings_test_support.h"

extern char** environ;

namespace {

using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs vantrel-cli with the arguments and collects its exit code and both outputs.
CliRun RunCli(const std::vector<std::string>& args, const TempFolder& folder) {
    const std::string outPath = folder.File("stdout"), errPath = folder.File("stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::string> all{VANTREL_CLI_PATH, "devices"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    CliRun run;
    pid_t child = 0;
    if (posix_spawn(&child, VANTREL_CLI_PATH, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(child, &status, 0);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadBytes(outPath);
    run.err = ReadBytes(errPath);
    return run;
}

constexpr const char* kTwoDevices =
    "[List]\nTotal=2\nIP0=167880896\nMAC0=00:11:22:33:44:55\nIP1=-939415360\nMAC1=\n";

class CliDevices : public ::testing::Test {
protected:
    CliRun Devices(std::vector<std::string> args) {
        args.insert(args.end(), {"--settings", path_});
        return RunCli(args, folder_);
    }
    TempFolder folder_;
    std::string path_ = folder_.File("vantrel-panel.ini");
};

TEST_F(CliDevices, ListsStoredDevicesAsJsonAndAsTable) {
    WriteBytes(path_, kTwoDevices);
    const CliRun json = Devices({"--json"});
    EXPECT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out,
              "[\n"
              "  {\"position\": 1, \"address\": \"192.168.1.10\", \"mac\": \"00:11:22:33:44:55\"},\n"
              "  {\"position\": 2, \"address\": \"192.168.1.200\", \"mac\": \"\"}\n"
              "]\n");
    const CliRun table = Devices({});
    EXPECT_EQ(table.exitCode, 0) << table.err;
    EXPECT_EQ(table.out,
              "#  MAC                IP\n"
              "1  00:11:22:33:44:55  192.168.1.10\n"
              "2                     192.168.1.200\n");
    EXPECT_EQ(ReadBytes(path_), kTwoDevices);
}

TEST_F(CliDevices, MissingFileListsNothingAndIsNotCreated) {
    const CliRun json = Devices({"--json"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out, "[]\n");
    EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(CliDevices, AddAppendsAndRemoveTakesTheShownPosition) {
    ASSERT_EQ(Devices({"add", "192.168.1.10", "00-11-22-33-44-55"}).exitCode, 0);
    const CliRun second = Devices({"add", "192.168.1.200"});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(second.out, "added device 2: 192.168.1.200\n");
    EXPECT_EQ(ReadBytes(path_), kTwoDevices);

    const CliRun lower = Devices({"add", "10.0.0.1", "aa:bb:cc:dd:ee:0f"});
    ASSERT_EQ(lower.exitCode, 0) << lower.err;
    const CliRun removed = Devices({"remove", "1"});
    ASSERT_EQ(removed.exitCode, 0) << removed.err;
    EXPECT_EQ(removed.out, "removed device 1: 192.168.1.10\n");
    // Later devices move up; the last pair of keys stays beyond "Total".
    EXPECT_EQ(ReadBytes(path_),
              "[List]\nTotal=2\nIP0=-939415360\nMAC0=\nIP1=16777226\nMAC1=AA:BB:CC:DD:EE:0F\n"
              "IP2=16777226\nMAC2=AA:BB:CC:DD:EE:0F\n");
}

TEST_F(CliDevices, BadArgumentsExitTwoWithOneLineAndLeaveTheFileAlone) {
    WriteBytes(path_, kTwoDevices);
    const std::vector<std::vector<std::string>> bad = {
        {"add", "192.168.1"},         {"add", "192.168.1.300"},   {"add", "1.2.3.4", "00:11:22"},
        {"add"},                      {"add", "1.2.3.4", "00:11:22:33:44:55", "extra"},
        {"remove", "0"},              {"remove", "3"},            {"remove", "-1"},
        {"remove", "two"},            {"remove"},                 {"remove", "1", "2"},
        {"--verbose"},                {"list"},                   {"add", "1.2.3.4", "--json"},
    };
    for (const auto& args : bad) {
        const CliRun run = Devices(args);
        EXPECT_EQ(run.exitCode, 2) << args[0];
        EXPECT_TRUE(run.err.starts_with("vantrel-cli: devices: ")) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(ReadBytes(path_), kTwoDevices);
    EXPECT_EQ(RunCli({"--settings"}, folder_).exitCode, 2);
}

TEST_F(CliDevices, UnwritableSettingsFileFailsWithoutChangingIt) {
    const CliRun run = RunCli({"add", "10.0.0.1", "--settings", folder_.File("no-folder/x.ini")}, folder_);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
}

}  // namespace
