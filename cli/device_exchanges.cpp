#include "cli/device_exchanges.h"

#include "app/localized_strings.h"
#include "app/string_ids.h"
#include "netconfig/address_text.h"

namespace cli {

namespace {

ExchangeResult ReadResult(bool ok, bool answered) {
    if (ok) return ExchangeResult::Answered;
    return answered ? ExchangeResult::UnexpectedReply : ExchangeResult::Silent;
}

ExchangeResult SendResult(bool sent) {
    return sent ? ExchangeResult::Sent : ExchangeResult::NotSent;
}

}  // namespace

ExchangeResult ResultOf(const SwitcherCheck& check) {
    return ReadResult(check.online, check.answered);
}

std::vector<SwitcherCheck> CheckDevices(std::uint32_t local,
                                        const std::vector<std::uint32_t>& devices,
                                        std::size_t jobs) {
    return CheckSwitchers(local, devices, jobs);
}

ExchangeResult SendSwitcherAddress(std::uint32_t local, std::uint32_t device,
                                   std::uint32_t switcher) {
    return SendResult(WriteSwitcherOutcome(local, device, switcher) != ExchangeOutcome::NotSent);
}

ExchangeResult SendNetworkSettings(std::uint32_t local, const MacAddress& mac, std::uint32_t ip,
                                   std::uint32_t mask, std::uint32_t gateway) {
    return SendResult(SetNetworkOutcome(local, mac, ip, mask, gateway) != ExchangeOutcome::NotSent);
}

ExchangeResult FetchPassport(std::uint32_t local, std::uint32_t device, PassportBuffer& passport) {
    const ExchangeOutcome outcome = ReadPassportOutcome(local, device, passport);
    return ReadResult(outcome == ExchangeOutcome::Answered,
                      outcome == ExchangeOutcome::UnexpectedReply);
}

ExchangeResult FindModules(std::uint32_t local, std::uint16_t query,
                           std::vector<ModuleHelloRecord>& modules) {
    return SendResult(ListModules(local, query, modules));
}

std::string NoAnswerText(std::uint32_t device, ExchangeResult result) {
    const std::string what = result == ExchangeResult::UnexpectedReply
                                 ? std::string(kUnexpectedReply)
                                 : LoadTableString(string_ids::kNotResponding);
    return FormatIpAddress(device) + ": " + what;
}

}  // namespace cli
