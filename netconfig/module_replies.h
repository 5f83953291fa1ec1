#pragma once
// The unicast configuration datagrams as plain data: request builders and the acceptance rules
// for what comes back. No sockets here, so the exchanges, the tests and the fuzz targets all run
// the same checks.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "netconfig/module_exchange.h"
#include "netconfig/wire_layout.h"

namespace netconfig {

using ReadSwitcherRequest = std::array<std::uint8_t, wire::kQueryRequestLength>;
using WriteSwitcherRequest = std::array<std::uint8_t, wire::kWriteSwitcherLength>;
using ReadPassportRequest = std::array<std::uint8_t, wire::kQueryRequestLength>;

ReadSwitcherRequest BuildReadSwitcherRequest();
WriteSwitcherRequest BuildWriteSwitcherRequest(std::uint32_t switcherAddress);
ReadPassportRequest BuildReadPassportRequest();

// The exchange's rule for one received datagram: the first one of at least minimumLength bytes
// decides the exchange. When it does, its first min(length, reply.size()) bytes are copied to
// `reply`, `stored` gets that count and the result is true; a shorter datagram changes nothing.
bool TakeSufficientDatagram(std::span<const std::uint8_t> datagram, std::size_t minimumLength,
                            std::span<std::uint8_t> reply, std::size_t& stored);

// A switcher reply as stored by the exchange: "WiZnInTc" or "WiZnSwTc", byte 8 = 1, byte 9 = 0.
// The address is bytes 11-14; bytes the reply did not reach read as zero. False leaves
// switcherAddress untouched.
bool CheckSwitcherReply(std::span<const std::uint8_t> reply, std::uint32_t& switcherAddress);

// A passport reply, or the buffer the exchange filled, holds a passport when it starts with
// "WiZnPaSs".
bool CheckPassportReply(std::span<const std::uint8_t> passport);

// What ReadModulePassport makes of one datagram, for callers that have the datagram itself:
// clears the buffer, and when the datagram is long enough to decide the exchange, stores its
// first 418 bytes; true when that happened and the magic is right.
bool AcceptPassportDatagram(std::span<const std::uint8_t> datagram, PassportBuffer& passport);

}  // namespace netconfig
