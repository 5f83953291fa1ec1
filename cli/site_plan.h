#pragma once
// What applying a site file would change, judged from one search of the segment and one check
// of every address that matters, and whether what was applied took.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/outcome.h"
#include "cli/site_file.h"
#include "netconfig/discovery.h"
#include "netconfig/parallel_check.h"

namespace cli {

enum class SiteAction {
    kNothing,   // the module is as the file says
    kChange,    // new network settings, a new switcher address, or both
    kNotFound,  // no module with the row's MAC answered the search
    kConflict,  // the row's new address is answered now by another module
};

struct SitePlanRow {
    SiteRow row;
    SiteAction action = SiteAction::kNothing;
    std::optional<netconfig::ModuleHelloRecord> found;  // the module as the search saw it
    std::optional<std::uint32_t> switcherNow;  // as its check read it; none when it did not
    bool onlyByBroadcast = false;              // found on another subnet, so not checked
    bool newNetwork = false;
    bool newSwitcher = false;
    std::string conflict;  // who answers at the new address
    // Where the module answers once the row is applied.
    std::uint32_t FinalAddress() const;
};

struct SitePlan {
    std::vector<SitePlanRow> rows;                      // in file order
    std::vector<netconfig::ModuleHelloRecord> unnamed;  // found, but not in the file
};

// Checks by the address asked.
using ChecksByAddress = std::map<std::uint32_t, netconfig::SwitcherCheck>;

// The addresses a plan checks in the search's own run, before anyone is found: every new
// address of the file (someone may answer there, on the segment or beyond it).
std::vector<std::uint32_t> NewAddresses(const std::vector<SiteRow>& rows);
// The addresses it checks once the search is over: the current address of each found module
// whose row names a switcher, unless `checked` has it. A module heard only by broadcast is left
// out: it sits on a subnet the adapter is not on, where a check would only wait out a deadline.
std::vector<std::uint32_t> CurrentAddressesToCheck(
    const std::vector<SiteRow>& rows, const std::vector<netconfig::ModuleSighting>& sightings,
    const ChecksByAddress& checked);

SitePlan MakeSitePlan(const std::vector<SiteRow>& rows,
                      const std::vector<netconfig::ModuleSighting>& sightings,
                      const ChecksByAddress& checks);

// What did not take of an applied row, seen in a new search and a check of its final address;
// empty when everything took.
std::vector<std::string> UnverifiedParts(const SitePlanRow& applied,
                                         const std::vector<netconfig::ModuleSighting>& sightings,
                                         const ChecksByAddress& checks);

// site plan's exit: the site matches (0), changes are pending, or a row cannot be applied.
ExitCode PlanExitCode(const SitePlan& plan);

const char* SiteActionName(SiteAction action);

}  // namespace cli
