// A framed reply read from whatever a stream delivers and validated against a fixed request:
// the reader never takes more than 11 + N bytes, the validation never reads past them, and a
// reply judged valid really carries the sync bytes, the reply flag and a CRC that checks to 0.
#include <algorithm>
#include <cstring>

#include "fuzz/reply_sequence.h"
#include "protocol/crc16.h"
#include "protocol/framed_packet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    protocol::packet::Buffer request{};
    protocol::PresetFramedHeader(request);
    // The first input byte picks the request's destination address, 0 accepting any answer.
    request[protocol::packet::kDestAddressOffset] = data[0] & 0x03;
    protocol::SetAccessHeader(request, 0x20, 2, 0, 0, {});
    protocol::CompleteFramedRequest(request);

    std::span<const std::uint8_t> stream(data + 1, size - 1);
    protocol::packet::Buffer reply;
    std::size_t taken = 0;
    const bool read = protocol::ReadFramedReply(reply, [&](std::span<std::uint8_t> into) {
        if (into.size() > stream.size()) return false;
        std::copy_n(stream.begin(), into.size(), into.begin());
        stream = stream.subspan(into.size());
        taken += into.size();
        return true;
    });
    if (!read) return 0;
    const std::span<const std::uint8_t> whole(reply.data(), protocol::FramedLength(reply));
    FUZZ_CHECK(whole.size() == taken);
    const protocol::FramedCheck check = protocol::ValidateFramedReply(request, whole);
    FUZZ_CHECK((check == protocol::FramedCheck::Valid) ==
               (protocol::FramedCheckMessage(check) == nullptr));
    if (check != protocol::FramedCheck::Valid) return 0;
    FUZZ_CHECK(whole[0] == protocol::packet::kSync1 && whole[1] == protocol::packet::kSync2);
    FUZZ_CHECK((whole[protocol::packet::kStatusOffset] & protocol::packet::kReplyFlag) != 0);
    FUZZ_CHECK(protocol::CalcCRC16(whole) == 0);
    const std::span<const std::uint8_t> replyData = protocol::FramedReplyData(whole);
    FUZZ_CHECK(replyData.size() <= protocol::packet::kMaxFramedData);
    FUZZ_CHECK(replyData.empty() ||
               replyData.data() + replyData.size() <= whole.data() + whole.size());
    return 0;
}
