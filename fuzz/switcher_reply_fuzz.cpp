// The switcher read as the exchange runs it on whatever arrives: the first datagram of at
// least 11 bytes decides, then the magic and status bytes are checked.
#include <array>
#include <cstring>

#include "fuzz/reply_sequence.h"
#include "netconfig/module_replies.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReplySequence sequence(data, size);
    std::array<std::uint8_t, netconfig::wire::kReceiveBufferSize> reply{};
    std::span<const std::uint8_t> datagram;
    while (sequence.Next(datagram)) {
        std::size_t stored = 0;
        if (!netconfig::TakeSufficientDatagram(datagram, netconfig::wire::kSwitcherReplyMinLength,
                                               reply, stored))
            continue;
        FUZZ_CHECK(stored == datagram.size() && stored >= netconfig::wire::kSwitcherReplyMinLength);
        std::uint32_t switcher = 0x5A5A5A5Au;
        const bool accepted =
            netconfig::CheckSwitcherReply(std::span(reply).first(stored), switcher);
        const bool magicOk = std::memcmp(datagram.data(), "WiZnInTc", 8) == 0 ||
                             std::memcmp(datagram.data(), "WiZnSwTc", 8) == 0;
        FUZZ_CHECK(accepted == (magicOk && datagram[8] == 1 && datagram[9] == 0));
        if (accepted) {
            std::uint8_t expected[4] = {};
            for (std::size_t i = 0; i < 4 && 11 + i < stored; ++i) expected[i] = datagram[11 + i];
            FUZZ_CHECK(std::memcmp(&switcher, expected, 4) == 0);
        } else {
            FUZZ_CHECK(switcher == 0x5A5A5A5Au);
        }
        break;  // the first sufficient datagram decides the exchange
    }
    return 0;
}
