#include "platform/network_facts.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <cstring>
#include <vector>

#include "platform/windows/adapter_table.h"
#include "platform/windows/socket_error.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/winsock_start.h"

namespace platform {

namespace {

// The index of the adapter the doctor names by its friendly name; 0 when none has that name.
NET_IFINDEX IndexOfAdapter(const std::string& name) {
    windows::AdapterTable adapters;
    if (!windows::ReadAdapters(adapters)) return 0;
    for (const IP_ADAPTER_ADDRESSES* adapter = adapters.get(); adapter != nullptr;
         adapter = adapter->Next) {
        if (windows::Narrow(adapter->FriendlyName) == name) return adapter->IfIndex;
    }
    return 0;
}

SOCKET BindUdp(std::uint32_t address, std::uint16_t port, bool reuse, int& error) {
    const SOCKET socket =
        WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (socket == INVALID_SOCKET) {
        error = WSAGetLastError();
        return INVALID_SOCKET;
    }
    const BOOL on = TRUE;
    setsockopt(socket, SOL_SOCKET, reuse ? SO_REUSEADDR : SO_EXCLUSIVEADDRUSE,
               reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = address;
    if (bind(socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        error = WSAGetLastError();
        closesocket(socket);
        return INVALID_SOCKET;
    }
    return socket;
}

// "name (pid N)" of the process holding a UDP port on address or on every address.
std::string ProcessHolding(std::uint32_t address, std::uint16_t port) {
    ULONG size = 0;
    GetExtendedUdpTable(nullptr, &size, FALSE, AF_INET, UDP_TABLE_OWNER_PID, 0);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || GetExtendedUdpTable(buffer.data(), &size, FALSE, AF_INET, UDP_TABLE_OWNER_PID,
                                         0) != NO_ERROR)
        return {};
    const auto* table = reinterpret_cast<const MIB_UDPTABLE_OWNER_PID*>(buffer.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_UDPROW_OWNER_PID& row = table->table[i];
        if (ntohs(static_cast<u_short>(row.dwLocalPort)) != port ||
            (row.dwLocalAddr != address && row.dwLocalAddr != 0) ||
            row.dwOwningPid == GetCurrentProcessId())
            continue;
        std::string name = "?";
        if (HANDLE process =
                OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, row.dwOwningPid)) {
            wchar_t path[MAX_PATH];
            DWORD length = MAX_PATH;
            if (QueryFullProcessImageNameW(process, 0, path, &length)) {
                const std::string full = windows::Narrow(std::wstring_view(path, length));
                name = full.substr(full.find_last_of("\\/") + 1);
            }
            CloseHandle(process);
        }
        return name + " (pid " + std::to_string(row.dwOwningPid) + ")";
    }
    return {};
}

}  // namespace

bool ReadInterfaceFacts(std::vector<InterfaceFacts>& interfaces) {
    interfaces.clear();
    windows::AdapterTable adapters;
    if (!windows::ReadAdapters(adapters)) return false;
    std::vector<InterfaceFacts> withoutAddress;
    for (const IP_ADAPTER_ADDRESSES* adapter = adapters.get(); adapter != nullptr;
         adapter = adapter->Next) {
        InterfaceFacts facts;
        facts.name = windows::Narrow(adapter->FriendlyName);
        // Windows has no administrative flag apart from the state: an adapter switched off
        // is down, one without a cable is "not present" or "lower layer down".
        facts.up = adapter->OperStatus != IfOperStatusDown;
        facts.link = adapter->OperStatus == IfOperStatusUp;
        facts.loopback = adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
        bool any = false;
        for (const IP_ADAPTER_UNICAST_ADDRESS* row = adapter->FirstUnicastAddress; row != nullptr;
             row = row->Next) {
            if (row->Address.lpSockaddr == nullptr || row->Address.lpSockaddr->sa_family != AF_INET)
                continue;
            InterfaceFacts withAddress = facts;
            withAddress.hasAddress = true;
            withAddress.address =
                reinterpret_cast<const sockaddr_in*>(row->Address.lpSockaddr)->sin_addr.s_addr;
            withAddress.prefix = row->OnLinkPrefixLength;
            interfaces.push_back(withAddress);
            any = true;
        }
        if (!any) withoutAddress.push_back(facts);
    }
    interfaces.insert(interfaces.end(), withoutAddress.begin(), withoutAddress.end());
    return true;
}

BroadcastRoute ReadBroadcastRoute(const std::string& interfaceName) {
    const NET_IFINDEX index = IndexOfAdapter(interfaceName);
    MIB_IPFORWARD_TABLE2* table = nullptr;
    if (GetIpForwardTable2(AF_INET, &table) != NO_ERROR) return BroadcastRoute::Unknown;
    bool limited = false;
    bool viaDefault = false;
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_IPFORWARD_ROW2& row = table->Table[i];
        if (index == 0 || row.InterfaceIndex != index) continue;
        const std::uint32_t destination = row.DestinationPrefix.Prefix.Ipv4.sin_addr.s_addr;
        const unsigned length = row.DestinationPrefix.PrefixLength;
        if (destination == INADDR_BROADCAST && length == 32) limited = true;
        if (destination == 0 && length == 0) viaDefault = true;
    }
    FreeMibTable(table);
    if (limited) return BroadcastRoute::LimitedBroadcast;
    return viaDefault ? BroadcastRoute::Default : BroadcastRoute::None;
}

PortBind TestPortBind(std::uint32_t address, std::uint16_t port) {
    PortBind result;
    if (!windows::StartWinsock()) {
        result.error = "Winsock did not start";
        return result;
    }
    int error = 0;
    const SOCKET shared = BindUdp(address, port, true, error);
    result.bindable = shared != INVALID_SOCKET;
    if (!result.bindable) result.error = windows::SystemMessage(error);
    if (shared != INVALID_SOCKET) closesocket(shared);
    // An exclusive bind fails when anyone else holds the port, sharing or not.
    const SOCKET alone = BindUdp(address, port, false, error);
    if (alone != INVALID_SOCKET) {
        closesocket(alone);
        return result;
    }
    if (error != WSAEADDRINUSE && error != WSAEACCES) return result;
    result.heldByOther = true;
    result.holder = ProcessHolding(address, port);
    return result;
}

// The doctor reads Linux's packet filters (nft, iptables-save); Windows Firewall keeps its rules
// in a form of its own, which the doctor does not judge, so it reports them as unreadable.
FirewallRules ReadFirewallRules() { return {}; }

}  // namespace platform
