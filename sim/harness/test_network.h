#pragma once
// The guard every broadcasting test and benchmark calls before it sends: broadcasts may only
// leave from inside the private test network's panel side.
#include <string>

namespace harness {

constexpr const char* kPanelAddressText = "198.18.0.1";
// The panel's second adapter while the routed part is up (scripts/testnet routed up).
constexpr const char* kSecondPanelAddressText = "198.18.2.1";

// "vtl-panel" and "vtl-dev", or with the prefix VANTREL_TESTNET_PREFIX gives scripts/testnet;
// "vtl-rtr" plays the second segment's modules and routes to "vtl-far".
std::string PanelNamespace();
std::string DeviceNamespace();
std::string RouterNamespace();
std::string FarNamespace();

// True when this process runs inside vtl-panel: its only IPv4 addresses outside loopback are
// 198.18.0.1 and, with the routed part, 198.18.2.1. Otherwise false, with the reason in `why`.
bool InsideTestNetworkPanel(std::string& why);

}  // namespace harness
