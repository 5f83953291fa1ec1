#pragma once
// The one engine every configuration exchange runs on. An exchange is data (an ExchangePlan:
// request, ports, route, minimum reply, reply check, deadline) and ends in one outcome; the
// engine runs any number of them at once over one poller. Run alone, an exchange keeps every
// rule of the single exchanges: per port, in order (9100 first), one socket set up (created,
// address reuse, non-blocking, bound to the local address and the port, connected to the
// device or sending to the limited broadcast address on the same port); 100 ms polling steps;
// the deadline measured on the wrapping millisecond tick and tested between steps, so a step
// that has begun always finishes; the idle hook run before each step; every socket closed when
// the exchange ends.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "netconfig/wire_layout.h"

namespace netconfig {

// How long one wait of a polling step lasts.
constexpr unsigned kPollStepMs = 100;
// How long a unicast exchange waits for its reply.
constexpr std::uint32_t kUnicastDeadlineMs = 3000;

enum class ExchangeRoute {
    Connected,  // unicast: each socket connected to the device, so only its datagrams arrive
    Broadcast,  // to 255.255.255.255; replies come from anyone on the segment
};

// Whether a reply that decided an exchange (at least the minimum length) is the one asked for.
using ReplyCheck = bool (*)(std::span<const std::uint8_t> reply);

struct ExchangePlan {
    std::span<const std::uint8_t> request;  // must stay valid while the exchange runs
    std::uint32_t localAddress = 0;         // network byte order, as every address here
    std::uint32_t deviceAddress = 0;        // Connected only
    ExchangeRoute route = ExchangeRoute::Connected;
    // One socket per port; the earlier port's datagram decides when both have one.
    std::array<std::uint16_t, wire::kPorts.size()> ports = wire::kPorts;
    // A shorter datagram is dropped and the wait goes on.
    std::size_t minimumReplyLength = 0;
    ReplyCheck check = nullptr;  // none: every sufficient datagram answers
    std::uint32_t deadlineMs = kUnicastDeadlineMs;
    // false: the first sufficient datagram ends the exchange. true: every sufficient one is
    // kept, in order of arrival, until the deadline.
    bool collect = false;
    // Nothing is read: the sockets stay open for deadlineMs after sending (0: closed at once).
    bool sendOnly = false;
    // Broadcast only, when not 0: per port a listener bound to 255.255.255.255 as well, opened
    // before the request goes out, that takes what arrives on this interface (the adapter's).
    // A module still on a foreign subnet answers by limited broadcast, which Linux never hands
    // to the adapter-bound socket. Without a listener (the port taken, say) the exchange goes on.
    unsigned listenInterface = 0;
};

enum class ExchangeOutcome {
    Answered,         // a sufficient datagram came and passed the reply check
    UnexpectedReply,  // sufficient datagrams came, none passed the check
    Silent,           // sent, and no sufficient datagram came (a send-only exchange that sent)
    NotSent,          // no socket could send the request
};
// "answered", "unexpected reply", "silent", "not sent".
const char* ExchangeOutcomeName(ExchangeOutcome outcome);

struct ExchangeDatagram {
    std::vector<std::uint8_t> bytes;  // at most wire::kReceiveBufferSize, cut beyond that
    std::size_t port = 0;             // index into the plan's ports
    bool byBroadcast = false;         // heard by the port's broadcast listener
};

struct ExchangeResult {
    ExchangeOutcome outcome = ExchangeOutcome::NotSent;
    // The datagram that decided the exchange, or in collect mode every one kept.
    std::vector<ExchangeDatagram> datagrams;

    // The deciding datagram's bytes; empty when none decided.
    std::span<const std::uint8_t> Reply() const;
};

// Runs the plans, at most `jobs` at a time (at least one), a new one starting as soon as one
// ends; one result per plan, in order. While one exchange runs at a time, each step also waits
// on each of its sockets alone, in port order, as the single exchange does; with many, the
// step's one wait over all their sockets decides which are read, since waiting on each of
// hundreds would hold up the rest. A datagram that fails a connected exchange's check but
// passes that of a collecting broadcast exchange on the same local address and port (with a
// check of its own) is the collector's: the kernel hands a connected socket everything from
// its device, so a listing runs beside checks of the modules it lists. onEnded, when given,
// hears each result (by its index in `plans`) as soon as its exchange ends.
using ExchangeEnded = std::function<void(std::size_t index, const ExchangeResult& result)>;
std::vector<ExchangeResult> RunExchanges(std::span<const ExchangePlan> plans, std::size_t jobs,
                                         const ExchangeEnded& onEnded = {});
ExchangeResult RunExchange(const ExchangePlan& plan);

}  // namespace netconfig
