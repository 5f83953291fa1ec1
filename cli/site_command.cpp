// vantrel-cli site plan/apply: a site file compared with the modules on the adapter's segment,
// and applied module by module with every change verified, since modules confirm nothing.
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
#include "netconfig/module_exchange.h"
#include "platform/descriptor_limit.h"
#include "platform/terminal.h"

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

struct SiteRun {
    std::string name;  // "site plan" or "site apply"
    LocalAddressOptions options;
    bool json = false;

    int Fail(int code, const std::string& message) const {
        return cli::Fail(code, name + ": " + message);
    }
};

// What the segment shows now: one search, then one check of every address the plan needs.
struct SiteSurvey {
    std::vector<ModuleSighting> sightings;
    ChecksByAddress checks;
};

bool Survey(std::uint32_t local, const std::vector<SiteRow>& rows,
            const std::vector<std::uint32_t>& alsoCheck, SiteSurvey& survey) {
    if (!ListModuleSightings(local, kWizardQueryCode, survey.sightings)) return false;
    auto addresses = AddressesToCheck(rows, survey.sightings);
    addresses.insert(addresses.end(), alsoCheck.begin(), alsoCheck.end());
    const std::size_t limit =
        platform::RaiseDescriptorLimit(kDefaultCheckJobs * kDescriptorsPerCheck + kReservedDescriptors);
    survey.checks.clear();
    for (const auto& check : CheckSwitchers(local, addresses, JobsThatFit(kDefaultCheckJobs, limit)))
        survey.checks[check.address] = check;
    return true;
}

std::string NetworkText(std::uint32_t ip, std::uint32_t mask, std::uint32_t gateway) {
    return FormatIpAddress(ip) + " mask " + FormatIpAddress(mask) + " gateway " +
           FormatIpAddress(gateway);
}

std::string SwitcherText(const std::optional<std::uint32_t>& switcher) {
    return switcher ? FormatIpAddress(*switcher) : std::string("unknown (no answer to a check)");
}

// One line per row: what it is now and what would change, or why it cannot be applied.
std::string RowText(const SitePlanRow& row) {
    std::string text = "line " + std::to_string(row.row.line) + "  " +
                       FormatMacAddress(row.row.mac) + "  ";
    if (row.action == SiteAction::kNotFound)
        return text + "cannot be applied: no module with this MAC answered the search";
    const auto& found = *row.found;
    if (row.action == SiteAction::kConflict)
        return text + "cannot be applied: its new address " + FormatIpAddress(row.row.network->ip) +
               " is " + row.conflict;
    if (row.action == SiteAction::kNothing)
        return text + "nothing to change (at " + FormatIpAddress(found.Ip()) + ")";
    std::string changes;
    if (row.newNetwork)
        changes = "network " + NetworkText(found.Ip(), found.Mask(), found.Gateway()) + " -> " +
                  NetworkText(row.row.network->ip, row.row.network->mask, row.row.network->gateway);
    if (row.newSwitcher)
        changes += (changes.empty() ? "" : "; ") + std::string("switcher ") +
                   SwitcherText(row.switcherNow) + " -> " + FormatIpAddress(*row.row.switcher);
    return text + changes;
}

Json RowJson(const SitePlanRow& row) {
    Json json = {{"line", row.row.line},
                 {"mac", FormatMacAddress(row.row.mac)},
                 {"action", SiteActionName(row.action)}};
    if (row.found) {
        json["now"] = {{"ip", FormatIpAddress(row.found->Ip())},
                       {"mask", FormatIpAddress(row.found->Mask())},
                       {"gateway", FormatIpAddress(row.found->Gateway())},
                       {"switcher", row.switcherNow ? Json(FormatIpAddress(*row.switcherNow))
                                                    : Json(nullptr)}};
    }
    Json wanted = Json::object();
    if (row.row.network) {
        wanted["ip"] = FormatIpAddress(row.row.network->ip);
        wanted["mask"] = FormatIpAddress(row.row.network->mask);
        wanted["gateway"] = FormatIpAddress(row.row.network->gateway);
    }
    if (row.row.switcher) wanted["switcher"] = FormatIpAddress(*row.row.switcher);
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
        unnamed.push_back({{"mac", FormatMacAddress(module.Mac())},
                           {"ip", FormatIpAddress(module.Ip())},
                           {"mask", FormatIpAddress(module.Mask())},
                           {"gateway", FormatIpAddress(module.Gateway())}});
    return {{"rows", rows}, {"unnamed", unnamed}};
}

