#pragma once
// Who may be probed: the devices of the list and the ranges given with --allow, nothing else, so
// the exporter never sends a datagram to an address someone merely typed into a URL.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace exporter {

// An IPv4 range "a.b.c.d/n"; addresses and mask in network byte order.
struct AddressRange {
    std::uint32_t network = 0;
    std::uint32_t mask = 0;
};

// "a.b.c.d/n" (n 0-32) or "a.b.c.d" (one address). The address must be the range's first: a
// range written with host bits is more likely a slip than meant. False with a one-line reason.
bool ParseAddressRange(std::string_view text, AddressRange& range, std::string& error);
bool InRange(const AddressRange& range, std::uint32_t address);
std::string FormatAddressRange(const AddressRange& range);

enum class TargetVerdict { kAllowed, kMalformed, kRefused };

struct TargetDecision {
    TargetVerdict verdict = TargetVerdict::kMalformed;
    std::uint32_t address = 0;  // when it parsed
    std::string reason;         // one line, when not allowed
};

// The target of /probe: a dotted IPv4 address, one host, listed or inside one of the ranges.
// `isListed` tells whether an address is in the device list.
template <typename IsListed>
TargetDecision DecideTarget(std::string_view text, const std::vector<AddressRange>& ranges,
                            const IsListed& isListed);

// The parts of DecideTarget that need no device list.
TargetDecision ParseTarget(std::string_view text);
TargetDecision RefuseUnlisted(std::uint32_t address);

template <typename IsListed>
TargetDecision DecideTarget(std::string_view text, const std::vector<AddressRange>& ranges,
                            const IsListed& isListed) {
    TargetDecision decision = ParseTarget(text);
    if (decision.verdict != TargetVerdict::kAllowed) return decision;
    if (isListed(decision.address)) return decision;
    for (const AddressRange& range : ranges)
        if (InRange(range, decision.address)) return decision;
    return RefuseUnlisted(decision.address);
}

}  // namespace exporter
