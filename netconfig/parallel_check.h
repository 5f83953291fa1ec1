#pragma once
// Asking many devices for their switcher address at the same time. Each device gets an exchange
// of the engine of its own with every rule of ReadSwitcherAddress (its two sockets bound to the
// local address and the port and connected to the device, 100 ms polling steps, the first
// sufficient datagram, the 3000 ms deadline, both sockets closed on every path), so a silent
// device costs one deadline however many there are, instead of one deadline each.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "netconfig/exchange_engine.h"
#include "netconfig/wire_layout.h"

namespace netconfig {

struct SwitcherCheck {
    std::uint32_t address = 0;   // the device asked
    bool online = false;         // a switcher reply passed CheckSwitcherReply
    std::uint32_t switcher = 0;  // meaningful only when online
    bool answered = false;       // some sufficient datagram came, even an unexpected one
};

constexpr std::size_t kMinCheckJobs = 1;
constexpr std::size_t kMaxCheckJobs = 256;
constexpr std::size_t kDefaultCheckJobs = 64;
// Descriptors one exchange holds while it runs.
constexpr std::size_t kDescriptorsPerCheck = wire::kPorts.size();
// Descriptors kept for everything else the process has open (standard streams, files).
constexpr std::size_t kReservedDescriptors = 16;

// A device's check as the engine ran it (a SwitcherReadPlan), for runs that hold more than checks.
SwitcherCheck SwitcherCheckOf(std::uint32_t device, const ExchangeResult& result);

// How many exchanges fit under a descriptor limit: `jobs`, or fewer (at least one).
std::size_t JobsThatFit(std::size_t jobs, std::size_t descriptorLimit);

// One result per device, in the order given. At most `jobs` exchanges run at a time (1: one
// device after another, each exactly as ReadSwitcherAddress asks); a new one starts as soon as
// one ends.
// A device listed more than once is asked once, and its result repeated.
// onChecked, when given, hears each device's result (by its index in `devices`) as soon as its
// exchange ends, so a window can show it while the others still run.
using CheckedCallback = std::function<void(std::size_t index, const SwitcherCheck& result)>;
std::vector<SwitcherCheck> CheckSwitchers(std::uint32_t localAddress,
                                          std::span<const std::uint32_t> devices, std::size_t jobs,
                                          const CheckedCallback& onChecked = {});

}  // namespace netconfig
