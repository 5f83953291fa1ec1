#include "netconfig/module_exchange.h"

#include <algorithm>
#include <span>

#include "netconfig/module_replies.h"

namespace netconfig {

namespace {

bool IsSwitcherReply(std::span<const std::uint8_t> reply) {
    std::uint32_t unused = 0;
    return CheckSwitcherReply(reply, unused);
}

ExchangePlan UnicastPlan(std::uint32_t localAddress, std::uint32_t deviceAddress,
                         std::span<const std::uint8_t> request) {
    ExchangePlan plan;
    plan.request = request;
    plan.localAddress = localAddress;
    plan.deviceAddress = deviceAddress;
    return plan;
}

// Copies the deciding datagram's first bytes, up to the reply's size; returns the count.
std::size_t CopyReply(const ExchangeResult& result, std::span<std::uint8_t> reply) {
    const auto bytes = result.Reply();
    const std::size_t count = std::min(bytes.size(), reply.size());
    std::copy_n(bytes.begin(), count, reply.begin());
    return count;
}

}  // namespace

bool ExchangeModuleDatagram(std::uint32_t localAddress, std::uint32_t deviceAddress,
                            const std::uint8_t* request, std::size_t requestLength,
                            std::uint8_t* replyBuffer, std::size_t replyCapacity,
                            std::size_t minimumReplyLength, std::size_t* replyLength) {
    if (request == nullptr || requestLength == 0) return false;
    if (replyCapacity > 0 && replyBuffer == nullptr) return false;
    ExchangePlan plan = UnicastPlan(localAddress, deviceAddress, std::span(request, requestLength));
    plan.minimumReplyLength = minimumReplyLength;
    if (replyCapacity == 0) {
        plan.sendOnly = true;
        plan.deadlineMs = 0;
        RunExchange(plan);
        return true;
    }
    const ExchangeResult result = RunExchange(plan);
    if (result.outcome != ExchangeOutcome::Answered) return false;
    const std::size_t stored = CopyReply(result, std::span(replyBuffer, replyCapacity));
    if (replyLength != nullptr) *replyLength = stored;
    return true;
}

ExchangePlan SwitcherReadPlan(std::uint32_t localAddress, std::uint32_t deviceAddress,
                              std::span<const std::uint8_t> request) {
    ExchangePlan plan = UnicastPlan(localAddress, deviceAddress, request);
    plan.minimumReplyLength = wire::kSwitcherReplyMinLength;
    plan.check = IsSwitcherReply;
    return plan;
}

ExchangeOutcome SwitcherAddressOf(const ExchangeResult& result, std::uint32_t& switcherAddress) {
    if (result.outcome == ExchangeOutcome::Answered)
        CheckSwitcherReply(result.Reply(), switcherAddress);
    return result.outcome;
}

ExchangeOutcome ReadSwitcherOutcome(std::uint32_t localAddress, std::uint32_t deviceAddress,
                                    std::uint32_t& switcherAddress) {
    const auto request = BuildReadSwitcherRequest();
    return SwitcherAddressOf(RunExchange(SwitcherReadPlan(localAddress, deviceAddress, request)),
                             switcherAddress);
}

bool ReadSwitcherAddress(std::uint32_t localAddress, std::uint32_t deviceAddress,
                         std::uint32_t& switcherAddress) {
    return ReadSwitcherOutcome(localAddress, deviceAddress, switcherAddress) ==
           ExchangeOutcome::Answered;
}

ExchangeOutcome WriteSwitcherOutcome(std::uint32_t localAddress, std::uint32_t deviceAddress,
                                     std::uint32_t switcherAddress) {
    const auto request = BuildWriteSwitcherRequest(switcherAddress);
    ExchangePlan plan = UnicastPlan(localAddress, deviceAddress, request);
    plan.sendOnly = true;
    plan.deadlineMs = 0;
    return RunExchange(plan).outcome;
}

bool WriteSwitcherAddress(std::uint32_t localAddress, std::uint32_t deviceAddress,
                          std::uint32_t switcherAddress) {
    WriteSwitcherOutcome(localAddress, deviceAddress, switcherAddress);
    return true;
}

ExchangeOutcome ReadPassportOutcome(std::uint32_t localAddress, std::uint32_t deviceAddress,
                                    PassportBuffer& passport) {
    passport.fill(0);
    const auto request = BuildReadPassportRequest();
    ExchangePlan plan = UnicastPlan(localAddress, deviceAddress, request);
    plan.minimumReplyLength = wire::kPassportReplyMinLength;
    plan.check = CheckPassportReply;
    const ExchangeResult result = RunExchange(plan);
    // The buffer holds whatever decided the exchange, a reply of another magic too.
    CopyReply(result, passport);
    return result.outcome;
}

bool ReadModulePassport(std::uint32_t localAddress, std::uint32_t deviceAddress,
                        PassportBuffer& passport) {
    return ReadPassportOutcome(localAddress, deviceAddress, passport) == ExchangeOutcome::Answered;
}

}  // namespace netconfig
