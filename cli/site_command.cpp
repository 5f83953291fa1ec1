// vantrel-cli site plan/apply: a site file compared with the modules on the adapter's segment,
// and applied module by module with every change verified, since modules confirm nothing.
#include <algorithm>
#include <iostream>
#include <nlohmann/json.hpp>

#include "app/control_panel_app.h"
#include "app/device_list.h"
#include "app/settings_file.h"
#include "cli/commands.h"
#include "cli/devices_transfer.h"
#include "cli/local_address.h"
#include "cli/network_args.h"
#include "cli/site_plan.h"
#include "cli/table_file.h"
#include "netconfig/discovery_records.h"
#include "netconfig/module_exchange.h"
#include "netconfig/module_replies.h"
#include "platform/descriptor_limit.h"
#include "platform/terminal.h"

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

struct SiteRun : CommandOutcomes {
    using CommandOutcomes::CommandOutcomes;  // named "site plan" or "site apply"
    LocalAddressOptions options;
    bool json = false;
};

// What the segment shows now: one search, with a check of every new address in the same run
// (a module on the segment that answers there is found by the search as well), then a check of
// the current addresses the plan needs.
struct SiteSurvey {
    std::vector<netconfig::ModuleSighting> sightings;
    ChecksByAddress checks;
};

// All at once where the descriptors allow: an address nobody holds costs a whole deadline, and
// every row of a site may have one.
std::size_t CheckJobs(std::size_t exchanges) {
    const std::size_t jobs =
        std::clamp(exchanges, netconfig::kMinCheckJobs, netconfig::kMaxCheckJobs);
    const std::size_t limit = platform::RaiseDescriptorLimit(
        jobs * netconfig::kDescriptorsPerCheck + netconfig::kReservedDescriptors);
    return netconfig::JobsThatFit(jobs, limit);
}

// The checks of `addresses`, beside the listing when one is given; false when the listing
// could not be sent.
bool RunSurvey(std::uint32_t local, std::span<const std::uint32_t> addresses,
               const netconfig::ExchangePlan* listing, SiteSurvey& survey) {
    const auto request = netconfig::BuildReadSwitcherRequest();
    std::vector<netconfig::ExchangePlan> plans;
    // The listing first, so it starts at once whatever the number of jobs.
    if (listing != nullptr) plans.push_back(*listing);
    for (const auto address : addresses)
        plans.push_back(netconfig::SwitcherReadPlan(local, address, request));
    const auto results = netconfig::RunExchanges(plans, CheckJobs(plans.size()));
    const std::size_t first = listing != nullptr ? 1 : 0;
    for (std::size_t i = 0; i < addresses.size(); ++i)
        survey.checks[addresses[i]] = netconfig::SwitcherCheckOf(addresses[i], results[first + i]);
    if (listing == nullptr) return true;
    survey.sightings = netconfig::SightingsOf(results.front());
    return results.front().outcome != netconfig::ExchangeOutcome::NotSent;
}

bool Survey(std::uint32_t local, const std::vector<SiteRow>& rows,
            const std::vector<std::uint32_t>& alsoCheck, SiteSurvey& survey) {
    auto addresses = NewAddresses(rows);
    for (const auto address : alsoCheck)
        if (std::find(addresses.begin(), addresses.end(), address) == addresses.end())
            addresses.push_back(address);
    const auto request = netconfig::BuildListRequest(netconfig::kWizardQueryCode);
    const netconfig::ExchangePlan listing = netconfig::ListingPlan(local, request);
    survey = {};
    if (!RunSurvey(local, addresses, &listing, survey)) return false;
    const auto current = CurrentAddressesToCheck(rows, survey.sightings, survey.checks);
    return current.empty() || RunSurvey(local, current, nullptr, survey);
}

std::string NetworkText(std::uint32_t ip, std::uint32_t mask, std::uint32_t gateway) {
    return netconfig::FormatIpAddress(ip) + " mask " + netconfig::FormatIpAddress(mask) +
           " gateway " + netconfig::FormatIpAddress(gateway);
}

std::string SwitcherText(const SitePlanRow& row) {
    if (row.switcherNow) return netconfig::FormatIpAddress(*row.switcherNow);
    return row.onlyByBroadcast ? "unknown (it answers only by broadcast, from another subnet)"
                               : "unknown (no answer to a check)";
}

