#pragma once
// The configuration exchanges vantrel-cli makes, each reduced to what it came to. This is the
// only file that reads how netconfig reports a result, so a change there is a change here alone.
#include <cstdint>
#include <string>
#include <vector>

#include "netconfig/discovery.h"
#include "netconfig/module_exchange.h"
#include "netconfig/parallel_check.h"

namespace cli {

enum class ExchangeResult {
    Answered,         // the reply asked for
    Sent,             // a request that awaits no reply went out from some socket
    UnexpectedReply,  // a datagram came, but not the reply asked for
    Silent,           // nothing came back in time
    NotSent,          // no socket could send
};

// One device of a concurrent check.
ExchangeResult ResultOf(const netconfig::SwitcherCheck& check);
std::vector<netconfig::SwitcherCheck> CheckDevices(std::uint32_t local,
                                                   const std::vector<std::uint32_t>& devices,
                                                   std::size_t jobs);

// Modules never confirm these two, so the best they come to is Sent.
ExchangeResult SendSwitcherAddress(std::uint32_t local, std::uint32_t device,
                                   std::uint32_t switcher);
ExchangeResult SendNetworkSettings(std::uint32_t local, const netconfig::MacAddress& mac,
                                   std::uint32_t ip, std::uint32_t mask, std::uint32_t gateway);

ExchangeResult FetchPassport(std::uint32_t local, std::uint32_t device,
                             netconfig::PassportBuffer& passport);
// Sent once the request went out; the modules that replied are in `modules`.
ExchangeResult FindModules(std::uint32_t local, std::uint16_t query,
                           std::vector<netconfig::ModuleHelloRecord>& modules);

// "a.b.c.d: Device is not responding!" (the panel's own message) for a silent device, or
// "a.b.c.d: answered with an unexpected reply".
std::string NoAnswerText(std::uint32_t device, ExchangeResult result);
inline constexpr const char* kUnexpectedReply = "answered with an unexpected reply";

}  // namespace cli
