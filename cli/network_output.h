#pragma once
// What the network commands print: a readable text form and the JSON form of --json. Each
// function returns the whole output, one line per item, ending in a newline.
#include <cstdint>
#include <string>
#include <vector>

#include "netconfig/discovery.h"
#include "netconfig/parallel_check.h"

namespace cli {

// One device's check, as the concurrent check reports it.
using CheckResult = SwitcherCheck;

// An array of dotted addresses.
std::string AdaptersJson(const std::vector<std::uint32_t>& adapters);
std::string AdaptersText(const std::vector<std::uint32_t>& adapters);

// [{"address": "a.b.c.d", "online": true, "switcher": "a.b.c.d"}, ...], "switcher" null offline.
std::string CheckJson(const std::vector<CheckResult>& results);
// One row per device: online with its switcher, "offline", or "unexpected reply".
std::string CheckText(const std::vector<CheckResult>& results);

// [{"mac": "00:0A:1B:2C:3D:4E", "ip": ..., "mask": ..., "gateway": ...}, ...] in list order.
std::string ModulesJson(const std::vector<ModuleHelloRecord>& modules);
// A header line and one row per module; the empty text when there is none.
std::string ModulesText(const std::vector<ModuleHelloRecord>& modules);

}  // namespace cli