// One line per row: what it is now and what would change, or why it cannot be applied.
std::string RowText(const SitePlanRow& row) {
    std::string text = "line " + std::to_string(row.row.line) + "  " +
                       netconfig::FormatMacAddress(row.row.mac) + "  ";
    if (row.action == SiteAction::kNotFound)
        return text + "cannot be applied: no module with this MAC answered the search";
    const auto& found = *row.found;
    if (row.action == SiteAction::kConflict)
        return text + "cannot be applied: its new address " +
               netconfig::FormatIpAddress(row.row.network->ip) + " is " + row.conflict;
    if (row.action == SiteAction::kNothing)
        return text + "nothing to change (at " + netconfig::FormatIpAddress(found.Ip()) + ")";
    std::string changes;
    if (row.newNetwork)
        changes = "network " + NetworkText(found.Ip(), found.Mask(), found.Gateway()) + " -> " +
                  NetworkText(row.row.network->ip, row.row.network->mask, row.row.network->gateway);
    if (row.newSwitcher)
        changes += (changes.empty() ? "" : "; ") + std::string("switcher ") + SwitcherText(row) +
                   " -> " + netconfig::FormatIpAddress(*row.row.switcher);
    return text + changes;
}

Json RowJson(const SitePlanRow& row) {
    Json json = {{"line", row.row.line},
                 {"mac", netconfig::FormatMacAddress(row.row.mac)},
                 {"action", SiteActionName(row.action)}};
    if (row.found) {
        json["now"] = {
            {"ip", netconfig::FormatIpAddress(row.found->Ip())},
            {"mask", netconfig::FormatIpAddress(row.found->Mask())},
            {"gateway", netconfig::FormatIpAddress(row.found->Gateway())},
            {"switcher",
             row.switcherNow ? Json(netconfig::FormatIpAddress(*row.switcherNow)) : Json(nullptr)}};
    }
    Json wanted = Json::object();
    if (row.row.network) {
        wanted["ip"] = netconfig::FormatIpAddress(row.row.network->ip);
        wanted["mask"] = netconfig::FormatIpAddress(row.row.network->mask);
        wanted["gateway"] = netconfig::FormatIpAddress(row.row.network->gateway);
    }
    if (row.row.switcher) wanted["switcher"] = netconfig::FormatIpAddress(*row.row.switcher);
    json["wanted"] = wanted;
    Json changes = Json::array();
    if (row.newNetwork) changes.push_back("network");
    if (row.newSwitcher) changes.push_back("switcher");
    json["changes"] = changes;
    if (!row.conflict.empty()) json["conflict"] = row.conflict;
    return json;
}

Json PlanJson(const SitePlan& plan) {
    Json rows = Json::array();
    for (const auto& row : plan.rows) rows.push_back(RowJson(row));
    Json unnamed = Json::array();
    for (const auto& module : plan.unnamed)
        unnamed.push_back({{"mac", netconfig::FormatMacAddress(module.Mac())},
                           {"ip", netconfig::FormatIpAddress(module.Ip())},
                           {"mask", netconfig::FormatIpAddress(module.Mask())},
                           {"gateway", netconfig::FormatIpAddress(module.Gateway())}});
    return {{"rows", rows}, {"unnamed", unnamed}};
}

std::string PlanText(const SitePlan& plan) {
    std::string text;
    for (const auto& row : plan.rows) text += RowText(row) + "\n";
    for (const auto& module : plan.unnamed)
        text += "not in the site file: " + netconfig::FormatMacAddress(module.Mac()) + " at " +
                NetworkText(module.Ip(), module.Mask(), module.Gateway()) + "\n";
    return text;
}

std::string PlanSummary(const SitePlan& plan) {
    std::size_t changes = 0, refused = 0;
    for (const auto& row : plan.rows) {
        changes += row.action == SiteAction::kChange ? 1 : 0;
        refused += row.action == SiteAction::kNotFound || row.action == SiteAction::kConflict;
    }
    if (changes + refused == 0) return "the site matches the file";
    std::string text =
        std::to_string(changes) + (changes == 1 ? " module" : " modules") + " to change";
    if (refused > 0)
        text += ", " + std::to_string(refused) + (refused == 1 ? " row" : " rows") +
                " cannot be applied";
    return text;
}

