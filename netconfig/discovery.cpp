#include "netconfig/discovery.h"

#include "netconfig/discovery_records.h"
#include "netconfig/exchange_engine.h"
#include "platform/interface_addresses.h"

namespace netconfig {

namespace {
constexpr std::uint32_t kCollectMs = 2000;
constexpr std::uint32_t kSendOnlyWaitMs = 200;

// Collect: listens on both ports' broadcast listeners too, then broadcasts the request and
// gathers every hello for the whole 2000 ms. Send only: keeps the sockets open 200 ms.
using RequestBytes = std::span<const std::uint8_t, wire::kBroadcastRequestLength>;

ExchangePlan BroadcastPlan(std::uint32_t localAddress, RequestBytes request) {
    ExchangePlan plan;
    plan.request = request;
    plan.localAddress = localAddress;
    plan.route = ExchangeRoute::Broadcast;
    return plan;
}

ExchangeOutcome ExchangeAndRecord(std::uint32_t localAddress, RequestBytes request,
                                  BroadcastMode mode, std::vector<ModuleSighting>& sightings) {
    if (mode == BroadcastMode::SendOnly)
        return RunExchange(SetNetworkPlan(localAddress, request)).outcome;
    const ExchangeResult result = RunExchange(ListingPlan(localAddress, request));
    sightings = SightingsOf(result);
    return result.outcome;
}

}  // namespace

ExchangePlan ListingPlan(std::uint32_t localAddress, RequestBytes request) {
    ExchangePlan plan = BroadcastPlan(localAddress, request);
    plan.collect = true;
    plan.deadlineMs = kCollectMs;
    plan.minimumReplyLength = wire::kHelloMinLength;
    // Names what is a listing's, so a hello to it that a check's socket received comes back.
    plan.check = IsHelloReply;
    plan.listenInterface = platform::InterfaceIndexOfAddress(localAddress);
    return plan;
}

ExchangePlan SetNetworkPlan(std::uint32_t localAddress, RequestBytes request) {
    ExchangePlan plan = BroadcastPlan(localAddress, request);
    plan.sendOnly = true;
    plan.deadlineMs = kSendOnlyWaitMs;
    return plan;
}

std::vector<ModuleSighting> SightingsOf(const ExchangeResult& result) {
    std::vector<ModuleSighting> sightings;
    for (const ExchangeDatagram& datagram : result.datagrams)
        RecordHelloArrival(datagram.bytes, {datagram.port, datagram.byBroadcast}, sightings);
    return sightings;
}

bool BroadcastExchange(std::uint32_t localAddress,
                       std::span<const std::uint8_t, wire::kBroadcastRequestLength> request,
                       BroadcastMode mode, std::vector<ModuleHelloRecord>& resultList) {
    if (mode == BroadcastMode::Collect) resultList.clear();
    std::vector<ModuleSighting> sightings;
    const bool sent =
        ExchangeAndRecord(localAddress, request, mode, sightings) != ExchangeOutcome::NotSent;
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
    return ExchangeAndRecord(localAddress, BuildListRequest(queryCode), BroadcastMode::Collect,
                             sightings) != ExchangeOutcome::NotSent;
}

ExchangeOutcome SetNetworkOutcome(std::uint32_t localAddress, const MacAddress& moduleMac,
                                  std::uint32_t ipAddress, std::uint32_t networkMask,
                                  std::uint32_t defaultGateway) {
    const auto request = BuildSetNetworkRequest(moduleMac, ipAddress, networkMask, defaultGateway);
    std::vector<ModuleSighting> unused;
    return ExchangeAndRecord(localAddress, request, BroadcastMode::SendOnly, unused);
}

bool SetModuleNetwork(std::uint32_t localAddress, const MacAddress& moduleMac,
                      std::uint32_t ipAddress, std::uint32_t networkMask,
                      std::uint32_t defaultGateway) {
    SetNetworkOutcome(localAddress, moduleMac, ipAddress, networkMask, defaultGateway);
    return true;
}

}  // namespace netconfig
