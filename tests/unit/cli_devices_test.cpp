// vantrel-cli devices and the command line as a whole, run as the real program on private
// settings files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/control_panel_app.h"
#include "cli/cli_support.h"
#include "settings_test_support.h"
#include "tests/support/scoped_env.h"

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

// Runs vantrel-cli (or another copy of it) with the arguments and collects its exit code and
// both outputs.
CliRun RunCli(const std::vector<std::string>& args, const TempFolder& folder,
              const std::string& program = VANTREL_CLI_PATH) {
    const std::string outPath = folder.File("stdout"), errPath = folder.File("stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    CliRun run;
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
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

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

class CliDevices : public ::testing::Test {
protected:
    CliRun Devices(std::vector<std::string> args) {
        args.insert(args.begin(), "devices");
        args.insert(args.end(), {"--settings", path_});
        return RunCli(args, folder_);
    }
    TempFolder folder_, runtime_;
    // A private lock folder, shared with the programs started here, so a panel running on this
    // machine takes no part and a panel made here is seen by them.
    const test_support::ScopedEnv runtimeVariable_{"XDG_RUNTIME_DIR", runtime_.Path()};
    std::string path_ = folder_.File("vantrel-panel.ini");
};

TEST_F(CliDevices, ListsStoredDevicesAsJsonAndAsTable) {
    WriteBytes(path_, kTwoDevices);
    const CliRun json = Devices({"--json"});
    EXPECT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(
        json.out,
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

TEST_F(CliDevices, MissingDefaultFileListsNothingAndIsNotCreated) {
    // The default file lies beside the program, so a copy of it runs in a folder of its own.
    const std::string program = folder_.File("vantrel-cli");
    std::filesystem::copy_file(VANTREL_CLI_PATH, program);
    const CliRun json = RunCli({"devices", "--json"}, folder_, program);
    EXPECT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out, "[]\n");
    EXPECT_FALSE(std::filesystem::exists(path_));
}

// A file the user named and mistyped must not look like an empty list.
TEST_F(CliDevices, NamedSettingsFileThatIsMissingOrAFolderIsAnError) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--json"}, {"remove", "1"}}) {
        const CliRun run = Devices(args);
        EXPECT_EQ(run.exitCode, 2) << args[0];
        EXPECT_EQ(run.err, "vantrel-cli: devices" +
                               std::string(args[0] == "remove" ? " remove" : "") +
                               ": --settings: " + path_ + " does not exist\n");
    }
    EXPECT_FALSE(std::filesystem::exists(path_));
    for (const auto& command : std::vector<std::string>{"devices", "check"}) {
        const CliRun run = RunCli({command, "--settings", folder_.Path(), "127.0.0.2"}, folder_);
        EXPECT_EQ(run.exitCode, 2) << command;
        EXPECT_EQ(run.err, "vantrel-cli: " + command + ": --settings: " + folder_.Path() +
                               " is a folder, not a settings file\n");
    }
    const CliRun add =
        RunCli({"devices", "add", "10.0.0.1", "--settings", folder_.Path()}, folder_);
    EXPECT_EQ(add.exitCode, 2);
    EXPECT_NE(add.err.find("is a folder"), std::string::npos) << add.err;
    const CliRun check = RunCli({"check", "--settings", path_, "127.0.0.2"}, folder_);
    EXPECT_EQ(check.exitCode, 2);
    EXPECT_EQ(check.err, "vantrel-cli: check: --settings: " + path_ + " does not exist\n");
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

// Export then import --replace into an empty file gives the list back byte for byte, in both
// forms; a merge keeps listed places; a bad row is named by its line and nothing is written.
TEST_F(CliDevices, ExportedListImportsBackAndABadRowWritesNothing) {
    WriteBytes(path_, kTwoDevices);
    for (const bool json : {false, true}) {
        const std::string exported = folder_.File(json ? "list.json" : "list.csv");
        std::vector<std::string> args = {"export", "--out", exported};
        if (json) args.push_back("--json");
        ASSERT_EQ(Devices(args).exitCode, 0);
        const std::string copy = folder_.File(json ? "copy-json.ini" : "copy-csv.ini");
        const CliRun imported =
            RunCli({"devices", "import", exported, "--replace", "--settings", copy}, folder_);
        ASSERT_EQ(imported.exitCode, 0) << imported.err;
        EXPECT_EQ(imported.out, "2 added, 0 updated, 0 unchanged, 0 removed; 2 devices listed\n");
        EXPECT_EQ(ReadBytes(copy), kTwoDevices) << (json ? "JSON" : "CSV");
    }
    EXPECT_EQ(ReadBytes(folder_.File("list.csv")),
              "ip,mac\n192.168.1.10,00:11:22:33:44:55\n192.168.1.200,\n");

    const std::string merged = folder_.File("merge.csv");
    WriteBytes(merged,
               "ip,mac\n# a comment\n\n10.0.0.1\n192.168.1.200,aa-bb-cc-dd-ee-ff\n192.168.1.10\n");
    const CliRun merge = Devices({"import", merged});
    ASSERT_EQ(merge.exitCode, 0) << merge.err;
    EXPECT_EQ(merge.out, "1 added, 1 updated, 1 unchanged; 3 devices listed\n");
    const std::string afterMerge =
        "[List]\nTotal=3\nIP0=167880896\nMAC0=00:11:22:33:44:55\nIP1=-939415360\n"
        "MAC1=AA:BB:CC:DD:EE:FF\nIP2=16777226\nMAC2=\n";
    EXPECT_EQ(ReadBytes(path_), afterMerge);

    const std::vector<std::pair<std::string, std::string>> bad = {
        {"ip,mac\n10.0.0.2\n10.0.0.255.1\n",
         "line 3: '10.0.0.255.1' is not the address of one host"},
        {"ip,mac\n10.0.0.2,00:11\n",
         "line 2: '00:11' is not a MAC address (six hexadecimal bytes)"},
        {"ip\n10.0.0.2\n10.0.0.3\n10.0.0.2\n", "line 4: 10.0.0.2 is already on line 2"},
        {"ip,port\n", "line 1: unknown column 'port' (the columns are ip, mac)"},
        {"[{\"ip\": \"10.0.0.2\"},\n {\"ip\": \"224.0.0.1\"}]",
         "line 2: '224.0.0.1' is not the address of one host"},
        {"[{\"ip\": 10}]", "line 1 (entry 1): \"ip\" must be a text"},
    };
    const std::string badFile = folder_.File("bad.txt");
    for (const auto& [text, reason] : bad) {
        WriteBytes(badFile, text);
        const CliRun run = Devices({"import", badFile});
        EXPECT_EQ(run.exitCode, 1) << text;
        EXPECT_EQ(run.err, "vantrel-cli: devices import: " + badFile + ": " + reason +
                               "; nothing was written\n");
    }
    EXPECT_EQ(ReadBytes(path_), afterMerge);
}

TEST_F(CliDevices, BadArgumentsExitTwoWithOneLineAndLeaveTheFileAlone) {
    WriteBytes(path_, kTwoDevices);
    const std::vector<std::vector<std::string>> bad = {
        {"add", "192.168.1"},
        {"add", "192.168.1.300"},
        {"add", "1.2.3.4", "00:11:22"},
        {"add"},
        {"add", "1.2.3.4", "00:11:22:33:44:55", "extra"},
        {"remove", "0"},
        {"remove", "3"},
        {"remove", "-1"},
        {"remove", "two"},
        {"remove"},
        {"remove", "1", "2"},
        {"--verbose"},
        {"list"},
        {"add", "1.2.3.4", "--json"},
    };
    for (const auto& args : bad) {
        const CliRun run = Devices(args);
        EXPECT_EQ(run.exitCode, 2) << args[0];
        // Named after the command as typed.
        const std::string typed =
            args[0] == "add" || args[0] == "remove" ? "devices " + args[0] : "devices";
        EXPECT_TRUE(run.err.starts_with("vantrel-cli: " + typed + ": ")) << run.err;
        EXPECT_EQ(LineCount(run.err), 1u) << run.err;
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(ReadBytes(path_), kTwoDevices);
    EXPECT_EQ(RunCli({"devices", "--settings"}, folder_).exitCode, 2);
}

// The panel would check such a device by sending to many hosts at once, or to none.
TEST_F(CliDevices, AddRefusesAddressesThatAreNotOneHost) {
    WriteBytes(path_, kTwoDevices);
    for (const char* address : {"0.0.0.0", "255.255.255.255", "224.0.0.1", "240.1.2.3"}) {
        const CliRun run = Devices({"add", address});
        EXPECT_EQ(run.exitCode, 2) << address;
        EXPECT_EQ(run.err, "vantrel-cli: devices add: '" + std::string(address) +
                               "' is not the address of one host\n");
    }
    EXPECT_EQ(ReadBytes(path_), kTwoDevices);
    EXPECT_EQ(Devices({"add", "223.255.255.254"}).exitCode, 0);
}

// A running panel saves its whole list from memory, which would silently undo an edit made
// under it; only its own file is protected.
TEST_F(CliDevices, EditsAreRefusedWhileThePanelHoldsTheSameFile) {
    WriteBytes(path_, kTwoDevices);
    app::CControlPanelApp panel;
    panel.SetSettingsPath(path_);
    ASSERT_TRUE(panel.AcquireInstanceGuard());
    std::filesystem::create_symlink(path_, folder_.File("link.ini"));
    WriteBytes(folder_.File("one.csv"), "ip\n10.0.0.1\n");
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"devices", "add", "10.0.0.1", "--settings", path_},
             {"devices", "remove", "1", "--settings", path_},
             {"devices", "add", "10.0.0.1", "--settings", folder_.File("link.ini")},
             {"devices", "import", folder_.File("one.csv"), "--settings", path_}}) {
        const CliRun run = RunCli(args, folder_);
        EXPECT_EQ(run.exitCode, 1) << args[1];
        EXPECT_EQ(run.err, "vantrel-cli: devices " + args[1] +
                               ": the panel has the device list of " + args.back() +
                               " open and would undo this; close it or give --force\n");
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(ReadBytes(path_), kTwoDevices);
    EXPECT_EQ(Devices({"--json"}).exitCode, 0);  // reading is harmless

    const std::string other = folder_.File("other.ini");
    EXPECT_EQ(RunCli({"devices", "add", "10.0.0.1", "--settings", other}, folder_).exitCode, 0);
    const CliRun forced = Devices({"add", "10.0.0.1", "--force"});
    EXPECT_EQ(forced.exitCode, 0) << forced.err;
    EXPECT_EQ(forced.out, "added device 3: 10.0.0.1\n");

    panel.ReleaseInstanceGuard();
    EXPECT_EQ(Devices({"remove", "3"}).exitCode, 0);
    EXPECT_EQ(ReadBytes(path_).substr(0, 15), "[List]\nTotal=2\n");
}

TEST_F(CliDevices, UnknownOrMissingCommandExitsTwoWithOneLineAndAHint) {
    const CliRun unknown = RunCli({"qwerty", "--json"}, folder_);
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.err,
              "vantrel-cli: unknown command 'qwerty'; 'vantrel-cli --help' lists the commands\n");
    EXPECT_EQ(unknown.out, "");
    const CliRun none = RunCli({}, folder_);
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(LineCount(none.err), 1u) << none.err;
    const CliRun switcher = RunCli({"switcher", "get", "127.0.0.2"}, folder_);
    EXPECT_EQ(switcher.exitCode, 2);
    EXPECT_EQ(switcher.err,
              "vantrel-cli: switcher: unknown subcommand 'get'; the only one is 'set'\n");
}