// Reads the file and settles the adapter; every refusal comes before anything is sent.
Refusal Prepare(SiteRun& run, Arguments& args, std::vector<SiteRow>& rows, std::uint32_t& local) {
    std::string error;
    if (!TakeLocalAddressOptions(args, run.options, error)) {
        return run.BadArguments(error);
    }
    if (const auto option = FirstOption(args); !option.empty()) {
        return run.BadArguments("unknown option '" + option + "'");
    }
    if (args.size() != 1) {
        return run.BadArguments(args.empty()
                                    ? "usage: " + run.Name() + " FILE [--from LOCAL] [--json]"
                                    : "unexpected argument '" + args[1] + "'");
    }
    std::string text;
    if (!ReadTextFile(args[0], text, error) || !ParseSiteFile(text, rows, error)) {
        return run.BadArguments(args[0] + ": " + error);
    }
    const auto choice = ChooseLocalAddress(run.options);
    if (!choice.ok) {
        return run.BadArguments(choice.error);
    }
    local = choice.address;
    return std::nullopt;
}

Outcome RunPlan(SiteRun& run, Arguments& args) {
    std::vector<SiteRow> rows;
    std::uint32_t local = 0;
    if (auto refused = Prepare(run, args, rows, local)) return *refused;
    SiteSurvey survey;
    if (!Survey(local, rows, {}, survey))
        return run.Failed("the search could not be sent from " + netconfig::FormatIpAddress(local));
    const SitePlan plan = MakeSitePlan(rows, survey.sightings, survey.checks);
    if (run.json)
        std::cout << PlanJson(plan).dump(2) << '\n';
    else
        std::cout << PlanText(plan) << PlanSummary(plan) << '\n';
    return {PlanExitCode(plan), run.Name(), {}};
}

Refusal Confirmed(const SiteRun& run, bool yes, std::size_t count) {
    if (yes) return std::nullopt;
    if (!platform::StandardInputIsTerminal()) {
        return run.BadArguments("no terminal to ask: give --yes to send the changes");
    }
    std::cerr << "Send the changes to " << count << (count == 1 ? " module" : " modules")
              << "? [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    if (answer == "y" || answer == "Y" || answer == "yes") return std::nullopt;
    return run.Failed("nothing was sent");
}

// Each settings broadcast keeps its sockets open a while after sending, so they go out many at
// a time, as the protocol allows: every request names its module by MAC.
void SendNetworkSettings(std::uint32_t local, const std::vector<const SitePlanRow*>& applied) {
    constexpr std::size_t kAtOnce = 64;
    std::vector<netconfig::BroadcastRequest> requests;
    for (const SitePlanRow* row : applied)
        if (row->newNetwork)
            requests.push_back(netconfig::BuildSetNetworkRequest(row->row.mac, row->row.network->ip,
                                                                 row->row.network->mask,
                                                                 row->row.network->gateway));
    std::vector<netconfig::ExchangePlan> plans;
    for (const auto& request : requests) plans.push_back(netconfig::SetNetworkPlan(local, request));
    netconfig::RunExchanges(plans, kAtOnce);
}

// The panel saves its whole list from memory, so an edit under a running panel that uses this
// same file would be undone at its next save.
Refusal ListMayBeEdited(const SiteRun& run, const std::string& path, bool force) {
    std::string error;
    if (!CheckSettingsFile(path, false, error)) {
        return run.BadArguments(error);
    }
    if (force || !app::CControlPanelApp::PanelHoldsSettingsFile(path)) return std::nullopt;
    return run.Failed("the panel has the device list of " + path +
                      " open and would undo --add-to-list; close it or give --force");
}

