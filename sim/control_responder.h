#pragma once
// How a simulated control module answers one framed request or one command datagram. Pure: no
// sockets and no clock. The module keeps a small memory per access-header target that the
// framed reads and writes act on, and the last payload of every datagram command.
#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "sim/control_config.h"

namespace sim {

using Bytes = std::vector<std::uint8_t>;

struct ControlState {
    // Per target: the bytes written so far (operations 3 and 4 write at their offset).
    std::map<std::uint8_t, Bytes> memory;
    // Per datagram code: the payload of the last such datagram.
    std::map<std::uint16_t, Bytes> datagramPayloads;
    unsigned answers = 0;   // how many requests were answered, for busy:N
    unsigned requests = 0;  // how many whole requests arrived, for a sequence of faults
};

// What a request does follows the command table. A framed request with data writes them at its
// offset into the target's memory (a block write's chunk as long as byte 13's low six bits say);
// one without data that a reading command sends returns that memory, up to the 250 bytes a reply
// can carry; every other one (205's, a block's close) is answered without data. A datagram of a
// sending command keeps its payload per code, and one of a reading command returns the payload
// kept under the code before its own (402 reads back what 401 sent).
inline constexpr std::size_t kDatagramReplyTooLong = 2100;
inline constexpr std::uint8_t kOtherDeviceAddress = 7;
inline constexpr std::size_t kPartialReplyBytes = 5;

// The reply to a whole framed request (11 + N bytes), fault applied; empty when the module
// stays silent or the request is not a well-formed framed packet.
Bytes AnswerFramedRequest(const ControlConfig& config, ControlState& state,
                          std::span<const std::uint8_t> request);

// The reply to one datagram; a code no command uses gets an error status. Empty for silence.
Bytes AnswerControlDatagram(const ControlConfig& config, ControlState& state,
                            std::span<const std::uint8_t> datagram);

}  // namespace sim
