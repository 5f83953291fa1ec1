// vantrel-cli command: numbered module commands to a device's control module (port 9000), all
// through one command interface so datagram numbers run on and the TCP connection is reused.
#include <array>
#include <iostream>

#include "app/debug_log.h"
#include "cli/commands.h"
#include "cli/module_command_args.h"
#include "cli/network_args.h"
#include "netconfig/address_text.h"
#include "protocol/module_interface.h"

namespace cli {

namespace {

bool TakeNumber(Arguments& args, std::string_view option, std::uint32_t& value,
                std::string& error) {
    bool missing = false;
    const auto text = TakeOption(args, option, missing);
    if (missing) {
        error = app::command_line::NeedsValue(option);
        return false;
    }
    if (text && !ParseNumberOption(*text, value)) {
        error = std::string(option) + " '" + *text + "' is not a number (decimal or 0x hex)";
        return false;
    }
    return true;
}

}  // namespace

Outcome ModuleCommand(Arguments args) {
    const CommandOutcomes run("command");
    const bool json = TakeFlag(args, "--json");
    const bool dump = TakeFlag(args, "--dump");
    std::uint32_t target = 0;
    std::uint32_t parameter = 0;
    std::string error;
    if (!TakeNumber(args, "--target", target, error) ||
        !TakeNumber(args, "--param", parameter, error))
        return run.BadArguments(error);
    bool missing = false;
    const auto logPath = TakeOption(args, "--log", missing);
    if (missing || (logPath && logPath->empty()))
        return run.BadArguments(app::command_line::NeedsValue("--log", "a FILE"));
    const auto settingsPath = TakeOption(args, "--settings", missing);
    if (missing || (settingsPath && settingsPath->empty()))
        return run.BadArguments(app::command_line::NeedsValue("--settings", "a FILE"));
    if (dump && !logPath)
        return run.BadArguments(app::command_line::NeedsValue("--dump", "--log FILE"));
    if (const std::string option = FirstOption(args); !option.empty())
        return run.BadArguments(app::command_line::UnknownOption(option));
    if (args.size() < 2)
        return run.BadArguments("usage: vantrel-cli command DEVICE COMMAND... (see --help)");

    std::uint32_t device = 0;
    if (!netconfig::ParseIpAddress(args[0], device) || !netconfig::IsSingleHostAddress(device))
        return run.BadArguments("device '" + args[0] + "' is not the address of one host");
    std::vector<ModuleCommandArg> commands(args.size() - 1);
    for (std::size_t i = 1; i < args.size(); ++i)
        if (!ParseModuleCommandArg(args[i], commands[i - 1], error)) return run.BadArguments(error);

    if (logPath)
        app::ForceDebugLog(*logPath, dump);
    else
        app::UseDebugLogSettings(settingsPath ? *settingsPath : DefaultSettingsPath());

    protocol::CModuleInterface module(device);
    std::vector<ModuleCommandOutcome> outcomes;
    bool allOk = true;
    std::array<std::uint8_t, protocol::packet::kBufferSize> buffer;
    for (const ModuleCommandArg& command : commands) {
        buffer.fill(0);
        std::copy(command.data.begin(), command.data.end(), buffer.begin());
        std::uint32_t count = 0;
        ModuleCommandOutcome outcome;
        outcome.command = command.command;
        outcome.result = protocol::ResultCode(module.DoCommand(
            count, static_cast<int>(target), command.command, static_cast<int>(parameter),
            static_cast<int>(command.data.size()), buffer.data()));
        outcome.data.assign(buffer.begin(),
                            buffer.begin() + std::min<std::size_t>(count, buffer.size()));
        allOk = allOk && outcome.result == 0;
        outcomes.push_back(std::move(outcome));
    }
    std::cout << (json ? FormatOutcomesJson(outcomes) : FormatOutcomesText(outcomes));
    // Each result is on standard output already; a failed one needs no further line.
    return allOk ? run.Done() : run.Failed();
}

}  // namespace cli