std::string PlanText(const SitePlan& plan) {
    std::string text;
    for (const auto& row : plan.rows) text += RowText(row) + "\n";
    for (const auto& module : plan.unnamed)
        text += "not in the site file: " + FormatMacAddress(module.Mac()) + " at " +
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
    std::string text = std::to_string(changes) + (changes == 1 ? " module" : " modules") +
                       " to change";
    if (refused > 0)
        text += ", " + std::to_string(refused) + (refused == 1 ? " row" : " rows") +
                " cannot be applied";
    return text;
}

// Reads the file and settles the adapter; every refusal comes before anything is sent.
bool Prepare(SiteRun& run, Arguments& args, std::vector<SiteRow>& rows, std::uint32_t& local,
             int& exitCode) {
    std::string error;
    if (!TakeLocalAddressOptions(args, run.options, error)) {
        exitCode = run.Fail(kExitBadArguments, error);
        return false;
    }
    if (const auto option = FirstOption(args); !option.empty()) {
        exitCode = run.Fail(kExitBadArguments, "unknown option '" + option + "'");
        return false;
    }
    if (args.size() != 1) {
        exitCode = run.Fail(kExitBadArguments,
                            args.empty() ? "usage: " + run.name + " FILE [--from LOCAL] [--json]"
                                         : "unexpected argument '" + args[1] + "'");
        return false;
    }
    std::string text;
    if (!ReadTextFile(args[0], text, error) || !ParseSiteFile(text, rows, error)) {
        exitCode = run.Fail(kExitBadArguments, args[0] + ": " + error);
        return false;
    }
    const auto choice = ChooseLocalAddress(run.options);
    if (!choice.ok) {
        exitCode = run.Fail(kExitBadArguments, choice.error);
        return false;
    }
    local = choice.address;
    return true;
}

int RunPlan(SiteRun& run, Arguments& args) {
    std::vector<SiteRow> rows;
    std::uint32_t local = 0;
    int exitCode = kExitOk;
    if (!Prepare(run, args, rows, local, exitCode)) return exitCode;
    SiteSurvey survey;
    if (!Survey(local, rows, {}, survey))
        return run.Fail(kExitFailed, "the search could not be sent from " + FormatIpAddress(local));
    const SitePlan plan = MakeSitePlan(rows, survey.sightings, survey.checks);
    if (run.json)
        std::cout << PlanJson(plan).dump(2) << '\n';
    else
        std::cout << PlanText(plan) << PlanSummary(plan) << '\n';
    return PlanExitCode(plan);
}

bool Confirmed(const SiteRun& run, bool yes, std::size_t count, int& exitCode) {
    if (yes) return true;
    if (!platform::StandardInputIsTerminal()) {
        exitCode = run.Fail(kExitBadArguments, "no terminal to ask: give --yes to send the changes");
        return false;
    }
    std::cerr << "Send the changes to " << count << (count == 1 ? " module" : " modules")
              << "? [y/N] " << std::flush;
    std::string answer;
    std::getline(std::cin, answer);
    if (answer == "y" || answer == "Y" || answer == "yes") return true;
    exitCode = run.Fail(kExitFailed, "nothing was sent");
    return false;
}

// The panel saves its whole list from memory, so an edit under a running panel that uses this
// same file would be undone at its next save.
bool ListMayBeEdited(const SiteRun& run, const std::string& path, bool force, int& exitCode) {
    std::string error;
    if (!CheckSettingsFile(path, false, error)) {
        exitCode = run.Fail(kExitBadArguments, error);
        return false;
    }
    if (force || !CControlPanelApp::PanelHoldsSettingsFile(path)) return true;
    exitCode = run.Fail(kExitFailed, "the panel has the device list of " + path +
                                         " open and would undo --add-to-list; close it or give --force");
    return false;
}

