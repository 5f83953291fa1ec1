// The network commands of vantrel-cli: every argument is checked before anything is sent, and
// every exchange goes out from the address ChooseLocalAddress settled on.
#include <algorithm>
#include <iostream>
#include <vector>

#include "app/device_list.h"
#include "app/settings_file.h"

#include "cli/adapter_search.h"
#include "cli/commands.h"
#include "cli/conflicts.h"
#include "cli/device_exchanges.h"
#include "cli/local_address.h"
#include "cli/network_args.h"
#include "cli/network_output.h"
#include "netconfig/address_text.h"
#include "netconfig/local_adapters.h"
#include "netconfig/passport_file.h"
#include "platform/descriptor_limit.h"

namespace cli {

namespace {

// Neither the switcher address nor network settings are ever confirmed by a module.
constexpr const char* kSentUnconfirmed = "sent; modules do not confirm";

// One command's argument handling: it knows the command's name for every message.
class NetworkCommand : public CommandOutcomes {
public:
    using CommandOutcomes::CommandOutcomes;

    // Takes --from/--settings; then nothing that looks like an option may be left.
    Refusal TakeCommonOptions(Arguments& args) {
        std::string error;
        if (!TakeLocalAddressOptions(args, options_, error)) return BadArguments(error);
        if (const auto option = FirstOption(args); !option.empty())
            return BadArguments(app::command_line::UnknownOption(option));
        return std::nullopt;
    }

    Refusal TakeRequiredOption(Arguments& args, std::string_view option, std::string& value) const {
        bool missing = false;
        const auto taken = TakeOption(args, option, missing);
        if (!taken || taken->empty())
            return BadArguments(std::string(option) + " is required and needs a value");
        value = *taken;
        return std::nullopt;
    }

    Refusal ParseAddress(const std::string& text, const char* what, std::uint32_t& address) const {
        if (netconfig::ParseIpAddress(text, address)) return std::nullopt;
        return BadArguments(std::string(what) + " '" + text + "' is not an IPv4 address");
    }

    // Refused before anything could be sent to many hosts at once, or to none.
    Refusal ParseHost(const std::string& text, const char* what, std::uint32_t& address) const {
        if (auto refused = ParseAddress(text, what, address)) return refused;
        if (netconfig::IsSingleHostAddress(address)) return std::nullopt;
        return BadArguments(std::string(what) + " '" + text + "' is not the address of one host");
    }
    Refusal ParseDevice(const std::string& text, std::uint32_t& address) const {
        return ParseHost(text, "device", address);
    }

    // A send-only command: exit 0 when some socket sent, else 1, since nothing reached a module.
    Outcome ReportSent(ExchangeResult result, std::uint32_t local, const std::string& what) const {
        if (result == ExchangeResult::NotSent)
            return Failed("nothing was sent from " + netconfig::FormatIpAddress(local) +
                          ": no socket could send");
        std::cout << what << ": " << kSentUnconfirmed << '\n';
        return Done();
    }

    Refusal ExpectPositional(const Arguments& args, std::size_t count, const char* usage) const {
        if (args.size() == count) return std::nullopt;
        return BadArguments(args.size() < count
                                ? std::string("usage: ") + usage
                                : app::command_line::UnexpectedArgument(args[count]));
    }

    Refusal ChooseLocal(std::uint32_t& local) const {
        const auto choice = ChooseLocalAddress(options_);
        if (!choice.ok) return BadArguments(choice.error);
        local = choice.address;
        return std::nullopt;
    }

    // The panel's stored list, in its order, from --settings FILE or the panel's own file.
    Refusal LoadStoredDevices(std::vector<std::uint32_t>& devices) const {
        const std::string path = options_.settingsPath.value_or(DefaultSettingsPath());
        std::string error;
        if (!CheckSettingsFile(path, options_.settingsPath.has_value(), error))
            return BadArguments(error);
        app::SettingsFile settings(path);
        app::DeviceList list;
        app::LoadDeviceList(settings, list);
        if (list.empty()) return Failed("no devices are stored in " + path);
        for (const auto& record : list) devices.push_back(record->address);
        return std::nullopt;
    }

