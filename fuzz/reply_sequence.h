#pragma once
// Splits a fuzz input into the datagrams that arrive during one exchange: each is a two-byte
// big-endian length (taken modulo 1025, the receive buffer holds 1024) followed by that many
// bytes; the last one is cut short where the input ends.
#include <cstddef>
#include <cstdint>
#include <span>

#include "netconfig/wire_layout.h"

class ReplySequence {
public:
    ReplySequence(const std::uint8_t* data, std::size_t size) : rest_(data, size) {}

    bool Next(std::span<const std::uint8_t>& datagram) {
        if (rest_.size() < 2) return false;
        std::size_t length =
            (std::size_t{rest_[0]} << 8 | rest_[1]) % (netconfig::wire::kReceiveBufferSize + 1);
        rest_ = rest_.subspan(2);
        if (length > rest_.size()) length = rest_.size();
        datagram = rest_.first(length);
        rest_ = rest_.subspan(length);
        return true;
    }

private:
    std::span<const std::uint8_t> rest_;
};

// Fuzz targets check their invariants with this, so a broken one is a crash libFuzzer reports.
#define FUZZ_CHECK(condition)               \
    do {                                    \
        if (!(condition)) __builtin_trap(); \
    } while (0)
