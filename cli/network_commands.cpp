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
#include "cli/local_address.h"
#include "cli/network_args.h"
#include "cli/network_output.h"
#include "netconfig/address_text.h"
#include "netconfig/discovery.h"
#include "netconfig/local_adapters.h"
#include "netconfig/module_exchange.h"
#include "netconfig/parallel_check.h"
#include "netconfig/passport_file.h"
#include "platform/descriptor_limit.h"

namespace cli {

namespace {

constexpr const char* kNotResponding = "Device is not responding!";
constexpr const char* kUnexpectedReply = "answered with an unexpected reply";
// Neither the switcher address nor network settings are ever confirmed by a module.
constexpr const char* kSentUnconfirmed = "sent; modules do not confirm";

// What one device's silence or wrong answer is called in a message.
std::string NoAnswer(std::uint32_t device, bool answered) {
    return FormatIpAddress(device) + ": " + (answered ? kUnexpectedReply : kNotResponding);
}

// One command's argument handling: it knows the command's name for every message.
class NetworkCommand {
public:
    explicit NetworkCommand(std::string_view name) : name_(name) {}
    const std::string& Name() const { return name_; }

    int Fail(int code, const std::string& message) const {
        return cli::Fail(code, name_ + ": " + message);
    }
    int BadArguments(const std::string& message) const { return Fail(kExitBadArguments, message); }

    // Takes --from/--settings; then nothing that looks like an option may be left.
    bool TakeCommonOptions(Arguments& args, int& exitCode) {
        std::string error;
        if (!TakeLocalAddressOptions(args, options_, error)) {
            exitCode = BadArguments(error);
            return false;
        }
        if (const auto option = FirstOption(args); !option.empty()) {
            exitCode = BadArguments("unexpected option '" + option + "'");
            return false;
        }
        return true;
    }

    bool TakeRequiredOption(Arguments& args, std::string_view option, std::string& value,
                            int& exitCode) const {
        bool missing = false;
        const auto taken = TakeOption(args, option, missing);
        if (!taken || taken->empty()) {
            exitCode = BadArguments(std::string(option) + " is required and needs a value");
            return false;
        }
        value = *taken;
        return true;
    }

    bool ParseAddress(const std::string& text, const char* what, std::uint32_t& address,
                      int& exitCode) const {
        if (ParseIpAddress(text, address)) return true;
        exitCode = BadArguments(std::string(what) + " '" + text + "' is not an IPv4 address");
        return false;
    }

    // Refused before anything could be sent to many hosts at once, or to none.
    bool ParseHost(const std::string& text, const char* what, std::uint32_t& address,
                   int& exitCode) const {
        if (!ParseAddress(text, what, address, exitCode)) return false;
        if (IsSingleHostAddress(address)) return true;
        exitCode = BadArguments(std::string(what) + " '" + text + "' is not the address of one host");
        return false;
    }
    bool ParseDevice(const std::string& text, std::uint32_t& address, int& exitCode) const {
        return ParseHost(text, "device", address, exitCode);
    }

    // A send-only command: exit 0 when some socket sent, else 1, since nothing reached a module.
    int ReportSent(bool sent, std::uint32_t local, const std::string& what) const {
        if (!sent) return Fail(kExitFailed, "nothing was sent from " + FormatIpAddress(local) +
                                                ": no socket could send");
        std::cout << what << ": " << kSentUnconfirmed << '\n';
        return kExitOk;
    }

    bool ExpectPositional(const Arguments& args, std::size_t count, const char* usage,
                          int& exitCode) const {
        if (args.size() == count) return true;
        exitCode = BadArguments(args.size() < count ? std::string("usage: ") + usage
                                                    : "unexpected argument '" + args[count] + "'");
        return false;
    }

    bool ChooseLocal(std::uint32_t& local, int& exitCode) const {
        const auto choice = ChooseLocalAddress(options_);
        if (!choice.ok) {
            exitCode = BadArguments(choice.error);
            return false;
        }
        local = choice.address;
        return true;
    }

