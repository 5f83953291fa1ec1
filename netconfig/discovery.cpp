#include "netconfig/discovery.h"

#include "netconfig/discovery_records.h"
#include "netconfig/exchange_sockets.h"
#include "platform/interface_addresses.h"

namespace {
constexpr std::uint32_t kCollectMs = 2000;
constexpr std::uint32_t kSendOnlyWaitMs = 200;
// The send-only wait sleeps in slices so the idle hook can keep a window painted.
constexpr unsigned kSendOnlySliceMs = 20;

void WaitWithSocketsOpen(std::uint32_t milliseconds) {
    const std::uint32_t start = platform::TickCount();
    for (std::uint32_t elapsed = 0; elapsed < milliseconds; elapsed = platform::ElapsedSince(start)) {
        platform::RunIdleHook();
        const std::uint32_t left = milliseconds - elapsed;
        platform::SleepMs(left < kSendOnlySliceMs ? left : kSendOnlySliceMs);
    }
}


// Collect: listens on both ports' broadcast listeners too, then broadcasts the request and
// gathers every hello for the whole 2000 ms. Send only: keeps the sockets open 200 ms.
bool ExchangeAndRecord(std::uint32_t localAddress,
                       std::span<const std::uint8_t, wire::kBroadcastRequestLength> request,
                       BroadcastMode mode, std::vector<ModuleSighting>& sightings) {
    ExchangeSockets sockets;
    const unsigned adapterInterface =
        mode == BroadcastMode::Collect ? platform::InterfaceIndexOfAddress(localAddress) : 0;
    for (std::size_t i = 0; i < ExchangeSockets::kCount; ++i) {
        // Listening before sending, so an immediate broadcast answer is not missed.
        sockets.OpenListener(i, wire::kPorts[i], adapterInterface);
        sockets.OpenBroadcast(i, localAddress, request);
    }
    // Nothing went out, so nothing can answer: say so instead of pretending a quiet segment.
    if (!sockets.AnyUsable()) return false;

    if (mode == BroadcastMode::SendOnly) {
        WaitWithSocketsOpen(kSendOnlyWaitMs);
        return true;
    }

    std::array<std::uint8_t, wire::kReceiveBufferSize> datagram{};
    const std::uint32_t start = platform::TickCount();
    PollUntil(sockets, start, kCollectMs, [&](std::size_t i) {
        // The port's pass reads at most one datagram from each of its two sockets; both are
        // non-blocking, so the one that is not readable just reports WouldBlock. The adapter's
        // socket takes unicast only; the listener takes limited broadcasts.
        const auto received = platform::Receive(sockets.Handle(i), datagram);
        if (received.status == platform::ReceiveStatus::Failed) sockets.MarkFailed(i);
        if (received.status == platform::ReceiveStatus::Received)
            RecordHelloArrival(std::span(datagram).first(received.length), {i, false}, sightings);
        if (sockets.Listener(i) == platform::kInvalidSocket) return false;
        const auto heard = platform::Receive(sockets.Listener(i), datagram);
        if (heard.status == platform::ReceiveStatus::Failed) sockets.DropListener(i);
        if (heard.status == platform::ReceiveStatus::Received && sockets.FromAdapter(heard))
            RecordHelloArrival(std::span(datagram).first(heard.length), {i, true}, sightings);
        return false;  // collection always runs to its deadline
    });
    return true;
}

}  // namespace

bool BroadcastExchange(std::uint32_t localAddress,
                       std::span<const std::uint8_t, wire::kBroadcastRequestLength> request,
                       BroadcastMode mode, std::vector<ModuleHelloRecord>& resultList) {
    if (mode == BroadcastMode::Collect) resultList.clear();
    std::vector<ModuleSighting> sightings;
    const bool sent = ExchangeAndRecord(localAddress, request, mode, sightings);
    for (const auto& sighting : sightings) resultList.push_back(sighting.record);
    return sent;
}

bool ListModules(std::uint32_t localAddress, std::uint16_t queryCode,
                 std::vector<ModuleHelloRecord>& resultList) {
    const auto request = BuildListRequest(queryCode);
    return BroadcastExchange(localAddress, request, BroadcastMode::Collect, resultList);
}

bool ListModuleSightings(std::uint32_t localAddress, std::uint16_t queryCode,
                         std::vector<ModuleSighting>& sightings) {
    sightings.clear();
    return ExchangeAndRecord(localAddress, BuildListRequest(queryCode), BroadcastMode::Collect, sightings);
}

bool SetModuleNetwork(std::uint32_t localAddress, const MacAddress& moduleMac,
                      std::uint32_t ipAddress, std::uint32_t networkMask,
                      std::uint32_t defaultGateway, bool* sent) {
    const auto request = BuildSetNetworkRequest(moduleMac, ipAddress, networkMask, defaultGateway);
    std::vector<ModuleHelloRecord> unused;
    const bool anySent = BroadcastExchange(localAddress, request, BroadcastMode::SendOnly, unused);
    if (sent != nullptr) *sent = anySent;
    return true;
}
