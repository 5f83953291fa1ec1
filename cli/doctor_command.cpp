// vantrel-cli doctor: what stands between this computer and its modules. The facts come from the
// system (platform/), their judgement from doctor_judge; only --search sends anything.
#include <iostream>

#include "app/device_list.h"
#include "app/settings_file.h"
#include "cli/adapter_search.h"
#include "cli/commands.h"
#include "cli/doctor_judge.h"
#include "cli/doctor_output.h"
#include "netconfig/address_text.h"

namespace cli {

namespace {

AdapterCheck CheckAdapter(const platform::InterfaceFacts& facts,
                          const platform::FirewallRules& rules) {
    AdapterCheck check;
    check.facts = facts;
    check.route = platform::ReadBroadcastRoute(facts.name);
    for (std::size_t i = 0; i < netconfig::wire::kPorts.size(); ++i) {
        check.ports[i] = platform::TestPortBind(facts.address, netconfig::wire::kPorts[i]);
        check.firewall[i] = JudgeFirewall(rules, netconfig::wire::kPorts[i]);
    }
    return check;
}

}  // namespace

Outcome DoctorCommand(Arguments args) {
    const CommandOutcomes run("doctor");
    const bool json = TakeFlag(args, "--json");
    const bool search = TakeFlag(args, "--search");
    bool missing = false;
    const auto from = TakeOption(args, "--from", missing);
    if (missing)
        return run.BadArguments(app::command_line::NeedsValue("--from", "a local address"));
    const auto settingsPath = TakeOption(args, "--settings", missing);
    if (missing) return run.BadArguments(app::command_line::NeedsValue("--settings", "a file"));
    if (!args.empty()) return run.BadArguments(app::command_line::UnexpectedArgument(args[0]));
    std::uint32_t only = 0;
    if (from && !netconfig::ParseIpAddress(*from, only))
        return run.BadArguments("--from '" + *from + "' is not an IPv4 address");

    DoctorFacts facts;
    if (!platform::ReadInterfaceFacts(facts.interfaces))
        return run.Failed("the interface table cannot be read");
    const auto rules = platform::ReadFirewallRules();
    for (const auto& interface : facts.interfaces) {
        if (JudgeInterface(interface) != AdapterUse::Usable || (from && interface.address != only))
            continue;
        bool seen = false;
        for (const auto& adapter : facts.adapters)
            seen = seen || adapter.facts.address == interface.address;
        if (!seen) facts.adapters.push_back(CheckAdapter(interface, rules));
    }
    if (from && facts.adapters.empty())
        return run.BadArguments("--from " + *from + " is not the address of a usable adapter here");
    if (search) {
        facts.searched = true;
        std::vector<std::uint32_t> addresses;
        for (const auto& adapter : facts.adapters) addresses.push_back(adapter.facts.address);
        std::vector<bool> sent;
        facts.found = SearchAdapters(addresses, sent);
    }
    // The listed devices take part in the conflicts: a named file must be there, the panel's
    // own may not be yet.
    const std::string path = settingsPath.value_or(DefaultSettingsPath());
    std::string error;
    if (settingsPath && !CheckSettingsFile(path, true, error)) return run.BadArguments(error);
    app::DeviceList listed;
    if (!path.empty()) {
        app::SettingsFile settings(path);
        app::LoadDeviceList(settings, listed);
    }
    std::vector<netconfig::ModuleSighting> all;
    for (const auto& found : facts.found) all.insert(all.end(), found.begin(), found.end());
    facts.conflicts = FindConflicts(all, listed);
    const DoctorVerdict verdict = JudgeDoctor(facts);
    std::cout << (json ? DoctorJson(facts, verdict) : DoctorText(facts, verdict)) << std::flush;
    return verdict.clear ? run.Done() : run.Failed();
}

}  // namespace cli
