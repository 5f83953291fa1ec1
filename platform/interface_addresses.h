#pragma once
#include <cstdint>
#include <vector>

namespace platform {

// One IPv4 address of this computer and whether its interface is up (administratively on).
struct InterfaceAddress {
    std::uint32_t address = 0;  // network byte order
    bool up = false;
};

// Every IPv4 address of this computer's interfaces, in the order the system lists them
// (getifaddrs), unfiltered: loopback, repeats and interfaces that are down included. False when
// the system table cannot be read.
bool ReadInterfaceTable(std::vector<InterfaceAddress>& table);

// The addresses alone, up or not: for the checks that must see every address this computer has.
bool ReadInterfaceAddresses(std::vector<std::uint32_t>& addresses);

}  // namespace platform
