#pragma once
// Address conflicts, the most common reason a device is "not found": two modules answering at
// one address, one module answering at two, and listed devices that no longer match the module
// at their address or that share a MAC. Pure functions over what a search saw and the list.
#include <cstdint>
#include <string>
#include <vector>

#include "app/device_list.h"
#include "netconfig/discovery.h"

namespace cli {

enum class ConflictKind {
    kAddressShared,      // one address answered by two or more MACs
    kMacAtTwoAddresses,  // one MAC answering at two or more addresses
    kListedMacDiffers,   // a listed device's MAC is not the MAC answering at its address now
    kListedMacTwice,     // two listed devices with the same MAC
};

struct Conflict {
    ConflictKind kind = ConflictKind::kAddressShared;
    std::vector<std::uint32_t> addresses;  // network byte order
    std::vector<std::string> macs;         // as shown, "%02X:..."
};

// sightings may come from several adapters; a module seen on two of them is one module.
std::vector<Conflict> FindConflicts(const std::vector<netconfig::ModuleSighting>& sightings,
                                    const app::DeviceList& listed);

// One line, e.g. "198.18.0.20 is answered by 00:0A:1B:2C:3D:20 and 00:0A:1B:2C:3D:21".
std::string ConflictText(const Conflict& conflict);
// {"kind": "address-shared", "addresses": [...], "macs": [...]}
std::string ConflictJson(const Conflict& conflict);
const char* ConflictKindName(ConflictKind kind);

}  // namespace cli
