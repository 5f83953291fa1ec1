#pragma once
#include <cstdint>
#include <vector>

namespace platform {

// The IPv4 addresses of this computer's interfaces, in the order the system lists them
// (getifaddrs), network byte order, unfiltered: loopback and duplicates included. False when
// the system table cannot be read.
bool ReadInterfaceAddresses(std::vector<std::uint32_t>& addresses);

// The index of the interface that holds this address (network byte order), 0 when none does.
unsigned InterfaceIndexOfAddress(std::uint32_t address);

}  // namespace platform
