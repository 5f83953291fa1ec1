#include "netconfig/discovery.h"

#include "netconfig/discovery_records.h"
#include "netconfig/exchange_sockets.h"

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
}  // namespace

bool BroadcastExchange(std::uint32_t localAddress,
                       std::span<const std::uint8_t, wire::kBroadcastRequestLength> request,
                       BroadcastMode mode, std::vector<ModuleHelloRecord>& resultList) {
    if (mode == BroadcastMode::Collect) resultList.clear();

    ExchangeSockets sockets;
    for (std::size_t i = 0; i < ExchangeSockets::kCount; ++i)
        sockets.OpenBroadcast(i, localAddress, request);
    // Nothing went out, so nothing can answer: say so instead of pretending a quiet segment.
    if (!sockets.AnyUsable()) return false;

    if (mode == BroadcastMode::SendOnly) {
        WaitWithSocketsOpen(kSendOnlyWaitMs);
        return true;
    }

    std::array<std::uint8_t, wire::kReceiveBufferSize> datagram{};
    const std::uint32_t start = platform::TickCount();
    PollUntil(sockets, start, kCollectMs, [&](std::size_t i) {
        const auto received = platform::Receive(sockets.Handle(i), datagram);
        if (received.status == platform::ReceiveStatus::Failed) sockets.MarkFailed(i);
        if (received.status == platform::ReceiveStatus::Received)
            AcceptHelloReply(std::span(datagram).first(received.length), resultList);
        return false;  // collection always runs to its deadline
    });
    return true;
}

bool ListModules(std::uint32_t localAddress, std::uint16_t queryCode,
                 std::vector<ModuleHelloRecord>& resultList) {
    const auto request = BuildListRequest(queryCode);
    return BroadcastExchange(localAddress, request, BroadcastMode::Collect, resultList);
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
