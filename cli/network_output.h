#pragma once
// What the network commands print: a readable text form and the JSON form of --json. Each
// function returns the whole output, one line per item, ending in a newline.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/adapter_search.h"
#include "cli/conflicts.h"
#include "netconfig/discovery.h"
#include "netconfig/parallel_check.h"

namespace cli {

// One device's check, as the concurrent check reports it.
using CheckResult = netconfig::SwitcherCheck;

// An array of dotted addresses.
std::string AdaptersJson(const std::vector<std::uint32_t>& adapters);
std::string AdaptersText(const std::vector<std::uint32_t>& adapters);

// [{"address": "a.b.c.d", "online": true, "switcher": "a.b.c.d"}, ...], "switcher" null offline.
std::string CheckJson(const std::vector<CheckResult>& results);
// One row per device: online with its switcher, "offline", or "unexpected reply".
std::string CheckText(const std::vector<CheckResult>& results);

// discover --json: {"modules": [...], "conflicts": [...]}, each module with the adapters it
// answered on when withAdapters.
std::string DiscoverJson(const std::vector<FoundModule>& modules,
                         const std::vector<Conflict>& conflicts, bool withAdapters);
// The module table (with an ADAPTERS column when withAdapters), then a line per conflict.
std::string DiscoverText(const std::vector<FoundModule>& modules,
                         const std::vector<Conflict>& conflicts, bool withAdapters);

}  // namespace cli
