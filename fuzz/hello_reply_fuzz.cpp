// A module list collected from whatever arrives during a broadcast: records in order of
// arrival, never two of one MAC, each the first 30 bytes of an accepted hello.
#include <cstring>
#include <vector>

#include "fuzz/reply_sequence.h"
#include "netconfig/discovery_records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReplySequence sequence(data, size);
    std::vector<netconfig::ModuleHelloRecord> list;
    std::span<const std::uint8_t> datagram;
    while (sequence.Next(datagram)) {
        const std::size_t before = list.size();
        const bool appended = netconfig::AcceptHelloReply(datagram, list);
        FUZZ_CHECK(list.size() == before + (appended ? 1 : 0));
        if (!appended) continue;
        FUZZ_CHECK(datagram.size() >= netconfig::wire::kHelloMinLength);
        FUZZ_CHECK(std::memcmp(list.back().bytes.data(), datagram.data(),
                               netconfig::wire::kHelloMinLength) == 0);
        FUZZ_CHECK(std::memcmp(datagram.data(), "WiZnHeLo", 8) == 0);
    }
    for (std::size_t i = 0; i < list.size(); ++i)
        for (std::size_t j = i + 1; j < list.size(); ++j)
            FUZZ_CHECK(list[i].Mac() != list[j].Mac());
    return 0;
}
