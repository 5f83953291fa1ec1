#include "cli/adapter_search.h"

#include <algorithm>
#include <thread>

namespace cli {

std::vector<std::vector<ModuleSighting>> SearchAdapters(const std::vector<std::uint32_t>& adapters,
                                                        std::vector<bool>& sent) {
    std::vector<std::vector<ModuleSighting>> found(adapters.size());
    std::vector<char> sentFlags(adapters.size(), 0);  // not vector<bool>: written by threads
    std::vector<std::thread> searches;
    for (std::size_t a = 0; a < adapters.size(); ++a)
        searches.emplace_back([&, a] {
            sentFlags[a] = ListModuleSightings(adapters[a], kWizardQueryCode, found[a]);
        });
    for (auto& search : searches) search.join();
    sent.assign(sentFlags.begin(), sentFlags.end());
    return found;
}

std::vector<FoundModule> MergeSearches(const std::vector<std::uint32_t>& adapters,
                                       const std::vector<std::vector<ModuleSighting>>& found) {
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