TEST_F(CliDevices, MisspeltCommandSuggestsTheNearestOne) {
    for (const auto& [typed, meant] :
         std::vector<std::pair<std::string, std::string>>{{"devics", "devices"},
                                                          {"swticher", "switcher"},
                                                          {"pasport", "passport"},
                                                          {"chek", "check"},
                                                          {"setnetwork", "set-network"},
                                                          {"settings-paht", "settings-path"}}) {
        const CliRun run = RunCli({typed}, folder_);
        EXPECT_EQ(run.exitCode, 2) << typed;
        EXPECT_EQ(run.err, "vantrel-cli: unknown command '" + typed + "'; did you mean '" + meant +
                               "'? 'vantrel-cli --help' lists the commands\n");
    }
    const std::vector<std::string_view> names = {"devices", "adapters", "check"};
    EXPECT_EQ(cli::NearestName("ad", names), std::nullopt);       // too short to guess from
    EXPECT_EQ(cli::NearestName("network", names), std::nullopt);  // nothing near
    EXPECT_EQ(cli::NearestName("check", names), std::nullopt);    // not misspelt at all
    EXPECT_EQ(cli::NearestName("", names), std::nullopt);
    EXPECT_EQ(cli::NearestName("adaptres", names), "adapters");
}

TEST_F(CliDevices, VersionNamesTheProgramAndTheBuild) {
    const CliRun run = RunCli({"--version"}, folder_);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(run.out.starts_with("vantrel-cli " VANTREL_PROJECT_VERSION)) << run.out;
    EXPECT_EQ(LineCount(run.out), 1u);
}