bool AddToList(const SiteRun& run, const std::string& path,
               const std::vector<const SitePlanRow*>& verified) {
    std::vector<ImportedDevice> devices;
    for (const SitePlanRow* row : verified)
        devices.push_back({row->row.line, row->FinalAddress(), FormatMacAddress(row->row.mac)});
    SettingsFile settings(path);
    DeviceList list;
    LoadDeviceList(settings, list);
    const auto counts = ImportDevices(list, devices, false);
    if (list.size() > static_cast<std::size_t>(kMaxLoadedDevices) || !SaveDeviceList(settings, list)) {
        run.Fail(kExitFailed, "cannot write the device list of " + path);
        return false;
    }
    if (!run.json)
        std::cout << "device list: " << counts.added << " added, " << counts.updated << " updated, "
                  << counts.unchanged << " unchanged\n";
    return true;
}

int RunApply(SiteRun& run, Arguments& args) {
    const bool yes = TakeFlag(args, "--yes");
    const bool force = TakeFlag(args, "--force");
    const bool addToList = TakeFlag(args, "--add-to-list");
    std::vector<SiteRow> rows;
    std::uint32_t local = 0;
    int exitCode = kExitOk;
    if (!Prepare(run, args, rows, local, exitCode)) return exitCode;
    const std::string listPath = run.options.settingsPath.value_or(DefaultSettingsPath());
    if (addToList && !ListMayBeEdited(run, listPath, force, exitCode)) return exitCode;

    SiteSurvey survey;
    if (!Survey(local, rows, {}, survey))
        return run.Fail(kExitFailed, "the search could not be sent from " + FormatIpAddress(local));
    const SitePlan plan = MakeSitePlan(rows, survey.sightings, survey.checks);
    std::vector<const SitePlanRow*> applied;
    bool refused = false;
    for (const auto& row : plan.rows) {
        if (row.action == SiteAction::kChange || (row.action == SiteAction::kConflict && force))
            applied.push_back(&row);
        else if (row.action != SiteAction::kNothing)
            refused = true;
    }
    if (!run.json) std::cout << PlanText(plan) << PlanSummary(plan) << '\n';
    if (!applied.empty() && !Confirmed(run, yes, applied.size(), exitCode)) return exitCode;

    // Network settings first, each to its module by MAC; then the switcher address at the
    // address the module has from then on.
    for (const SitePlanRow* row : applied)
        if (row->newNetwork)
            SetModuleNetwork(local, row->row.mac, row->row.network->ip, row->row.network->mask,
                             row->row.network->gateway);
    for (const SitePlanRow* row : applied)
        if (row->newSwitcher) WriteSwitcherAddress(local, row->FinalAddress(), *row->row.switcher);

    std::vector<std::uint32_t> finals;
    for (const SitePlanRow* row : applied) finals.push_back(row->FinalAddress());
    SiteSurvey after;
    if (!applied.empty() && !Survey(local, {}, finals, after))
        return run.Fail(kExitFailed, "the verifying search could not be sent");

    Json results = Json::array();
    std::vector<const SitePlanRow*> verified;
    for (const SitePlanRow* row : applied) {
        const auto problems = UnverifiedParts(*row, after.sightings, after.checks);
        if (problems.empty()) verified.push_back(row);
        if (run.json) {
            results.push_back({{"line", row->row.line},
                               {"mac", FormatMacAddress(row->row.mac)},
                               {"verified", problems.empty()},
                               {"problems", problems}});
            continue;
        }
        std::cout << "line " << row->row.line << "  " << FormatMacAddress(row->row.mac) << "  "
                  << (problems.empty() ? "verified at " + FormatIpAddress(row->FinalAddress())
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
    if (addToList && !verified.empty() && !AddToList(run, listPath, verified)) return kExitFailed;
    return refused || verified.size() != applied.size() ? kExitFailed : kExitOk;
}

}  // namespace

int RunSiteCommand(Arguments args) {
    const bool plan = !args.empty() && args.front() == "plan";
    const bool apply = !args.empty() && args.front() == "apply";
    if (!plan && !apply)
        return Fail(kExitBadArguments, "site: give plan or apply ('vantrel-cli site --help')");
    SiteRun run;
    run.name = "site " + args.front();
    args.erase(args.begin());
    run.json = TakeFlag(args, "--json");
    return plan ? RunPlan(run, args) : RunApply(run, args);
}

}  // namespace cli
