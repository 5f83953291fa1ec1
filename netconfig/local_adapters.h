#pragma once
#include <cstdint>
#include <vector>

#include "platform/interface_addresses.h"

namespace netconfig {

// The usable addresses of a system address table, in table order: addresses of interfaces that
// are down, 0.0.0.0, first octets 127 and 255 (low seven bits all set) and repeats are skipped.
std::vector<std::uint32_t> FilterAdapterAddresses(
    const std::vector<platform::InterfaceAddress>& table);

// Orders a system address table as the panel asks the system for it: ascending by address,
// read as the dotted form reads (10.0.0.1 before 192.168.1.1); equal addresses keep their order.
void SortAddressTable(std::vector<platform::InterfaceAddress>& table);

// Fills `list` with this computer's usable IPv4 addresses, the system table sorted and then
// filtered; true when it holds at least one.
bool GetLocalAdapters(std::vector<std::uint32_t>& list);

}  // namespace netconfig
