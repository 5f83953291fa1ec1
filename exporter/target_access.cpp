#include "exporter/target_access.h"

#include <charconv>

#include "netconfig/address_text.h"

namespace exporter {

namespace {

// A mask of `bits` leading ones in network byte order: the first octet is the lowest byte.
std::uint32_t MaskOf(unsigned bits) {
    const std::uint32_t ordered = bits == 0 ? 0 : ~0u << (32 - bits);  // first octet on top
    return ((ordered >> 24) & 0xFF) | ((ordered >> 8) & 0xFF00) | ((ordered << 8) & 0xFF0000) |
           ((ordered << 24) & 0xFF000000u);
}

unsigned BitsOf(std::uint32_t mask) {
    unsigned bits = 0;
    while (bits < 32 && MaskOf(bits + 1) == (mask & MaskOf(bits + 1))) ++bits;
    return bits;
}

}  // namespace

bool ParseAddressRange(std::string_view text, AddressRange& range, std::string& error) {
    const std::size_t slash = text.find('/');
    std::uint32_t address = 0;
    if (!netconfig::ParseIpAddress(text.substr(0, slash), address)) {
        error = "--allow: '" + std::string(text) + "' is not an IPv4 range such as 198.18.0.0/24";
        return false;
    }
    unsigned bits = 32;
    if (slash != std::string_view::npos) {
        const std::string_view digits = text.substr(slash + 1);
        const auto [end, problem] =
            std::from_chars(digits.data(), digits.data() + digits.size(), bits);
        if (digits.empty() || problem != std::errc() || end != digits.data() + digits.size() ||
            bits > 32 || digits.size() > 2) {
            error = "--allow: '" + std::string(text) + "' needs a prefix length of 0-32 after '/'";
            return false;
        }
    }
    const std::uint32_t mask = MaskOf(bits);
    if ((address & ~mask) != 0) {
        error = "--allow: " + std::string(text) + " has bits set past its prefix; did you mean " +
                FormatAddressRange({address & mask, mask}) + "?";
        return false;
    }
    range = {address, mask};
    return true;
}

bool InRange(const AddressRange& range, std::uint32_t address) {
    return (address & range.mask) == range.network;
}

std::string FormatAddressRange(const AddressRange& range) {
    return netconfig::FormatIpAddress(range.network) + "/" + std::to_string(BitsOf(range.mask));
}

TargetDecision ParseTarget(std::string_view text) {
    TargetDecision decision;
    if (text.empty()) {
        decision.reason = "no target: give /probe?target=IP";
        return decision;
    }
    if (!netconfig::ParseIpAddress(text, decision.address)) {
        // The text is the client's: only a short, printable part of it goes back.
        std::string shown;
        for (const char c : text.substr(0, 64)) shown += (c >= 0x20 && c < 0x7F) ? c : '?';
        decision.reason = "target '" + shown + "' is not an IPv4 address such as 198.18.0.10";
        return decision;
    }
    if (!netconfig::IsSingleHostAddress(decision.address)) {
        decision.verdict = TargetVerdict::kRefused;
        decision.reason = "target " + netconfig::FormatIpAddress(decision.address) +
                          " is not the address of one host";
        return decision;
    }
    decision.verdict = TargetVerdict::kAllowed;
    return decision;
}

TargetDecision RefuseUnlisted(std::uint32_t address) {
    return {TargetVerdict::kRefused, address,
            "target " + netconfig::FormatIpAddress(address) +
                " is neither in the device list nor in a range given with --allow"};
}

}  // namespace exporter
