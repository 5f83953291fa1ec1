#pragma once
// The address ranges of vantrel-cli sweep: "a.b.c.d/n" blocks whose host addresses are asked
// one by one, for devices that broadcasts do not reach (behind a router).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// A sweep never asks more hosts than a /16 holds, so it cannot become a scan of the internet.
constexpr std::size_t kMaxSweepHosts = 65536;

// The host addresses of the ranges, ascending, each once: a block up to /30 without its network
// and broadcast addresses, a /31 both, a /32 itself. Network byte order. False with a one-line
// reason for a malformed range or more than kMaxSweepHosts hosts in all.
bool SweepHosts(const std::vector<std::string>& ranges, std::vector<std::uint32_t>& hosts,
                std::string& error);

}  // namespace cli
