#pragma once
// Unicast configuration exchanges with one module on UDP ports 9100 and 9101, each one exchange
// of the engine (netconfig/exchange_engine.h). Every call opens its sockets at the start and
// closes them before it returns; failures are results.
#include <array>
#include <cstddef>
#include <cstdint>

#include "netconfig/exchange_engine.h"
#include "netconfig/wire_layout.h"

namespace netconfig {

using PassportBuffer = std::array<std::uint8_t, wire::kPassportStoredLength>;

// Sends `request` from localAddress to deviceAddress on both ports and takes the first datagram
// of at least minimumReplyLength bytes (copied up to replyCapacity; replyLength gets the count).
// replyCapacity 0 sends only and returns true. Waits up to 3000 ms in 100 ms polling steps and
// fails at once when neither socket is usable.
bool ExchangeModuleDatagram(std::uint32_t localAddress, std::uint32_t deviceAddress,
                            const std::uint8_t* request, std::size_t requestLength,
                            std::uint8_t* replyBuffer, std::size_t replyCapacity,
                            std::size_t minimumReplyLength, std::size_t* replyLength = nullptr);

// "WiZnInTr" -> "WiZnInTc"/"WiZnSwTc" with bytes 8, 9 = 1, 0; switcherAddress is bytes 11-14.
bool ReadSwitcherAddress(std::uint32_t localAddress, std::uint32_t deviceAddress,
                         std::uint32_t& switcherAddress);
// "WiZnInTw", no reply; always true.
bool WriteSwitcherAddress(std::uint32_t localAddress, std::uint32_t deviceAddress,
                          std::uint32_t switcherAddress);
// "WiZnGpAs" -> "WiZnPaSs" of at least 290 bytes, its first 418 stored; the buffer is cleared
// first, so bytes a shorter reply does not reach are zero.
bool ReadModulePassport(std::uint32_t localAddress, std::uint32_t deviceAddress,
                        PassportBuffer& passport);

// The same exchanges with their outcome, for callers that tell a device that answered with
// something else from a silent one, or a request no socket could send from one sent.
ExchangeOutcome ReadSwitcherOutcome(std::uint32_t localAddress, std::uint32_t deviceAddress,
                                    std::uint32_t& switcherAddress);
ExchangeOutcome WriteSwitcherOutcome(std::uint32_t localAddress, std::uint32_t deviceAddress,
                                     std::uint32_t switcherAddress);
ExchangeOutcome ReadPassportOutcome(std::uint32_t localAddress, std::uint32_t deviceAddress,
                                    PassportBuffer& passport);

// The switcher read as the engine runs it, for many devices at once; `request` is
// BuildReadSwitcherRequest's and must outlive the exchange. Its result is judged by
// SwitcherAddressOf.
ExchangePlan SwitcherReadPlan(std::uint32_t localAddress, std::uint32_t deviceAddress,
                              std::span<const std::uint8_t> request);
// Answered: switcherAddress is the reply's (ReadSwitcherAddress's result).
ExchangeOutcome SwitcherAddressOf(const ExchangeResult& result, std::uint32_t& switcherAddress);

}  // namespace netconfig
