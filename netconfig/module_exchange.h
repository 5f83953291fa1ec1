#pragma once
// Unicast configuration exchanges with one module on UDP ports 9100 and 9101. Every call opens
// its sockets at the start and closes them before it returns; failures are results.
#include <array>
#include <cstddef>
#include <cstdint>

#include "netconfig/wire_layout.h"

using PassportBuffer = std::array<std::uint8_t, wire::kPassportStoredLength>;

// Sends `request` from localAddress to deviceAddress on both ports and takes the first datagram
// of at least minimumReplyLength bytes (copied up to replyCapacity; replyLength gets the count).
// replyCapacity 0 sends only and returns true. Waits up to 3000 ms in 100 ms polling steps and
// fails at once when neither socket is usable.
bool ExchangeModuleDatagram(std::uint32_t localAddress, std::uint32_t deviceAddress,
                            const std::uint8_t* request, std::size_t requestLength,
                            std::uint8_t* replyBuffer, std::size_t replyCapacity,
                            std::size_t minimumReplyLength, std::size_t* replyLength = nullptr);

// The optional `answered` tells a device that answered with something else (true, while the
// result is false) from a silent one; `sent` tells whether any socket sent the request.

// "WiZnInTr" -> "WiZnInTc"/"WiZnSwTc" with bytes 8, 9 = 1, 0; switcherAddress is bytes 11-14.
bool ReadSwitcherAddress(std::uint32_t localAddress, std::uint32_t deviceAddress,
                         std::uint32_t& switcherAddress, bool* answered = nullptr);
// "WiZnInTw", no reply; always true.
bool WriteSwitcherAddress(std::uint32_t localAddress, std::uint32_t deviceAddress,
                          std::uint32_t switcherAddress, bool* sent = nullptr);
// "WiZnGpAs" -> "WiZnPaSs" of at least 290 bytes, its first 418 stored; the buffer is cleared
// first, so bytes a shorter reply does not reach are zero.
bool ReadModulePassport(std::uint32_t localAddress, std::uint32_t deviceAddress,
                        PassportBuffer& passport, bool* answered = nullptr);
