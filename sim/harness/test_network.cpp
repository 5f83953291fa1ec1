#include "sim/harness/test_network.h"

#include <cstdlib>
#include <vector>

#include "netconfig/address_text.h"
#include "platform/interface_addresses.h"

namespace harness {

namespace {
std::string Prefix() {
    const char* prefix = std::getenv("VANTREL_TESTNET_PREFIX");
    return prefix != nullptr && *prefix != '\0' ? prefix : "vtl";
}
}  // namespace

std::string PanelNamespace() { return Prefix() + "-panel"; }
std::string DeviceNamespace() { return Prefix() + "-dev"; }
std::string RouterNamespace() { return Prefix() + "-rtr"; }
std::string FarNamespace() { return Prefix() + "-far"; }

bool InsideTestNetworkPanel(std::string& why) {
    std::vector<std::uint32_t> addresses;
    if (!platform::ReadInterfaceAddresses(addresses)) {
        why = "cannot read this host's addresses";
        return false;
    }
    std::uint32_t panel = 0, second = 0;
    netconfig::ParseIpAddress(kPanelAddressText, panel);
    netconfig::ParseIpAddress(kSecondPanelAddressText, second);
    bool sawPanel = false;
    for (const std::uint32_t address : addresses) {
        if (*reinterpret_cast<const std::uint8_t*>(&address) == 127) continue;
        if (address == second) continue;
        if (address != panel) {
            why = "refusing to broadcast: this host has the address " +
                  netconfig::FormatIpAddress(address) +
                  ", so it is not the test network's panel side (run it with `scripts/testnet "
                  "panel`)";
            return false;
        }
        sawPanel = true;
    }
    if (!sawPanel) why = "refusing to broadcast: no address 198.18.0.1 here (scripts/testnet up?)";
    return sawPanel;
}

}  // namespace harness