    // The panel's stored list, in its order, from --settings FILE or the panel's own file.
    bool LoadStoredDevices(std::vector<std::uint32_t>& devices, int& exitCode) {
        const std::string path = options_.settingsPath.value_or(DefaultSettingsPath());
        std::string error;
        if (!CheckSettingsFile(path, options_.settingsPath.has_value(), error)) {
            exitCode = BadArguments(error);
            return false;
        }
        SettingsFile settings(path);
        DeviceList list;
        LoadDeviceList(settings, list);
        if (list.empty()) {
            exitCode = Fail(kExitFailed, "no devices are stored in " + path);
            return false;
        }
        for (const auto& record : list) devices.push_back(record->address);
        return true;
    }

    bool HasFrom() const { return options_.from.has_value(); }

    // The stored list for the conflicts it takes part in: a named file must be there, the
    // panel's own may not be yet.
    bool LoadListedIfAny(DeviceList& list, int& exitCode) const {
        const std::string path = options_.settingsPath.value_or(DefaultSettingsPath());
        std::string error;
        if (options_.settingsPath && !CheckSettingsFile(path, true, error)) {
            exitCode = BadArguments(error);
            return false;
        }
        if (path.empty()) return true;
        SettingsFile settings(path);
        LoadDeviceList(settings, list);
        return true;
    }

