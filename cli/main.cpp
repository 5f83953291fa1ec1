// vantrel-cli: the panel's configuration operations from a shell.
#include <iostream>
#include <string_view>

#include "cli/commands.h"

namespace {

constexpr std::string_view kUsage =
    "usage: vantrel-cli COMMAND [ARGS]\n"
    "  devices [--settings FILE] [--json]          list the stored devices\n"
    "  devices add IP [MAC] [--settings FILE]      append a device and save the list\n"
    "  devices remove POSITION [--settings FILE]   remove the device at POSITION (1-based)\n"
    "  adapters [--json]                           usable local adapters\n"
    "  check [--from LOCAL] DEVICE... [--json]     ask devices for their switcher address\n"
    "  switcher set [--from LOCAL] DEVICE ADDRESS  set a device's switcher address\n"
    "  passport [--from LOCAL] DEVICE --out PATH   save a device's passport file\n"
    "  discover [--from LOCAL] [--query N] [--json]  list modules by broadcast\n"
    "  set-network [--from LOCAL] --mac MAC --ip IP --mask MASK --gateway GATEWAY\n"
    "  command DEVICE COMMAND... [--target N] [--param N] [--log FILE] [--dump] [--json]\n"
    "Without --from the adapter stored by the panel (Config/LocalIP) is used. Every command\n"
    "takes --settings FILE to use another settings file than the panel's own.\n";

struct Command {
    std::string_view name;
    int (*run)(cli::Arguments);
};

constexpr Command kCommands[] = {
    {"devices", cli::RunDevicesCommand},   {"adapters", cli::RunAdaptersCommand},
    {"check", cli::RunCheckCommand},       {"switcher", cli::RunSwitcherCommand},
    {"passport", cli::RunPassportCommand}, {"discover", cli::RunDiscoverCommand},
    {"set-network", cli::RunSetNetworkCommand}, {"command", cli::RunModuleCommand},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h") {
        (argc < 2 ? std::cerr : std::cout) << kUsage;
        return argc < 2 ? cli::kExitBadArguments : cli::kExitOk;
    }
    const std::string_view name = argv[1];
    cli::Arguments args(argv + 2, argv + argc);
    for (const auto& command : kCommands)
        if (command.name == name) return command.run(std::move(args));
    std::cerr << "vantrel-cli: unknown command '" << name << "'\n" << kUsage;
    return cli::kExitBadArguments;
}
