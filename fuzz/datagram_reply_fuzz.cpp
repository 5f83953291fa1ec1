// The datagrams that arrive while one request waits: a reply matches only with at least 4
// bytes and the request's sequence number, and its data are exactly the bytes after the word.
#include "fuzz/reply_sequence.h"
#include "protocol/datagram.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    protocol::packet::Buffer request{};
    const auto sequence = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
    const std::size_t built =
        protocol::BuildDatagram(request, 4, sequence, 0, std::span(data, size).first(size % 7));
    FUZZ_CHECK(built % 2 == 0 && built == protocol::DatagramSize(request));
    ReplySequence sequenceOfReplies(data + 2, size - 2);
    std::span<const std::uint8_t> datagram;
    while (sequenceOfReplies.Next(datagram)) {
        const protocol::DatagramReply reply = protocol::MatchDatagramReply(request, datagram);
        if (!reply.matches) {
            FUZZ_CHECK(datagram.size() < 4 || protocol::packet::ReadWord(&datagram[2]) != sequence);
            continue;
        }
        FUZZ_CHECK(datagram.size() >= 4);
        FUZZ_CHECK(reply.data.size() == datagram.size() - 4);
        FUZZ_CHECK(reply.status == protocol::packet::ReadWord(&datagram[0]));
    }
    return 0;
}
