#include "cli/adapter_search.h"

#include <algorithm>

#include "netconfig/discovery_records.h"

namespace cli {

std::vector<std::vector<netconfig::ModuleSighting>> SearchAdapters(
    const std::vector<std::uint32_t>& adapters, std::vector<bool>& sent) {
    const auto request = netconfig::BuildListRequest(netconfig::kWizardQueryCode);
    std::vector<netconfig::ExchangePlan> plans;
    for (const auto adapter : adapters) plans.push_back(netconfig::ListingPlan(adapter, request));
    const auto results = netconfig::RunExchanges(plans, plans.size());
    std::vector<std::vector<netconfig::ModuleSighting>> found;
    sent.clear();
    for (const auto& result : results) {
        found.push_back(netconfig::SightingsOf(result));
        sent.push_back(result.outcome != netconfig::ExchangeOutcome::NotSent);
    }
    return found;
}

std::vector<FoundModule> MergeSearches(
    const std::vector<std::uint32_t>& adapters,
    const std::vector<std::vector<netconfig::ModuleSighting>>& found) {
    std::vector<FoundModule> modules;
    for (std::size_t a = 0; a < found.size() && a < adapters.size(); ++a) {
        for (const auto& sighting : found[a]) {
            const auto mac = sighting.record.Mac();
            auto same = std::find_if(modules.begin(), modules.end(), [&](const FoundModule& m) {
                return m.sighting.record.Mac() == mac;
            });
            if (same == modules.end()) {
                modules.push_back({sighting, {adapters[a]}});
                continue;
            }
            same->adapters.push_back(adapters[a]);
            auto& others = same->sighting.otherAddresses;
            for (const auto address : sighting.otherAddresses)
                if (std::find(others.begin(), others.end(), address) == others.end())
                    others.push_back(address);
            if (sighting.record.Ip() != same->sighting.record.Ip() &&
                std::find(others.begin(), others.end(), sighting.record.Ip()) == others.end())
                others.push_back(sighting.record.Ip());
        }
    }
    return modules;
}

}  // namespace cli
