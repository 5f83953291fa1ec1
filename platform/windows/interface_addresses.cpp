#include "platform/interface_addresses.h"

#include "platform/windows/adapter_table.h"

namespace platform {

namespace {

std::uint32_t AddressOf(const IP_ADAPTER_UNICAST_ADDRESS* row) {
    return reinterpret_cast<const sockaddr_in*>(row->Address.lpSockaddr)->sin_addr.s_addr;
}

bool IsIpv4(const IP_ADAPTER_UNICAST_ADDRESS* row) {
    return row->Address.lpSockaddr != nullptr && row->Address.lpSockaddr->sa_family == AF_INET;
}

}  // namespace

bool ReadInterfaceTable(std::vector<InterfaceAddress>& table) {
    table.clear();
    windows::AdapterTable adapters;
    if (!windows::ReadAdapters(adapters)) return false;
    for (const IP_ADAPTER_ADDRESSES* adapter = adapters.get(); adapter != nullptr;
         adapter = adapter->Next) {
        for (const IP_ADAPTER_UNICAST_ADDRESS* row = adapter->FirstUnicastAddress; row != nullptr;
             row = row->Next) {
            if (IsIpv4(row))
                table.push_back({AddressOf(row), adapter->OperStatus == IfOperStatusUp});
        }
    }
    return true;
}

unsigned InterfaceIndexOfAddress(std::uint32_t address) {
    windows::AdapterTable adapters;
    if (!windows::ReadAdapters(adapters)) return 0;
    for (const IP_ADAPTER_ADDRESSES* adapter = adapters.get(); adapter != nullptr;
         adapter = adapter->Next) {
        for (const IP_ADAPTER_UNICAST_ADDRESS* row = adapter->FirstUnicastAddress; row != nullptr;
             row = row->Next) {
            if (IsIpv4(row) && AddressOf(row) == address) return adapter->IfIndex;
        }
    }
    return 0;
}

}  // namespace platform
