#pragma once
// The module search on several adapters at the same time, so searching all of them takes one
// listing's 2 s, and the modules found put together: a module heard on two adapters is one.
#include <cstdint>
#include <vector>

#include "netconfig/discovery.h"

namespace cli {

// One listing per adapter, all in one run of the exchange engine, in the adapters' order; a
// listing that could not be sent is empty and its flag in `sent` false.
std::vector<std::vector<netconfig::ModuleSighting>> SearchAdapters(
    const std::vector<std::uint32_t>& adapters, std::vector<bool>& sent);

struct FoundModule {
    netconfig::ModuleSighting sighting;   // the first adapter's, with every address it gave
    std::vector<std::uint32_t> adapters;  // that it answered on, in the adapters' order
};

// By MAC, in order of first sight across the adapters' listings.
std::vector<FoundModule> MergeSearches(
    const std::vector<std::uint32_t>& adapters,
    const std::vector<std::vector<netconfig::ModuleSighting>>& found);

}  // namespace cli