// A copy whose folder it can write uses the file beside itself; its users' folder stays as it was.
TEST_F(CliDevices, SettingsPathOfAWritableCopyIsBesideItAndUsedByEveryCommand) {
    const std::string program = folder_.File("vantrel-cli");
    std::filesystem::copy_file(VANTREL_CLI_PATH, program);
    TempFolder config;
    const test_support::ScopedEnv configVariable("XDG_CONFIG_HOME", config.Path());
    const CliRun path = RunCli({"settings-path"}, folder_, program);
    const CliRun log = RunCli({"settings-path", "--log"}, folder_, program);
    const CliRun add = RunCli({"devices", "add", "10.0.0.1"}, folder_, program);
    const CliRun extra = RunCli({"settings-path", "x"}, folder_, program);
    EXPECT_EQ(path.exitCode, 0) << path.err;
    EXPECT_EQ(path.out, path_ + "\n");
    EXPECT_EQ(log.out, folder_.File("vantrel-panel.log") + "\n");
    EXPECT_EQ(add.exitCode, 0) << add.err;
    EXPECT_EQ(ReadBytes(path_).substr(0, 15), "[List]\nTotal=1\n");
    EXPECT_TRUE(std::filesystem::is_empty(config.Path()));
    EXPECT_EQ(extra.exitCode, 2);
    EXPECT_EQ(extra.err, "vantrel-cli: settings-path: unexpected argument 'x'\n");
}

