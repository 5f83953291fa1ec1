#include "cli/site_plan.h"

#include <set>

namespace cli {

namespace {

const netconfig::ModuleSighting* FindMac(const std::vector<netconfig::ModuleSighting>& sightings,
                                         const netconfig::MacAddress& mac) {
    for (const auto& sighting : sightings)
        if (sighting.record.Mac() == mac) return &sighting;
    return nullptr;
}

const netconfig::SwitcherCheck* FindCheck(const ChecksByAddress& checks, std::uint32_t address) {
    const auto found = checks.find(address);
    return found == checks.end() ? nullptr : &found->second;
}

NetworkSettings NetworkOf(const netconfig::ModuleHelloRecord& record) {
    return {record.Ip(), record.Mask(), record.Gateway()};
}

// Another module at the address: one the search found there with another MAC, or, where the
// search found none, one that answers a check there.
std::string WhoElseAnswers(std::uint32_t address, const netconfig::MacAddress& mac,
                           std::uint32_t currentAddress,
                           const std::vector<netconfig::ModuleSighting>& sightings,
                           const ChecksByAddress& checks) {
    for (const auto& sighting : sightings)
        if (sighting.record.Ip() == address && sighting.record.Mac() != mac)
            return "answered now by " + netconfig::FormatMacAddress(sighting.record.Mac());
    const netconfig::SwitcherCheck* check = FindCheck(checks, address);
    if (address != currentAddress && check != nullptr && check->answered)
        return "answered now by a module the search did not find";
    return {};
}

}  // namespace

std::uint32_t SitePlanRow::FinalAddress() const {
    if (row.network) return row.network->ip;
    return found ? found->Ip() : 0;
}

std::vector<std::uint32_t> NewAddresses(const std::vector<SiteRow>& rows) {
    std::set<std::uint32_t> addresses;
    for (const auto& row : rows)
        if (row.network) addresses.insert(row.network->ip);
    return {addresses.begin(), addresses.end()};
}

std::vector<std::uint32_t> CurrentAddressesToCheck(
    const std::vector<SiteRow>& rows, const std::vector<netconfig::ModuleSighting>& sightings,
    const ChecksByAddress& checked) {
    std::set<std::uint32_t> addresses;
    for (const auto& row : rows) {
        const netconfig::ModuleSighting* found = FindMac(sightings, row.mac);
        if (found != nullptr && row.switcher && found->byUnicast &&
            checked.count(found->record.Ip()) == 0)
            addresses.insert(found->record.Ip());
    }
    return {addresses.begin(), addresses.end()};
}

SitePlan MakeSitePlan(const std::vector<SiteRow>& rows,
                      const std::vector<netconfig::ModuleSighting>& sightings,
                      const ChecksByAddress& checks) {
    SitePlan plan;
    std::set<netconfig::MacAddress> named;
    for (const auto& row : rows) {
        named.insert(row.mac);
        SitePlanRow planned;
        planned.row = row;
        const netconfig::ModuleSighting* found = FindMac(sightings, row.mac);
        if (found == nullptr) {
            planned.action = SiteAction::kNotFound;
            plan.rows.push_back(planned);
            continue;
        }
        planned.found = found->record;
        planned.onlyByBroadcast = !found->byUnicast;
        const std::uint32_t current = found->record.Ip();
        if (const netconfig::SwitcherCheck* check = FindCheck(checks, current);
            check && check->online)
            planned.switcherNow = check->switcher;
        planned.newNetwork = row.network && *row.network != NetworkOf(found->record);
        planned.newSwitcher = row.switcher && planned.switcherNow != row.switcher;
        if (planned.newNetwork)
            planned.conflict = WhoElseAnswers(row.network->ip, row.mac, current, sightings, checks);
        planned.action = !planned.conflict.empty()                   ? SiteAction::kConflict
                         : planned.newNetwork || planned.newSwitcher ? SiteAction::kChange
                                                                     : SiteAction::kNothing;
        plan.rows.push_back(planned);
    }
    for (const auto& sighting : sightings)
        if (named.count(sighting.record.Mac()) == 0) plan.unnamed.push_back(sighting.record);
    return plan;
}

std::vector<std::string> UnverifiedParts(const SitePlanRow& applied,
                                         const std::vector<netconfig::ModuleSighting>& sightings,
                                         const ChecksByAddress& checks) {
    std::vector<std::string> parts;
    const netconfig::ModuleSighting* found = FindMac(sightings, applied.row.mac);
    if (applied.newNetwork) {
        if (found == nullptr)
            parts.push_back("network settings: the module no longer answers the search");
        else if (NetworkOf(found->record) != *applied.row.network)
            parts.push_back("network settings did not take: it answers at " +
                            netconfig::FormatIpAddress(found->record.Ip()) + " mask " +
                            netconfig::FormatIpAddress(found->record.Mask()) + " gateway " +
                            netconfig::FormatIpAddress(found->record.Gateway()));
    }
    if (applied.newSwitcher) {
        const netconfig::SwitcherCheck* check = FindCheck(checks, applied.FinalAddress());
        if (check == nullptr || !check->online)
            parts.push_back(
                "switcher address: " + netconfig::FormatIpAddress(applied.FinalAddress()) +
                " does not answer a check");
        else if (check->switcher != *applied.row.switcher)
            parts.push_back("switcher address did not take: it reads " +
                            netconfig::FormatIpAddress(check->switcher));
    }
    return parts;
}

ExitCode PlanExitCode(const SitePlan& plan) {
    ExitCode code = kExitOk;
    for (const auto& row : plan.rows) {
        if (row.action == SiteAction::kNotFound || row.action == SiteAction::kConflict)
            return kExitCannotApply;
        if (row.action == SiteAction::kChange) code = kExitChangesPending;
    }
    return code;
}

const char* SiteActionName(SiteAction action) {
    switch (action) {
        case SiteAction::kNothing: return "nothing";
        case SiteAction::kChange: return "change";
        case SiteAction::kNotFound: return "not-found";
        case SiteAction::kConflict: return "conflict";
    }
    return "nothing";
}

}  // namespace cli
