#include "netconfig/local_adapters.h"

#include <algorithm>
#include <cstring>

#include "platform/interface_addresses.h"

namespace {
// 127 (loopback) and 255 are the first octets with their low seven bits all set.
bool IsUsableAdapterAddress(std::uint32_t address) {
    std::uint8_t octets[4];
    std::memcpy(octets, &address, sizeof octets);
    return address != 0 && (octets[0] & 0x7F) != 0x7F;
}

// The dotted form's order: first number most significant, whatever this machine's byte order.
std::uint32_t DottedOrder(std::uint32_t address) {
    std::uint8_t octets[4];
    std::memcpy(octets, &address, sizeof octets);
    return std::uint32_t{octets[0]} << 24 | std::uint32_t{octets[1]} << 16 |
           std::uint32_t{octets[2]} << 8 | octets[3];
}
}  // namespace

std::vector<std::uint32_t> FilterAdapterAddresses(const std::vector<std::uint32_t>& table) {
    std::vector<std::uint32_t> usable;
    for (const auto address : table) {
        if (!IsUsableAdapterAddress(address)) continue;
        if (std::find(usable.begin(), usable.end(), address) != usable.end()) continue;
        usable.push_back(address);
    }
    return usable;
}

void SortAddressTable(std::vector<std::uint32_t>& table) {
    std::stable_sort(table.begin(), table.end(),
                     [](std::uint32_t a, std::uint32_t b) { return DottedOrder(a) < DottedOrder(b); });
}

bool GetLocalAdapters(std::vector<std::uint32_t>& list) {
    list.clear();
    std::vector<std::uint32_t> table;
    if (!platform::ReadInterfaceAddresses(table)) return false;
    SortAddressTable(table);
    list = FilterAdapterAddresses(table);
    return !list.empty();
}
