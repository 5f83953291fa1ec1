#include "netconfig/local_adapters.h"

#include <algorithm>

#include "netconfig/address_text.h"

namespace netconfig {

namespace {
// 127 (loopback) and 255 are the first octets with their low seven bits all set. The system's
// own table leaves out adapters that are down, so a down one is never offered or chosen.
bool IsUsableAdapter(const platform::InterfaceAddress& row) {
    return row.up && row.address != 0 && (FirstOctet(row.address) & 0x7F) != 0x7F;
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

}  // namespace netconfig
