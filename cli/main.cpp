// vantrel-cli: the panel's configuration operations from a shell.
#include <iostream>
#include <string_view>

#include "app/command_line.h"
#include "app/program_version.h"
#include "app/settings_location.h"
#include "cli/commands.h"
#include "cli/module_command_args.h"

namespace {

constexpr std::string_view kProgramName = "vantrel-cli";

cli::Outcome SettingsPathCommand(cli::Arguments args) {
    const cli::CommandOutcomes run("settings-path");
    const bool log = cli::TakeFlag(args, "--log");
    if (!args.empty()) return run.BadArguments(app::command_line::UnexpectedArgument(args.front()));
    const std::string path = cli::DefaultSettingsPath();
    std::string error;
    if (!cli::CheckSettingsFile(path, false, error)) return {cli::kExitFailed, "", error};
    std::cout << (log ? app::settings_location::LogPathForSettings(path) : path) << '\n';
    return run.Done();
}

// One entry per command. Its help starts with the command's usage lines (each beginning
// "vantrel-cli "), which the overview lists; the rest is shown only by "COMMAND --help".
struct Command {
    std::string_view name;
    cli::Outcome (*run)(cli::Arguments);
    std::string_view help;
    std::string (*moreHelp)() = nullptr;  // help made from a table, shown after the rest
};

constexpr Command kCommands[] = {
    {"devices", cli::DevicesCommand,
     "vantrel-cli devices [--settings FILE] [--json]\n"
     "vantrel-cli devices add IP [MAC] [--settings FILE] [--force]\n"
     "vantrel-cli devices remove POSITION [--settings FILE] [--force]\n"
     "vantrel-cli devices export [--json] [--out FILE] [--settings FILE]\n"
     "vantrel-cli devices import FILE [--replace] [--settings FILE] [--force]\n"
     "Lists the stored devices, appends one, or removes the one shown as \"#\" POSITION.\n"
     "export writes the list as CSV (\"ip,mac\") or JSON ([{\"ip\": ..., \"mac\": ...}]);\n"
     "import reads either form: without --replace a listed address keeps its place and takes\n"
     "the file's MAC, new addresses are appended; a bad row is named by its line and nothing\n"
     "is written. While the panel runs with the same settings file, add, remove and import\n"
     "refuse (the panel would undo them at its next save) unless --force is given.\n"},
    {"adapters", cli::AdaptersCommand,
     "vantrel-cli adapters [--json]\n"
     "Lists the usable local adapters, the addresses --from accepts besides 127.x.x.x.\n"},
    {"check", cli::CheckCommand,
     "vantrel-cli check [--from LOCAL] [--jobs N] DEVICE... [--json]\n"
     "vantrel-cli check --all [--settings FILE] [--from LOCAL] [--jobs N] [--json]\n"
     "Asks each device (--all: each device of the stored list) for its switcher address and\n"
     "prints the results in the order asked; exits 1 when any does not answer.\n"
     "  --jobs N   up to N devices (1-256, default 64) are asked at the same time, so silent\n"
     "             ones cost one 3 s wait together; --jobs 1 asks one after another\n"},
    {"switcher", cli::SwitcherCommand,
     "vantrel-cli switcher set [--from LOCAL] DEVICE ADDRESS\n"
     "Sends a new switcher address; modules do not confirm it.\n"},
    {"passport", cli::PassportCommand,
     "vantrel-cli passport [--from LOCAL] DEVICE --out PATH\n"
     "vantrel-cli passport verify FILE... [--json]\n"
     "Saves the device's passport file at PATH, or under its proposed name when PATH is a\n"
     "folder, and prints the file's path. \"passport verify\" checks saved passport files:\n"
     "their marker and data lines, the record's layout and its checksum.\n"},
    {"discover", cli::DiscoverCommand,
     "vantrel-cli discover [--from LOCAL] [--query N] [--json]\n"
     "vantrel-cli discover --all-adapters [--json]\n"
     "Lists the modules that answer a broadcast within 2 s; --all-adapters searches every\n"
     "usable adapter at the same time and shows the adapters each module answered on. Then\n"
     "names the address conflicts: an address answered by two or more MACs, a MAC answering\n"
     "at two addresses, a listed device whose MAC differs from the module answering there,\n"
     "two listed devices with one MAC. --json: {\"modules\": [...], \"conflicts\": [...]}.\n"},
    {"sweep", cli::SweepCommand,
     "vantrel-cli sweep CIDR... [--from LOCAL] [--rate N] [--json] [--add-to-list] [--force]\n"
     "Finds devices where broadcasts do not reach (behind a router) by asking every host\n"
     "address of the ranges, e.g. 198.18.64.0/24, with the same exchange as check: at most a\n"
     "/16 in all, at most N new requests a second (default 500, at most 10000). Prints each\n"
     "device that answered with its switcher address; Ctrl-C stops at once and prints what was\n"
     "found. --add-to-list lists them (refused while the panel holds the list, unless --force).\n"
     "Exit 0 when some device answered, 1 when none did or the sweep was stopped.\n"},
    {"set-network", cli::SetNetworkCommand,
     "vantrel-cli set-network [--from LOCAL] --mac MAC --ip IP --mask MASK --gateway GATEWAY\n"
     "Gives the module with that MAC new network settings by broadcast; modules do not\n"
     "confirm them.\n"},
    {"command", cli::ModuleCommand,
     "vantrel-cli command DEVICE COMMAND... [--target N] [--param N] [--log FILE] [--dump] "
     "[--json]\n"
     "Sends module commands to DEVICE's control module (port 9000), in order, through one\n"
     "connection. COMMAND is NUMBER or NUMBER:HEX, e.g. 202, 401:0102030405, 303:00112233.\n"
     "  --target N     access-header target (low byte) of the commands below that take one,\n"
     "                 default 0\n"
     "  --param N      parameter of the commands below that take one, default 0\n"
     "  --log FILE     write the diagnostic log into FILE (appending); --dump adds hex dumps\n"
     "  --settings FILE  without --log, the log follows Debug/Log and Debug/Serial of FILE and\n"
     "                 is written beside it with the extension .log (default: the panel's file)\n"
     "  --json         [{\"command\": 401, \"result\": 0, \"data\": \"A1B2\"}, ...]\n"
     "Exit 0 when every result is 0, 1 when any is not, 2 for bad arguments.\n",
     cli::ModuleCommandsHelp},
    {"doctor", cli::DoctorCommand,
     "vantrel-cli doctor [--from LOCAL] [--search] [--json]\n"
     "Explains what stands between this computer and its modules: every IPv4 interface and\n"
     "whether it is a usable adapter; per adapter whether broadcasts leave through it, whether\n"
     "UDP 9100/9101 can be bound (and who holds them), whether the firewall drops the replies;\n"
     "and the one next step that matters most. Sends nothing unless --search is given, which\n"
     "lists the modules on every usable adapter at the same time (2 s), each with the ports it\n"
     "answered on and whether by unicast or broadcast (only by broadcast: another subnet).\n"
     "Exit 0 when nothing stands in the way (--search: some module was found), 1 otherwise,\n"
     "2 for bad arguments.\n"},
    {"site", cli::SiteCommand,
     "vantrel-cli site plan FILE [--from LOCAL] [--json]\n"
     "vantrel-cli site apply FILE [--from LOCAL] [--yes] [--force] [--add-to-list] [--json]\n"
     "FILE says what each module should be, by MAC: CSV with a header naming some of\n"
     "mac,ip,mask,gateway,switcher (mac required; ip, mask and gateway together; '#' starts a\n"
     "comment) or the same as a JSON array of objects. plan searches the adapter's segment,\n"
     "checks each module found and prints per row what would change, or why it cannot be\n"
     "applied; it sends no settings. Exit 0: the site matches; 3: changes are pending; 4: a\n"
     "row cannot be applied; 1: the search could not be sent; 2: bad arguments.\n"
     "apply shows the plan, asks on a terminal (without one it needs --yes), then sends each\n"
     "module its network settings by MAC and its switcher address at its new address, and\n"
     "verifies both with a new search and a check. A row whose new address another module\n"
     "answers now is refused unless --force; --add-to-list lists the verified modules.\n"
     "Exit 0 when every change is verified, 1 otherwise.\n"},
    {"watch", cli::WatchCommand,
     "vantrel-cli watch [--interval S] [--duration S] [--jobs N] [--settings FILE] [--from LOCAL] "
     "[--json]\n"
     "Checks every device of the stored list every S seconds (default 30), all at once (up to\n"
     "--jobs, default 64), and prints one time-stamped line per change: a device came online,\n"
     "went offline, its switcher address changed, it left the list. The first round prints\n"
     "each device's state once. The list is read again when the settings file changes.\n"
     "--json prints JSON lines ({\"time\": ..., \"ip\": ..., \"mac\": ..., \"event\": ...}).\n"
     "Ctrl-C or SIGTERM ends it with a one-line summary; so does --duration (default one day).\n"},
    {"settings-path", SettingsPathCommand,
     "vantrel-cli settings-path [--log]\n"
     "Prints the panel's settings file that the commands use without --settings (beside the\n"
     "panel when its folder is writable or the file is there, else in\n"
     "$XDG_CONFIG_HOME/vantrel/), or with --log the diagnostic log beside it.\n"},
};

constexpr std::string_view kCommonHelp =
    "Without --from the adapter stored by the panel (Config/LocalIP) is used. Every command\n"
    "takes --settings FILE to use another settings file than the panel's own.\n";

constexpr std::string_view kUsageLinePrefix = "vantrel-cli ";

void PrintOverview() {
    std::cout << "usage: vantrel-cli COMMAND [ARGS]\n";
    for (const auto& command : kCommands) {
        std::string_view help = command.help;
        while (help.starts_with(kUsageLinePrefix)) {
            const auto end = help.find('\n') + 1;
            std::cout << "  "
                      << help.substr(kUsageLinePrefix.size(), end - kUsageLinePrefix.size());
            help.remove_prefix(end);
        }
    }
    std::cout << kCommonHelp << "vantrel-cli COMMAND --help describes one command;\n"
              << "vantrel-cli --version prints the version.\n";
}

bool AsksForHelp(const cli::Arguments& args) {
    for (const auto& arg : args)
        if (arg == "--help" || arg == "-h") return true;
    return false;
}

// The program's own answer to its first argument: the command's outcome, or why there is none.
cli::Outcome RunProgram(int argc, char** argv) {
    constexpr std::string_view kHint = "; 'vantrel-cli --help' lists the commands";
    const auto bad = [](std::string message) {
        return cli::Outcome{cli::kExitBadArguments, "", message};
    };
    if (argc < 2) return bad("no command given" + std::string(kHint));
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h") {
        PrintOverview();
        return {};
    }
    if (name == "--version") {
        std::cout << app::VersionLine(kProgramName);
        return {};
    }
    cli::Arguments args(argv + 2, argv + argc);
    // "passport verify" reads files only; it answers its own --help.
    if (name == "passport" && !args.empty() && args.front() == "verify")
        return cli::PassportVerifyCommand(cli::Arguments(args.begin() + 1, args.end()));
    for (const auto& command : kCommands) {
        if (command.name != name) continue;
        if (AsksForHelp(args)) {
            std::cout << command.help << (command.moreHelp ? command.moreHelp() : "")
                      << kCommonHelp;
            return {};
        }
        return command.run(std::move(args));
    }
    std::vector<std::string_view> names;
    for (const auto& command : kCommands) names.push_back(command.name);
    const std::string message = "unknown command '" + std::string(name) + "'";
    if (const auto nearest = cli::NearestName(name, names))
        return bad(message + "; did you mean '" + std::string(*nearest) +
                   "'? 'vantrel-cli --help' lists the commands");
    return bad(message + std::string(kHint));
}

}  // namespace

int main(int argc, char** argv) { return cli::Report(RunProgram(argc, argv)); }
