#pragma once
// What the operating system can tell about this computer's network, for the doctor: each
// interface with its flags, the routes that carry broadcasts, who holds a UDP port, and the
// packet filter's rules. Facts only; judging them is the caller's business.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct InterfaceFacts {
    std::string name;
    bool hasAddress = false;    // an IPv4 address; false for an interface that has none
    std::uint32_t address = 0;  // network byte order
    unsigned prefix = 0;        // 0-32
    bool up = false;            // administratively on
    bool link = false;          // the driver reports a carrier
    bool loopback = false;
};

// One entry per IPv4 address, in the system's order, then one per interface without any.
bool ReadInterfaceFacts(std::vector<InterfaceFacts>& interfaces);

enum class BroadcastRoute { LimitedBroadcast, Default, None, Unknown };
// Which route of the main table names `interfaceName` for 255.255.255.255: one for that address
// itself, else the default route; Unknown when the table cannot be read.
BroadcastRoute ReadBroadcastRoute(const std::string& interfaceName);

struct PortBind {
    bool bindable = false;     // the exchanges' own bind (SO_REUSEADDR) works
    bool heldByOther = false;  // another socket holds the port on this address or on all
    std::string holder;        // "name (pid N)" when the system tells, else empty
    std::string error;         // the system's reason when not bindable
};
PortBind TestPortBind(std::uint32_t address, std::uint16_t port);

struct FirewallRules {
    bool readable = false;
    std::string tool;  // "nft" or "iptables-save"
    std::string text;  // the listing as the tool printed it
};
// The packet filter's rules, from nft, else iptables-save; unreadable without them or without
// the right to read them.
FirewallRules ReadFirewallRules();

}  // namespace platform
