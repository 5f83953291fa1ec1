#pragma once
// The guard every broadcasting test and benchmark calls before it sends: broadcasts may only
// leave from inside the private test network's panel side.
#include <string>

namespace harness {

constexpr const char* kPanelAddressText = "198.18.0.1";

// "vtl-panel" and "vtl-dev", or with the prefix VANTREL_TESTNET_PREFIX gives scripts/testnet.
std::string PanelNamespace();
std::string DeviceNamespace();

// True when this process runs inside vtl-panel: its only IPv4 address outside loopback is
// 198.18.0.1. Otherwise false, with the reason in `why`.
bool InsideTestNetworkPanel(std::string& why);

}  // namespace harness
