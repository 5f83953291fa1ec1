#include "netconfig/parallel_check.h"

#include <algorithm>

#include "netconfig/module_exchange.h"
#include "netconfig/module_replies.h"

namespace netconfig {

SwitcherCheck SwitcherCheckOf(std::uint32_t device, const ExchangeResult& result) {
    SwitcherCheck check;
    check.address = device;
    const ExchangeOutcome outcome = SwitcherAddressOf(result, check.switcher);
    check.online = outcome == ExchangeOutcome::Answered;
    check.answered = check.online || outcome == ExchangeOutcome::UnexpectedReply;
    return check;
}

std::size_t JobsThatFit(std::size_t jobs, std::size_t descriptorLimit) {
    const std::size_t spare =
        descriptorLimit > kReservedDescriptors ? descriptorLimit - kReservedDescriptors : 0;
    return std::max<std::size_t>(1, std::min(jobs, spare / kDescriptorsPerCheck));
}

std::vector<SwitcherCheck> CheckSwitchers(std::uint32_t localAddress,
                                          std::span<const std::uint32_t> devices, std::size_t jobs,
                                          const CheckedCallback& onChecked) {
    // A device listed twice is asked once: two exchanges with the same addresses and ports at
    // the same time could not tell their replies apart, and one would go without.
    std::vector<std::uint32_t> distinct;
    std::vector<std::size_t> slotOf(devices.size());
    for (std::size_t i = 0; i < devices.size(); ++i) {
        const auto found = std::find(distinct.begin(), distinct.end(), devices[i]);
        slotOf[i] = static_cast<std::size_t>(found - distinct.begin());
        if (found == distinct.end()) distinct.push_back(devices[i]);
    }
    const auto request = BuildReadSwitcherRequest();
    std::vector<ExchangePlan> plans;
    for (const std::uint32_t device : distinct)
        plans.push_back(SwitcherReadPlan(localAddress, device, request));
    const auto tell = [&](std::size_t slot, const ExchangeResult& result) {
        if (!onChecked) return;
        const SwitcherCheck check = SwitcherCheckOf(distinct[slot], result);
        for (std::size_t i = 0; i < devices.size(); ++i)
            if (slotOf[i] == slot) onChecked(i, check);
    };
    const auto checked = RunExchanges(plans, jobs, tell);
    std::vector<SwitcherCheck> results(devices.size());
    for (std::size_t i = 0; i < devices.size(); ++i)
        results[i] = SwitcherCheckOf(devices[i], checked[slotOf[i]]);
    return results;
}

}  // namespace netconfig
