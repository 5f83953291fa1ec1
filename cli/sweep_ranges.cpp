#include "cli/sweep_ranges.h"

#include <algorithm>
#include <charconv>

#include "netconfig/address_text.h"

namespace cli {

bool SweepHosts(const std::vector<std::string>& ranges, std::vector<std::uint32_t>& hosts,
                std::string& error) {
    hosts.clear();
    std::vector<std::uint32_t> values;  // host order, so they sort as addresses
    for (const auto& range : ranges) {
        const auto slash = range.find('/');
        std::uint32_t base = 0;
        unsigned prefix = 32;
        const std::string_view prefixText = slash == std::string::npos
                                                ? std::string_view()
                                                : std::string_view(range).substr(slash + 1);
        const auto [end, failed] =
            std::from_chars(prefixText.data(), prefixText.data() + prefixText.size(), prefix);
        if (slash == std::string::npos ||
            !netconfig::ParseIpAddress(range.substr(0, slash), base) || failed != std::errc() ||
            end != prefixText.data() + prefixText.size() || prefixText.empty() || prefix > 32) {
            error = "'" + range + "' is not a range such as 198.18.4.0/22";
            return false;
        }
        if (prefix < 16) {
            error = "'" + range + "' holds more than the " + std::to_string(kMaxSweepHosts) +
                    " hosts a sweep may ask";
            return false;
        }
        const std::uint32_t mask = prefix == 0 ? 0 : ~std::uint32_t{0} << (32 - prefix);
        const std::uint32_t first = netconfig::DottedOrder(base) & mask;
        const std::uint32_t last = first | ~mask;
        // Up to /30 the block's first and last addresses are its network and broadcast.
        const std::uint32_t from = prefix <= 30 ? first + 1 : first;
        const std::uint32_t to = prefix <= 30 ? last - 1 : last;
        if (values.size() + (to - from + 1) > 2 * kMaxSweepHosts) {
            error = "the ranges hold more than the " + std::to_string(kMaxSweepHosts) +
                    " hosts a sweep may ask";
            return false;
        }
        for (std::uint32_t value = from;; ++value) {
            values.push_back(value);
            if (value == to) break;
        }
    }
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    if (values.size() > kMaxSweepHosts) {
        error = "the ranges hold " + std::to_string(values.size()) + " hosts, more than the " +
                std::to_string(kMaxSweepHosts) + " a sweep may ask";
        return false;
    }
    for (const auto value : values) hosts.push_back(netconfig::FromDottedOrder(value));
    return true;
}

}  // namespace cli
