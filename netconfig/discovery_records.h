#pragma once
// The broadcast datagrams as plain data: the list and network settings requests, and the rule
// by which a hello reply joins the result list. No sockets here.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "netconfig/discovery.h"
#include "netconfig/wire_layout.h"

namespace netconfig {

using BroadcastRequest = std::array<std::uint8_t, wire::kBroadcastRequestLength>;

// "WiZnLiSt", the query code high byte first, zeros.
BroadcastRequest BuildListRequest(std::uint16_t queryCode);
// "TiBbsEtA", the MAC exactly as given, then IP address, network mask, default gateway.
BroadcastRequest BuildSetNetworkRequest(const MacAddress& moduleMac, std::uint32_t ipAddress,
                                        std::uint32_t networkMask, std::uint32_t defaultGateway);

// A valid hello: at least 30 bytes beginning "WiZnHeLo".
bool IsHelloReply(std::span<const std::uint8_t> datagram);

// Appends the first 30 bytes of a "WiZnHeLo" datagram of at least 30 bytes to the list, unless
// a record of the same MAC is there already (the first reply's addresses stay). True when it
// was appended; anything else is dropped without a trace.
bool AcceptHelloReply(std::span<const std::uint8_t> datagram,
                      std::vector<ModuleHelloRecord>& resultList);

// How one hello reached the panel: on port index `port` (0: 9100, 1: 9101), by unicast to the
// adapter's address or by limited broadcast on the adapter's interface.
struct HelloArrival {
    std::size_t port = 0;
    bool byBroadcast = false;
};
// Records a hello by the rules of AcceptHelloReply: a module's first hello gives its record and
// place in the list; every later valid hello of the same MAC only adds its port and route.
// True when the module was new; anything but a hello is dropped without a trace.
bool RecordHelloArrival(std::span<const std::uint8_t> datagram, HelloArrival arrival,
                        std::vector<ModuleSighting>& sightings);

}  // namespace netconfig
