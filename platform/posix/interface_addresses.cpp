#include "platform/interface_addresses.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace platform {

bool ReadInterfaceTable(std::vector<InterfaceAddress>& table) {
    table.clear();
    ifaddrs* rows = nullptr;
    if (getifaddrs(&rows) != 0) return false;
    for (const ifaddrs* row = rows; row != nullptr; row = row->ifa_next) {
        if (row->ifa_addr == nullptr || row->ifa_addr->sa_family != AF_INET) continue;
        table.push_back({reinterpret_cast<const sockaddr_in*>(row->ifa_addr)->sin_addr.s_addr,
                         (row->ifa_flags & IFF_UP) != 0});
    }
    freeifaddrs(rows);
    return true;
}

unsigned InterfaceIndexOfAddress(std::uint32_t address) {
    ifaddrs* table = nullptr;
    if (getifaddrs(&table) != 0) return 0;
    unsigned index = 0;
    for (const ifaddrs* row = table; row != nullptr && index == 0; row = row->ifa_next) {
        if (row->ifa_addr == nullptr || row->ifa_addr->sa_family != AF_INET) continue;
        if (reinterpret_cast<const sockaddr_in*>(row->ifa_addr)->sin_addr.s_addr == address)
            index = if_nametoindex(row->ifa_name);
    }
    freeifaddrs(table);
    return index;
}

}  // namespace platform
