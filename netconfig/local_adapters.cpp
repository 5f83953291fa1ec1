#include "netconfig/local_adapters.h"

#include <algorithm>
#include <cstring>

#include "netconfig/address_text.h"

namespace {
// 127 (loopback) and 255 are the first octets with their low seven bits all set. The system's
// own table leaves out adapters that are down, so a down one is never offered or chosen.
bool IsUsableAdapter(const platform::InterfaceAddress& row) {
    return row.up && row.address != 0 && (FirstOctet(row.address) & 0x7F) != 0x7F;
}

// The dotted form's order: first number most significant, whatever this machine's byte order.
std::uint32_t DottedOrder(std::uint32_t address) {
    std::uint8_t octets[wire::kAddressLength];
    std::memcpy(octets, &address, sizeof octets);
    return std::uint32_t{octets[0]} << 24 | std::uint32_t{octets[1]} << 16 |
           std::uint32_t{octets[2]} << 8 | octets[3];
}
}  // namespace

std::vector<std::uint32_t> FilterAdapterAddresses(
    const std::vector<platform::InterfaceAddress>& table) {
    std::vector<std::uint32_t> usable;
    for (const auto& row : table) {
        if (!IsUsableAdapter(row)) continue;
        if (std::find(usable.begin(), usable.end(), row.address) != usable.end()) continue;
        usable.push_back(row.address);
    }
    return usable;
}

void SortAddressTable(std::vector<platform::InterfaceAddress>& table) {
    std::stable_sort(table.begin(), table.end(), [](const auto& a, const auto& b) {
        return DottedOrder(a.address) < DottedOrder(b.address);
    });
}

bool GetLocalAdapters(std::vector<std::uint32_t>& list) {
    list.clear();
    std::vector<platform::InterfaceAddress> table;
    if (!platform::ReadInterfaceTable(table)) return false;
    SortAddressTable(table);
    list = FilterAdapterAddresses(table);
    return !list.empty();
}
