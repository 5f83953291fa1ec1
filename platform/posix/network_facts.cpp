#include "platform/network_facts.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <errno.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <stdio.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <bit>
#include <fstream>
#include <set>
#include <sstream>

namespace platform {

namespace {

std::uint32_t AddressOf(const sockaddr* address) {
    return reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
}

// The inodes of UDP sockets bound to port on address or on every address (/proc/net/udp shows
// addresses as the raw 32-bit value in hex, ports in host order).
std::vector<std::string> UdpSocketInodes(std::uint32_t address, std::uint16_t port) {
    std::vector<std::string> inodes;
    std::ifstream table("/proc/net/udp");
    std::string line;
    std::getline(table, line);
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmit, uid, timeout, inode;
        if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmit >> uid >>
              timeout >> inode))
            continue;
        const auto colon = local.find(':');
        if (colon == std::string::npos) continue;
        // strtoul, not stoul: a line this reading does not expect is skipped, never thrown over.
        char* end = nullptr;
        const auto localAddress = static_cast<std::uint32_t>(std::strtoul(local.c_str(), &end, 16));
        if (end != local.c_str() + colon) continue;
        const auto localPort = std::strtoul(local.c_str() + colon + 1, &end, 16);
        if (*end != '\0') continue;
        if (localPort == port && (localAddress == address || localAddress == 0))
            inodes.push_back(inode);
    }
    return inodes;
}

// "name (pid N)" of the first process with one of these sockets open, when this process may see.
std::string ProcessHolding(const std::vector<std::string>& inodes) {
    std::set<std::string> wanted;
    for (const auto& inode : inodes) wanted.insert("socket:[" + inode + "]");
    DIR* processes = opendir("/proc");
    if (processes == nullptr) return {};
    std::string found;
    const std::string self = std::to_string(getpid());
    while (dirent* entry = readdir(processes)) {
        const std::string pid = entry->d_name;
        const bool digits = !pid.empty() && std::all_of(pid.begin(), pid.end(), [](char c) {
            return c >= '0' && c <= '9';
        });
        if (!digits || pid == self) continue;
        const std::string fdPath = "/proc/" + pid + "/fd";
        DIR* fds = opendir(fdPath.c_str());
        if (fds == nullptr) continue;
        while (dirent* fd = readdir(fds)) {
            char target[64] = {};
            const std::string link = fdPath + "/" + fd->d_name;
            if (readlink(link.c_str(), target, sizeof target - 1) <= 0 || !wanted.count(target))
                continue;
            std::string name;
            std::getline(std::ifstream("/proc/" + pid + "/comm"), name);
            found = name + " (pid " + pid + ")";
            break;
        }
        closedir(fds);
        if (!found.empty()) break;
    }
    closedir(processes);
    return found;
}

int BindUdp(std::uint32_t address, std::uint16_t port, bool reuse, int& error) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    const int on = 1;
    if (reuse) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        error = errno;
        close(fd);
        return -1;
    }
    return fd;
}

bool RunAndRead(const char* command, std::string& output) {
    FILE* pipe = popen(command, "r");
    if (pipe == nullptr) return false;
    char buffer[4096];
    std::size_t count = 0;
    output.clear();
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, count);
    return pclose(pipe) == 0;
}

}  // namespace

bool ReadInterfaceFacts(std::vector<InterfaceFacts>& interfaces) {
    interfaces.clear();
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    std::vector<InterfaceFacts> withoutAddress;
    std::set<std::string> named;
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_name == nullptr) continue;
        InterfaceFacts facts;
        facts.name = entry->ifa_name;
        facts.up = (entry->ifa_flags & IFF_UP) != 0;
        facts.link = (entry->ifa_flags & IFF_RUNNING) != 0;
        facts.loopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
        if (entry->ifa_addr != nullptr && entry->ifa_addr->sa_family == AF_INET) {
            facts.hasAddress = true;
            facts.address = AddressOf(entry->ifa_addr);
            if (entry->ifa_netmask != nullptr)
                facts.prefix = static_cast<unsigned>(std::popcount(AddressOf(entry->ifa_netmask)));
            named.insert(facts.name);
            interfaces.push_back(facts);
        } else if (std::none_of(
                       withoutAddress.begin(), withoutAddress.end(),
                       [&](const InterfaceFacts& seen) { return seen.name == facts.name; })) {
            withoutAddress.push_back(facts);
        }
    }
    freeifaddrs(list);
    for (const auto& facts : withoutAddress)
        if (!named.count(facts.name)) interfaces.push_back(facts);
    return true;
}

BroadcastRoute ReadBroadcastRoute(const std::string& interfaceName) {
    std::ifstream table("/proc/net/route");
    if (!table) return BroadcastRoute::Unknown;
    std::string line;
    std::getline(table, line);
    bool viaDefault = false;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string name, destination, gateway, flags, references, use, metric, mask;
        if (!(fields >> name >> destination >> gateway >> flags >> references >> use >> metric >>
              mask))
            continue;
        if (name != interfaceName) continue;
        if (destination == "FFFFFFFF" && mask == "FFFFFFFF")
            return BroadcastRoute::LimitedBroadcast;
        if (destination == "00000000" && mask == "00000000") viaDefault = true;
    }
    return viaDefault ? BroadcastRoute::Default : BroadcastRoute::None;
}

PortBind TestPortBind(std::uint32_t address, std::uint16_t port) {
    PortBind result;
    int error = 0;
    const int shared = BindUdp(address, port, true, error);
    result.bindable = shared >= 0;
    if (!result.bindable) result.error = strerror(error);
    if (shared >= 0) close(shared);
    // An exclusive bind fails when anyone else holds the port, sharing or not.
    const int alone = BindUdp(address, port, false, error);
    if (alone >= 0) {
        close(alone);
        return result;
    }
    if (error != EADDRINUSE) return result;
    result.heldByOther = true;
    result.holder = ProcessHolding(UdpSocketInodes(address, port));
    return result;
}

FirewallRules ReadFirewallRules() {
    FirewallRules rules;
    // Only programs found on the usual system paths, so nothing of the caller's PATH runs as root.
    if (access("/usr/sbin/nft", X_OK) == 0 &&
        RunAndRead("/usr/sbin/nft list ruleset 2>/dev/null", rules.text)) {
        rules.readable = true;
        rules.tool = "nft";
    } else if (access("/usr/sbin/iptables-save", X_OK) == 0 &&
               RunAndRead("/usr/sbin/iptables-save 2>/dev/null", rules.text)) {
        rules.readable = true;
        rules.tool = "iptables-save";
    }
    return rules;
}

}  // namespace platform