TEST_F(CliDevices, HelpOfEveryCommandGoesToStandardOutput) {
    const CliRun overview = RunCli({"--help"}, folder_);
    EXPECT_EQ(overview.exitCode, 0);
    const std::vector<std::vector<std::string>> commands = {
        {"devices"},  {"devices", "add"}, {"devices", "remove"}, {"adapters"},
        {"check"},    {"switcher"},       {"switcher", "set"},   {"passport"},
        {"discover"}, {"set-network"},    {"settings-path"}};
    for (auto args : commands) {
        std::string shown = "vantrel-cli";
        for (const auto& word : args) shown += " " + word;
        EXPECT_NE(overview.out.find("  " + shown.substr(12)), std::string::npos) << shown;
        for (const char* help : {"--help", "-h"}) {
            args.push_back(help);
            const CliRun run = RunCli(args, folder_);
            args.pop_back();
            EXPECT_EQ(run.exitCode, 0) << shown;
            EXPECT_EQ(run.err, "") << shown;
            EXPECT_NE(run.out.find(shown), std::string::npos) << shown << '\n' << run.out;
        }
    }
}

TEST_F(CliDevices, UnwritableSettingsFileFailsWithoutChangingIt) {
    const CliRun run = RunCli(
        {"devices", "add", "10.0.0.1", "--settings", folder_.File("no-folder/x.ini")}, folder_);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
}

// vantrel-cli, vantrel-modsim and vantrel-remote read their command lines alike: each, run for
// real, says that an option lacks its value, came twice or is unknown in the same words, on its
// last line of standard error, and exits 2. A value is taken before flags, so "--module --help"
// is a module, not a request for help.
TEST_F(CliDevices, EveryProgramRefusesABadCommandLineInTheSameWords) {
    struct Case {
        std::string program;
        std::vector<std::string> args;
        std::string lastLine;
    };
    std::vector<Case> cases = {
        {VANTREL_CLI_PATH,
         {"doctor", "--from"},
         "vantrel-cli: doctor: --from needs a local address"},
        {VANTREL_CLI_PATH,
         {"check", "--from", "127.0.0.1", "--fast", "127.0.0.2"},
         "vantrel-cli: check: unknown option '--fast'"},
        {VANTREL_MODSIM_PATH,
         {"--module", "ip=127.0.0.2", "--capture"},
         "vantrel-modsim: --capture needs a value"},
        {VANTREL_MODSIM_PATH,
         {"--duration", "1", "--module", "ip=127.0.0.2", "--duration", "2"},
         "vantrel-modsim: --duration given twice"},
        {VANTREL_MODSIM_PATH,
         {"--module", "--help"},
         "vantrel-modsim: --module \"--help\": \"--help\" is not key=value"},
    };
#ifdef VANTREL_REMOTE_PATH
    const std::string usage = "; usage: vantrel-remote DEVICE [--skin DIR] [--settings FILE]";
    cases.push_back({VANTREL_REMOTE_PATH,
                     {"10.0.0.1", "--skin"},
                     "vantrel-remote: --skin needs a value" + usage});
    cases.push_back({VANTREL_REMOTE_PATH,
                     {"--settings", "a.ini", "10.0.0.1", "--settings", "b.ini"},
                     "vantrel-remote: --settings given twice" + usage});
    cases.push_back({VANTREL_REMOTE_PATH,
                     {"--fast", "10.0.0.1"},
                     "vantrel-remote: unknown option '--fast'" + usage});
#endif
    for (const Case& c : cases) {
        const CliRun run = RunCli(c.args, folder_, c.program);
        const std::string shown = c.program + " " + c.args[0] + " " + c.args[1];
        EXPECT_EQ(run.exitCode, 2) << shown;
        EXPECT_TRUE(run.err.ends_with("\n" + c.lastLine + "\n") || run.err == c.lastLine + "\n")
            << shown << '\n'
            << run.err;
        EXPECT_EQ(run.out, "") << shown;
    }
}

}  // namespace
