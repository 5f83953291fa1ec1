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

ExchangeResult ResultOf(const netconfig::SwitcherCheck& check) {
    return ReadResult(check.online, check.answered);
}

std::vector<netconfig::SwitcherCheck> CheckDevices(std::uint32_t local,
                                                   const std::vector<std::uint32_t>& devices,
                                                   std::size_t jobs) {
    return netconfig::CheckSwitchers(local, devices, jobs);
}

ExchangeResult SendSwitcherAddress(std::uint32_t local, std::uint32_t device,
                                   std::uint32_t switcher) {
    return SendResult(netconfig::WriteSwitcherOutcome(local, device, switcher) !=
                      netconfig::ExchangeOutcome::NotSent);
}

ExchangeResult SendNetworkSettings(std::uint32_t local, const netconfig::MacAddress& mac,
                                   std::uint32_t ip, std::uint32_t mask, std::uint32_t gateway) {
    return SendResult(netconfig::SetNetworkOutcome(local, mac, ip, mask, gateway) !=
                      netconfig::ExchangeOutcome::NotSent);
}

ExchangeResult FetchPassport(std::uint32_t local, std::uint32_t device,
                             netconfig::PassportBuffer& passport) {
    const netconfig::ExchangeOutcome outcome =
        netconfig::ReadPassportOutcome(local, device, passport);
    return ReadResult(outcome == netconfig::ExchangeOutcome::Answered,
                      outcome == netconfig::ExchangeOutcome::UnexpectedReply);
}

ExchangeResult FindModules(std::uint32_t local, std::uint16_t query,
                           std::vector<netconfig::ModuleHelloRecord>& modules) {
    return SendResult(netconfig::ListModules(local, query, modules));
}

std::string NoAnswerText(std::uint32_t device, ExchangeResult result) {
    const std::string what = result == ExchangeResult::UnexpectedReply
                                 ? std::string(kUnexpectedReply)
                                 : app::LoadTableString(app::string_ids::kNotResponding);
    return netconfig::FormatIpAddress(device) + ": " + what;
}

}  // namespace cli
