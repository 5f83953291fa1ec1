#pragma once
// How a simulated module answers one configuration datagram. Pure: no sockets and no clock, so
// the tests and the fuzz target drive it directly and the simulator only moves bytes.
#include <cstdint>
#include <span>
#include <vector>

#include "sim/module_config.h"

namespace sim {

using Datagram = std::vector<std::uint8_t>;

struct ModuleResponse {
    std::vector<Datagram> replies;  // in sending order, each to the requester's address and port
    unsigned delayMs = 0;           // how long the replies wait before they are sent
    bool toBroadcast = false;       // to 255.255.255.255 on the requester's port instead
    // "TiBbsEtA" named this module: the caller moves it, since that means new sockets.
    bool takeNetwork = false;
    std::uint32_t newIp = 0;
    std::uint32_t newMask = 0;
    std::uint32_t newGateway = 0;
};

// What the module answers to `datagram`, which came in on `port` (9100 or 9101). A switcher
// write is applied to `module` here; anything unknown or too short is ignored.
ModuleResponse RespondToDatagram(ModuleConfig& module, std::uint16_t port,
                                 std::span<const std::uint8_t> datagram);

// The replies as a module in normal mode sends them.
Datagram BuildSwitcherReply(const ModuleConfig& module);
Datagram BuildPassportReply(const ModuleConfig& module);
Datagram BuildHelloReply(const ModuleConfig& module);

// Filler for passport and hello bytes that no field covers: the low byte of the offset, so a
// test can tell from any byte where in the reply it came from.
inline std::uint8_t PatternByte(std::size_t offset) { return static_cast<std::uint8_t>(offset); }

constexpr std::string_view kWrongMagic = "WiZnBaDd";
constexpr std::uint8_t kWrongSwitcherStatus = 2;
constexpr std::size_t kShortReplyLength = 10;
constexpr std::size_t kTrailingLength = 16;
constexpr std::uint8_t kTrailingByte = 0xEE;

}  // namespace sim
