// The passport read as the exchange runs it on whatever arrives, and the file written from the
// result: the first datagram of at least 290 bytes decides; a stored passport always becomes a
// 1027-byte file whose checksum verifies.
#include <algorithm>
#include <cstring>

#include "fuzz/reply_sequence.h"
#include "netconfig/module_replies.h"
#include "netconfig/passport_file.h"
#include "protocol/crc16.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReplySequence sequence(data, size);
    std::span<const std::uint8_t> datagram;
    while (sequence.Next(datagram)) {
        netconfig::PassportBuffer passport;
        passport.fill(0xCC);
        const bool accepted = netconfig::AcceptPassportDatagram(datagram, passport);
        if (datagram.size() < netconfig::wire::kPassportReplyMinLength) {
            FUZZ_CHECK(!accepted && passport == netconfig::PassportBuffer{});
            continue;
        }
        const std::size_t kept = std::min(datagram.size(), passport.size());
        FUZZ_CHECK(std::equal(passport.begin(), passport.begin() + kept, datagram.begin()));
        FUZZ_CHECK(
            std::all_of(passport.begin() + kept, passport.end(), [](auto b) { return b == 0; }));
        FUZZ_CHECK(accepted == (std::memcmp(datagram.data(), "WiZnPaSs", 8) == 0));
        if (accepted) {
            netconfig::PassportRecord record =
                netconfig::BuildPassportRecord(0x0A01A8C0u, passport);
            FUZZ_CHECK(netconfig::FormatPassportFile(record).size() == 1027);
            const std::uint16_t stored = static_cast<std::uint16_t>(record[16] | record[17] << 8);
            record[16] = record[17] = 0;
            FUZZ_CHECK(protocol::CalcCRC16(record) == stored);
        }
        break;  // the first sufficient datagram decides the exchange
    }
    return 0;
}
