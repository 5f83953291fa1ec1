// Any datagram that reaches a simulated module: the module answers within its configured
// lengths, takes network settings only when they name its own MAC, and never reads out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "netconfig/wire_layout.h"
#include "sim/module_responder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first two bytes choose the module's reply mode and lengths, the rest is the datagram.
    if (size < 2) return 0;
    sim::ModuleConfig module;
    module.mac = {0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E};
    module.reply = static_cast<sim::ReplyMode>(data[0] % 8);
    module.delayMs = data[0];
    module.passportLength = static_cast<std::size_t>(data[1]) * 4;
    module.helloLength = data[1];
    module.switcherLength = data[1] / 8;
    module.portReply[1] = sim::ReplyBehaviour{static_cast<sim::ReplyMode>((data[0] >> 3) % 8), 0};
    const std::uint16_t port = netconfig::wire::kPorts[(data[0] >> 6) & 1];
    const std::span<const std::uint8_t> datagram(data + 2, size - 2);

    const sim::ModuleResponse response = sim::RespondToDatagram(module, port, datagram);
    const std::size_t limit = sim::kMaxReplyLength + sim::kTrailingLength;
    if (response.replies.size() > 2) std::abort();
    for (const sim::Datagram& reply : response.replies)
        if (reply.size() > limit) std::abort();
    if (response.takeNetwork && (datagram.size() < netconfig::wire::kSetNetworkLength ||
                                 std::memcmp(datagram.data() + netconfig::wire::kSetNetworkMac,
                                             module.mac.data(), netconfig::wire::kMacLength) != 0))
        std::abort();
    return 0;
}