    bool HasFrom() const { return options_.from.has_value(); }

    // The stored list for the conflicts it takes part in: a named file must be there, the
    // panel's own may not be yet.
    Refusal LoadListedIfAny(app::DeviceList& list) const {
        const std::string path = options_.settingsPath.value_or(DefaultSettingsPath());
        std::string error;
        if (options_.settingsPath && !CheckSettingsFile(path, true, error))
            return BadArguments(error);
        if (path.empty()) return std::nullopt;
        app::SettingsFile settings(path);
        app::LoadDeviceList(settings, list);
        return std::nullopt;
    }

    // Each running exchange holds two descriptors: raises the process's limit on open
    // descriptors for `jobs` of them, and lowers `jobs`, saying so, when the system allows fewer.
    std::size_t JobsAfterRaisingDescriptorLimit(std::size_t jobs) const {
        const std::size_t limit = platform::RaiseDescriptorLimit(
            jobs * netconfig::kDescriptorsPerCheck + netconfig::kReservedDescriptors);
        const std::size_t fit = netconfig::JobsThatFit(jobs, limit);
        if (fit < jobs)
            Tell(Name(), "--jobs lowered from " + std::to_string(jobs) + " to " +
                             std::to_string(fit) + " to fit the open-file limit of " +
                             std::to_string(limit));
        return fit;
    }

private:
    LocalAddressOptions options_;
};

// A check of several devices names how many of them failed, and how.
Outcome CheckSummary(const NetworkCommand& command, const std::vector<CheckResult>& results) {
    std::size_t silent = 0, unexpected = 0;
    for (const auto& result : results) {
        const ExchangeResult outcome = ResultOf(result);
        if (outcome == ExchangeResult::Silent) ++silent;
        if (outcome == ExchangeResult::UnexpectedReply) ++unexpected;
    }
    if (silent + unexpected == 0) return command.Done();
    if (results.size() == 1)
        return command.Failed(NoAnswerText(results[0].address, ResultOf(results[0])));
    const std::string ofAll = " of " + std::to_string(results.size()) + " devices ";
    std::string summary;
    if (silent > 0) summary = std::to_string(silent) + ofAll + "did not answer";
    if (unexpected > 0)
        summary +=
            (summary.empty() ? "" : "; ") + std::to_string(unexpected) + ofAll + kUnexpectedReply;
    return command.Failed(summary);
}

}  // namespace

Outcome AdaptersCommand(Arguments args) {
    const NetworkCommand command("adapters");
    const bool json = TakeFlag(args, "--json");
    // Taken like every command's --settings, so scripts can pass it to all; adapters reads no
    // settings.
    bool missing = false;
    TakeOption(args, "--settings", missing);
    if (missing) return command.BadArguments(app::command_line::NeedsValue("--settings", "a file"));
    if (!args.empty()) return command.BadArguments(app::command_line::UnexpectedArgument(args[0]));
    std::vector<std::uint32_t> adapters;
    const bool any = netconfig::GetLocalAdapters(adapters);
    std::cout << (json ? AdaptersJson(adapters) : AdaptersText(adapters));
    return any ? command.Done() : command.Failed("no usable local adapter");
}

Outcome CheckCommand(Arguments args) {
    NetworkCommand command("check");
    const bool json = TakeFlag(args, "--json");
    const bool all = TakeFlag(args, "--all");
    bool missing = false;
    const auto jobsText = TakeOption(args, "--jobs", missing);
    std::size_t jobs = netconfig::kDefaultCheckJobs;
    if (missing || (jobsText && !ParseCheckJobs(*jobsText, jobs)))
        return command.BadArguments("--jobs needs a number " +
                                    std::to_string(netconfig::kMinCheckJobs) + "-" +
                                    std::to_string(netconfig::kMaxCheckJobs));
    if (auto refused = command.TakeCommonOptions(args)) return *refused;
    constexpr const char* kUsage =
        "usage: check [--from LOCAL] [--jobs N] (DEVICE... | --all) [--json]";
    if (args.empty() && !all) return command.BadArguments(kUsage);
    if (!args.empty() && all)
        return command.BadArguments("--all takes no DEVICE ('" + args[0] + "')");
    std::vector<std::uint32_t> devices(args.size());
    for (std::size_t i = 0; i < args.size(); ++i)
        if (auto refused = command.ParseDevice(args[i], devices[i])) return *refused;
    if (all)
        if (auto refused = command.LoadStoredDevices(devices)) return *refused;
    std::uint32_t local = 0;
    if (auto refused = command.ChooseLocal(local)) return *refused;
    jobs = command.JobsAfterRaisingDescriptorLimit(std::min(jobs, devices.size()));

    const auto results = CheckDevices(local, devices, jobs);
    std::cout << (json ? CheckJson(results) : CheckText(results)) << std::flush;
    return CheckSummary(command, results);
}

Outcome SwitcherCommand(Arguments args) {
    if (args.empty() || args[0] != "set") {
        const NetworkCommand typed("switcher");
        if (args.empty() || args[0].starts_with("-"))
            return typed.BadArguments("usage: switcher set [--from LOCAL] DEVICE ADDRESS");
        return typed.BadArguments("unknown subcommand '" + args[0] + "'; the only one is 'set'");
    }
    NetworkCommand command("switcher set");
    args.erase(args.begin());
    if (auto refused = command.TakeCommonOptions(args)) return *refused;
    if (auto refused =
            command.ExpectPositional(args, 2, "switcher set [--from LOCAL] DEVICE ADDRESS"))
        return *refused;
    std::uint32_t device = 0;
    std::uint32_t switcher = 0;
    if (auto refused = command.ParseDevice(args[0], device)) return *refused;
    if (auto refused = command.ParseAddress(args[1], "switcher address", switcher)) return *refused;
    std::uint32_t local = 0;
    if (auto refused = command.ChooseLocal(local)) return *refused;

    // The module never confirms a new switcher address, so there is nothing to wait for.
    return command.ReportSent(SendSwitcherAddress(local, device, switcher), local,
                              "switcher address " + netconfig::FormatIpAddress(switcher) + " for " +
                                  netconfig::FormatIpAddress(device));
}

Outcome PassportCommand(Arguments args) {
    NetworkCommand command("passport");
    std::string out;
    if (auto refused = command.TakeRequiredOption(args, "--out", out)) return *refused;
    if (auto refused = command.TakeCommonOptions(args)) return *refused;
    if (auto refused =
            command.ExpectPositional(args, 1, "passport [--from LOCAL] DEVICE --out PATH"))
        return *refused;
    std::uint32_t device = 0;
    if (auto refused = command.ParseDevice(args[0], device)) return *refused;
    std::uint32_t local = 0;
    if (auto refused = command.ChooseLocal(local)) return *refused;

    netconfig::PassportBuffer passport{};
    if (const auto result = FetchPassport(local, device, passport);
        result != ExchangeResult::Answered)
        return command.Failed(NoAnswerText(device, result));
    const std::string path = PassportOutputPath(out, passport, platform::CurrentLocalTime());
    if (!netconfig::WritePassportFile(path, device, passport))
        return command.Failed("cannot write " + path);
    std::cout << path << '\n';
    return command.Done();
}

Outcome DiscoverCommand(Arguments args) {
    NetworkCommand command("discover");
    const bool json = TakeFlag(args, "--json");
    const bool allAdapters = TakeFlag(args, "--all-adapters");
    bool missing = false;
    const auto queryText = TakeOption(args, "--query", missing);
    if (missing)
        return command.BadArguments(app::command_line::NeedsValue("--query", "a number 0-65535"));
    std::uint16_t query = netconfig::kWizardQueryCode;
    if (queryText && !ParseQueryCode(*queryText, query))
        return command.BadArguments("--query '" + *queryText + "' is not a number 0-65535");
    if (allAdapters && queryText)
        return command.BadArguments("--all-adapters searches with query 12");
    if (auto refused = command.TakeCommonOptions(args)) return *refused;
    if (auto refused = command.ExpectPositional(
            args, 0, "discover [--from LOCAL | --all-adapters] [--query N] [--json]"))
        return *refused;
    app::DeviceList listed;
    if (auto refused = command.LoadListedIfAny(listed)) return *refused;

    std::vector<std::uint32_t> adapters;
    if (allAdapters) {
        if (command.HasFrom())
            return command.BadArguments("--all-adapters and --from exclude each other");
        if (!netconfig::GetLocalAdapters(adapters))
            return command.Failed("no usable local adapter");
    } else {
        std::uint32_t local = 0;
        if (auto refused = command.ChooseLocal(local)) return *refused;
        adapters.push_back(local);
    }
    std::vector<bool> sent;
    std::vector<std::vector<netconfig::ModuleSighting>> found;
    if (allAdapters) {
        found = SearchAdapters(adapters, sent);
    } else {
        found.resize(1);
        sent.push_back(netconfig::ListModuleSightings(adapters[0], query, found[0]));
    }
    if (std::find(sent.begin(), sent.end(), true) == sent.end())
        return command.Failed("the module list request could not be sent from " +
                              netconfig::FormatIpAddress(adapters[0]) +
                              (adapters.size() > 1 ? " or any other adapter" : ""));
    const auto modules = MergeSearches(adapters, found);
    std::vector<netconfig::ModuleSighting> sightings;
    for (const auto& module : modules) sightings.push_back(module.sighting);
    const auto conflicts = FindConflicts(sightings, listed);
    std::cout << (json ? DiscoverJson(modules, conflicts, allAdapters)
                       : DiscoverText(modules, conflicts, allAdapters));
    return command.Done(!json && modules.empty() ? "no module answered" : "");
}

Outcome SetNetworkCommand(Arguments args) {
    NetworkCommand command("set-network");
    std::string macText, ipText, maskText, gatewayText;
    for (const auto& [option, value] :
         {std::pair{"--mac", &macText}, std::pair{"--ip", &ipText}, std::pair{"--mask", &maskText},
          std::pair{"--gateway", &gatewayText}})
        if (auto refused = command.TakeRequiredOption(args, option, *value)) return *refused;
    if (auto refused = command.TakeCommonOptions(args)) return *refused;
    if (auto refused = command.ExpectPositional(
            args, 0, "set-network [--from LOCAL] --mac MAC --ip IP --mask MASK --gateway GATEWAY"))
        return *refused;
    netconfig::MacAddress mac{};
    if (!netconfig::ParseMacAddress(macText, mac))
        return command.BadArguments("--mac '" + macText +
                                    "' is not a MAC address like 00:0A:1B:2C:3D:4E");
    std::uint32_t ip = 0, mask = 0, gateway = 0;
    if (auto refused = command.ParseHost(ipText, "--ip", ip)) return *refused;
    if (auto refused = command.ParseAddress(maskText, "--mask", mask)) return *refused;
    if (auto refused = command.ParseAddress(gatewayText, "--gateway", gateway)) return *refused;
    // A module given such a mask would misjudge which hosts are on its own segment.
    if (!IsContiguousMask(mask))
        return command.BadArguments("--mask '" + maskText +
                                    "' is not a network mask (its ones must come first)");
    std::uint32_t local = 0;
    if (auto refused = command.ChooseLocal(local)) return *refused;

    return command.ReportSent(SendNetworkSettings(local, mac, ip, mask, gateway), local,
                              "network settings for " + netconfig::FormatMacAddress(mac) + " (ip " +
                                  netconfig::FormatIpAddress(ip) + ", mask " +
                                  netconfig::FormatIpAddress(mask) + ", gateway " +
                                  netconfig::FormatIpAddress(gateway) + ")");
}

}  // namespace cli