    // Each running exchange holds two descriptors; too few for `jobs` lowers it, saying so.
    std::size_t JobsWithinDescriptorLimit(std::size_t jobs) const {
        const std::size_t limit =
            platform::RaiseDescriptorLimit(jobs * kDescriptorsPerCheck + kReservedDescriptors);
        const std::size_t fit = JobsThatFit(jobs, limit);
        if (fit < jobs)
            std::cerr << "vantrel-cli: " << name_ << ": --jobs lowered from " << jobs << " to " << fit
                      << " to fit the open-file limit of " << limit << '\n';
        return fit;
    }

private:
    std::string name_;
    LocalAddressOptions options_;
};

}  // namespace

int RunAdaptersCommand(Arguments args) {
    const NetworkCommand command("adapters");
    const bool json = TakeFlag(args, "--json");
    // Taken like every command's --settings, so scripts can pass it to all; adapters reads no
    // settings.
    bool missing = false;
    TakeOption(args, "--settings", missing);
    if (missing) return command.BadArguments("--settings needs a file");
    if (!args.empty()) return command.BadArguments("unexpected argument '" + args[0] + "'");
    std::vector<std::uint32_t> adapters;
    const bool any = GetLocalAdapters(adapters);
    std::cout << (json ? AdaptersJson(adapters) : AdaptersText(adapters));
    return any ? kExitOk : command.Fail(kExitFailed, "no usable local adapter");
}

int RunCheckCommand(Arguments args) {
    NetworkCommand command("check");
    int code = kExitOk;
    const bool json = TakeFlag(args, "--json");
    const bool all = TakeFlag(args, "--all");
    bool missing = false;
    const auto jobsText = TakeOption(args, "--jobs", missing);
    std::size_t jobs = kDefaultCheckJobs;
    if (missing || (jobsText && !ParseCheckJobs(*jobsText, jobs)))
        return command.BadArguments("--jobs needs a number " + std::to_string(kMinCheckJobs) + "-" +
                                    std::to_string(kMaxCheckJobs));
    if (!command.TakeCommonOptions(args, code)) return code;
    constexpr const char* kUsage = "usage: check [--from LOCAL] [--jobs N] (DEVICE... | --all) [--json]";
    if (args.empty() && !all) return command.BadArguments(kUsage);
    if (!args.empty() && all) return command.BadArguments("--all takes no DEVICE ('" + args[0] + "')");
    std::vector<std::uint32_t> devices(args.size());
    for (std::size_t i = 0; i < args.size(); ++i)
        if (!command.ParseDevice(args[i], devices[i], code)) return code;
    if (all && !command.LoadStoredDevices(devices, code)) return code;
    std::uint32_t local = 0;
    if (!command.ChooseLocal(local, code)) return code;
    jobs = command.JobsWithinDescriptorLimit(std::min(jobs, devices.size()));

    const auto results = CheckSwitchers(local, devices, jobs);
    std::size_t silent = 0, unexpected = 0;
    for (const auto& result : results)
        if (!result.online) ++(result.answered ? unexpected : silent);
    std::cout << (json ? CheckJson(results) : CheckText(results)) << std::flush;
    if (silent + unexpected == 0) return kExitOk;
    if (results.size() == 1)
        return command.Fail(kExitFailed, NoAnswer(results[0].address, results[0].answered));
    const std::string ofAll = " of " + std::to_string(results.size()) + " devices ";
    std::string summary;
    if (silent > 0) summary = std::to_string(silent) + ofAll + "did not answer";
    if (unexpected > 0)
        summary += (summary.empty() ? "" : "; ") + std::to_string(unexpected) + ofAll + kUnexpectedReply;
    return command.Fail(kExitFailed, summary);
}

int RunSwitcherCommand(Arguments args) {
    if (args.empty() || args[0] != "set") {
        const NetworkCommand typed("switcher");
        if (args.empty() || args[0].starts_with("-"))
            return typed.BadArguments("usage: switcher set [--from LOCAL] DEVICE ADDRESS");
        return typed.BadArguments("unknown subcommand '" + args[0] + "'; the only one is 'set'");
    }
    NetworkCommand command("switcher set");
    int code = kExitOk;
    args.erase(args.begin());
    if (!command.TakeCommonOptions(args, code)) return code;
    if (!command.ExpectPositional(args, 2, "switcher set [--from LOCAL] DEVICE ADDRESS", code))
        return code;
    std::uint32_t device = 0;
    std::uint32_t switcher = 0;
    if (!command.ParseDevice(args[0], device, code) ||
        !command.ParseAddress(args[1], "switcher address", switcher, code))
        return code;
    std::uint32_t local = 0;
    if (!command.ChooseLocal(local, code)) return code;

    // The module never confirms a new switcher address, so there is nothing to wait for.
    bool sent = false;
    WriteSwitcherAddress(local, device, switcher, &sent);
    return command.ReportSent(sent, local, "switcher address " + FormatIpAddress(switcher) +
                                               " for " + FormatIpAddress(device));
}

int RunPassportCommand(Arguments args) {
    NetworkCommand command("passport");
    int code = kExitOk;
    std::string out;
    if (!command.TakeRequiredOption(args, "--out", out, code)) return code;
    if (!command.TakeCommonOptions(args, code)) return code;
    if (!command.ExpectPositional(args, 1, "passport [--from LOCAL] DEVICE --out PATH", code))
        return code;
    std::uint32_t device = 0;
    if (!command.ParseDevice(args[0], device, code)) return code;
    std::uint32_t local = 0;
    if (!command.ChooseLocal(local, code)) return code;

    PassportBuffer passport{};
    bool answered = false;
    if (!ReadModulePassport(local, device, passport, &answered))
        return command.Fail(kExitFailed, NoAnswer(device, answered));
    const std::string path = PassportOutputPath(out, passport, platform::CurrentLocalTime());
    if (!WritePassportFile(path, device, passport))
        return command.Fail(kExitFailed, "cannot write " + path);
    std::cout << path << '\n';
    return kExitOk;
}

int RunDiscoverCommand(Arguments args) {
    NetworkCommand command("discover");
    int code = kExitOk;
    const bool json = TakeFlag(args, "--json");
    const bool allAdapters = TakeFlag(args, "--all-adapters");
    bool missing = false;
    const auto queryText = TakeOption(args, "--query", missing);
    if (missing) return command.BadArguments("--query needs a number 0-65535");
    std::uint16_t query = kWizardQueryCode;
    if (queryText && !ParseQueryCode(*queryText, query))
        return command.BadArguments("--query '" + *queryText + "' is not a number 0-65535");
    if (allAdapters && queryText) return command.BadArguments("--all-adapters searches with query 12");
    if (!command.TakeCommonOptions(args, code)) return code;
    if (!command.ExpectPositional(args, 0, "discover [--from LOCAL | --all-adapters] [--query N] [--json]", code))
        return code;
    DeviceList listed;
    if (!command.LoadListedIfAny(listed, code)) return code;

    std::vector<std::uint32_t> adapters;
    if (allAdapters) {
        if (command.HasFrom()) return command.BadArguments("--all-adapters and --from exclude each other");
        if (!GetLocalAdapters(adapters)) return command.Fail(kExitFailed, "no usable local adapter");
    } else {
        std::uint32_t local = 0;
        if (!command.ChooseLocal(local, code)) return code;
        adapters.push_back(local);
    }
    std::vector<bool> sent;
    std::vector<std::vector<ModuleSighting>> found;
    if (allAdapters) {
        found = SearchAdapters(adapters, sent);
    } else {
        found.resize(1);
        sent.push_back(ListModuleSightings(adapters[0], query, found[0]));
    }
    if (std::find(sent.begin(), sent.end(), true) == sent.end())
        return command.Fail(kExitFailed, "the module list request could not be sent from " +
                                             FormatIpAddress(adapters[0]) +
                                             (adapters.size() > 1 ? " or any other adapter" : ""));
    const auto modules = MergeSearches(adapters, found);
    std::vector<ModuleSighting> sightings;
    for (const auto& module : modules) sightings.push_back(module.sighting);
    const auto conflicts = FindConflicts(sightings, listed);
    std::cout << (json ? DiscoverJson(modules, conflicts, allAdapters)
                       : DiscoverText(modules, conflicts, allAdapters));
    if (!json && modules.empty()) std::cerr << "vantrel-cli: discover: no module answered\n";
    return kExitOk;
}

int RunSetNetworkCommand(Arguments args) {
    NetworkCommand command("set-network");
    int code = kExitOk;
    std::string macText, ipText, maskText, gatewayText;
    if (!command.TakeRequiredOption(args, "--mac", macText, code) ||
        !command.TakeRequiredOption(args, "--ip", ipText, code) ||
        !command.TakeRequiredOption(args, "--mask", maskText, code) ||
        !command.TakeRequiredOption(args, "--gateway", gatewayText, code))
        return code;
    if (!command.TakeCommonOptions(args, code)) return code;
    if (!command.ExpectPositional(
            args, 0, "set-network [--from LOCAL] --mac MAC --ip IP --mask MASK --gateway GATEWAY",
            code))
        return code;
    MacAddress mac{};
    if (!ParseMacAddress(macText, mac))
        return command.BadArguments("--mac '" + macText + "' is not a MAC address like 00:0A:1B:2C:3D:4E");
    std::uint32_t ip = 0, mask = 0, gateway = 0;
    if (!command.ParseHost(ipText, "--ip", ip, code) ||
        !command.ParseAddress(maskText, "--mask", mask, code) ||
        !command.ParseAddress(gatewayText, "--gateway", gateway, code))
        return code;
    // A module given such a mask would misjudge which hosts are on its own segment.
    if (!IsContiguousMask(mask))
        return command.BadArguments("--mask '" + maskText + "' is not a network mask (its ones must come first)");
    std::uint32_t local = 0;
    if (!command.ChooseLocal(local, code)) return code;

    bool sent = false;
    SetModuleNetwork(local, mac, ip, mask, gateway, &sent);
    return command.ReportSent(sent, local, "network settings for " + FormatMacAddress(mac) + " (ip " +
                                               FormatIpAddress(ip) + ", mask " + FormatIpAddress(mask) +
                                               ", gateway " + FormatIpAddress(gateway) + ")");
}

}  // namespace cli