Refusal AddToList(const SiteRun& run, const std::string& path,
                  const std::vector<const SitePlanRow*>& verified) {
    std::vector<ImportedDevice> devices;
    for (const SitePlanRow* row : verified)
        devices.push_back(
            {row->row.line, row->FinalAddress(), netconfig::FormatMacAddress(row->row.mac)});
    app::SettingsFile settings(path);
    app::DeviceList list;
    app::LoadDeviceList(settings, list);
    const auto counts = ImportDevices(list, devices, false);
    if (list.size() > static_cast<std::size_t>(app::kMaxLoadedDevices) ||
        !app::SaveDeviceList(settings, list)) {
        return run.Failed("cannot write the device list of " + path);
    }
    if (!run.json)
        std::cout << "device list: " << counts.added << " added, " << counts.updated << " updated, "
                  << counts.unchanged << " unchanged\n";
    return std::nullopt;
}

Outcome RunApply(SiteRun& run, Arguments& args) {
    const bool yes = TakeFlag(args, "--yes");
    const bool force = TakeFlag(args, "--force");
    const bool addToList = TakeFlag(args, "--add-to-list");
    std::vector<SiteRow> rows;
    std::uint32_t local = 0;
    if (auto refused = Prepare(run, args, rows, local)) return *refused;
    const std::string listPath = run.options.settingsPath.value_or(DefaultSettingsPath());
    if (addToList)
        if (auto refused = ListMayBeEdited(run, listPath, force)) return *refused;

    SiteSurvey survey;
    if (!Survey(local, rows, {}, survey))
        return run.Failed("the search could not be sent from " + netconfig::FormatIpAddress(local));
    const SitePlan plan = MakeSitePlan(rows, survey.sightings, survey.checks);
    std::vector<const SitePlanRow*> applied;
    bool anyRefused = false;
    for (const auto& row : plan.rows) {
        if (row.action == SiteAction::kChange || (row.action == SiteAction::kConflict && force))
            applied.push_back(&row);
        else if (row.action != SiteAction::kNothing)
            anyRefused = true;
    }
    if (!run.json) std::cout << PlanText(plan) << PlanSummary(plan) << '\n';
    if (!applied.empty())
        if (auto refused = Confirmed(run, yes, applied.size())) return *refused;

    // Network settings first, each to its module by MAC; then the switcher address at the
    // address the module has from then on.
    SendNetworkSettings(local, applied);
    for (const SitePlanRow* row : applied)
        if (row->newSwitcher)
            netconfig::WriteSwitcherAddress(local, row->FinalAddress(), *row->row.switcher);

    std::vector<std::uint32_t> finals;
    for (const SitePlanRow* row : applied) finals.push_back(row->FinalAddress());
    SiteSurvey after;
    if (!applied.empty() && !Survey(local, {}, finals, after))
        return run.Failed("the verifying search could not be sent");

    Json results = Json::array();
    std::vector<const SitePlanRow*> verified;
    for (const SitePlanRow* row : applied) {
        const auto problems = UnverifiedParts(*row, after.sightings, after.checks);
        if (problems.empty()) verified.push_back(row);
        if (run.json) {
            results.push_back({{"line", row->row.line},
                               {"mac", netconfig::FormatMacAddress(row->row.mac)},
                               {"verified", problems.empty()},
                               {"problems", problems}});
            continue;
        }
        std::cout << "line " << row->row.line << "  " << netconfig::FormatMacAddress(row->row.mac)
                  << "  "
                  << (problems.empty()
                          ? "verified at " + netconfig::FormatIpAddress(row->FinalAddress())
                          : "not verified");
        for (const auto& problem : problems) std::cout << "; " << problem;
        std::cout << '\n';
    }
    if (run.json) {
        Json out = PlanJson(plan);
        out["applied"] = results;
        std::cout << out.dump(2) << '\n';
    } else if (applied.empty()) {
        std::cout << "nothing was sent\n";
    }
    if (addToList && !verified.empty())
        if (auto refused = AddToList(run, listPath, verified)) return *refused;
    return anyRefused || verified.size() != applied.size() ? run.Failed() : run.Done();
}

}  // namespace

Outcome SiteCommand(Arguments args) {
    const bool plan = !args.empty() && args.front() == "plan";
    const bool apply = !args.empty() && args.front() == "apply";
    if (!plan && !apply)
        return CommandOutcomes("site").BadArguments(
            "give plan or apply ('vantrel-cli site --help')");
    SiteRun run("site " + args.front());
    args.erase(args.begin());
    run.json = TakeFlag(args, "--json");
    return plan ? RunPlan(run, args) : RunApply(run, args);
}

}  // namespace cli
