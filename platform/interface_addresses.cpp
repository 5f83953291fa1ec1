#include "platform/interface_addresses.h"

namespace platform {

bool ReadInterfaceAddresses(std::vector<std::uint32_t>& addresses) {
    addresses.clear();
    std::vector<InterfaceAddress> table;
    if (!ReadInterfaceTable(table)) return false;
    for (const InterfaceAddress& row : table) addresses.push_back(row.address);
    return true;
}

}  // namespace platform
