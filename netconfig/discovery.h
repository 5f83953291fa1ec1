#pragma once
// Broadcast commands on one local adapter's segment: the module list ("WiZnLiSt" ->
// "WiZnHeLo") and new network settings for one module named by its MAC ("TiBbsEtA").
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "netconfig/address_text.h"
#include "netconfig/exchange_engine.h"
#include "netconfig/wire_layout.h"

namespace netconfig {

// The first 30 bytes of a module's "WiZnHeLo" reply, byte for byte.
struct ModuleHelloRecord {
    std::array<std::uint8_t, wire::kHelloRecordLength> bytes{};

    MacAddress Mac() const;         // bytes 8-13
    std::uint32_t Ip() const;       // bytes 14-17, network byte order
    std::uint32_t Mask() const;     // bytes 18-21
    std::uint32_t Gateway() const;  // bytes 22-25
    void SetMac(const MacAddress& mac);
    void SetIp(std::uint32_t address);
    void SetMask(std::uint32_t address);
    void SetGateway(std::uint32_t address);
};

// A module as a listing saw it: its first hello's record, the ports it answered on (9100, 9101)
// and whether its hellos came by unicast to the adapter, by broadcast, or both. A module that
// answers only by broadcast sits on another subnet than the adapter.
struct ModuleSighting {
    ModuleHelloRecord record;
    std::array<bool, wire::kPorts.size()> answeredOn{};
    bool byUnicast = false;
    bool byBroadcast = false;
    // Addresses that later hellos of the same MAC gave, other than the record's: one module
    // answering at two addresses is a conflict worth naming.
    std::vector<std::uint32_t> otherAddresses;
};

enum class BroadcastMode { Collect, SendOnly };

constexpr std::uint16_t kWizardQueryCode = 12;

// Sends the 26-byte request to 255.255.255.255 on ports 9100 and 9101 from localAddress.
// Collect: gathers hello replies for 2000 ms, in order of arrival, one per MAC. Send only:
// keeps the sockets open 200 ms. Returns false only when neither socket could send.
bool BroadcastExchange(std::uint32_t localAddress,
                       std::span<const std::uint8_t, wire::kBroadcastRequestLength> request,
                       BroadcastMode mode, std::vector<ModuleHelloRecord>& resultList);
bool ListModules(std::uint32_t localAddress, std::uint16_t queryCode,
                 std::vector<ModuleHelloRecord>& resultList);
// The same listing, by the same rules and with the same records in the same order, each with
// how its module answered.
bool ListModuleSightings(std::uint32_t localAddress, std::uint16_t queryCode,
                         std::vector<ModuleSighting>& sightings);

// The listing and the network settings as the engine runs them, beside other exchanges (on
// other adapters, or checks of other addresses); `request` is BuildListRequest's or
// BuildSetNetworkRequest's and must outlive the run. A listing's result is read by SightingsOf,
// by the rules of ListModuleSightings.
ExchangePlan ListingPlan(std::uint32_t localAddress,
                         std::span<const std::uint8_t, wire::kBroadcastRequestLength> request);
ExchangePlan SetNetworkPlan(std::uint32_t localAddress,
                            std::span<const std::uint8_t, wire::kBroadcastRequestLength> request);
std::vector<ModuleSighting> SightingsOf(const ExchangeResult& result);
// Always true, as the module never confirms.
bool SetModuleNetwork(std::uint32_t localAddress, const MacAddress& moduleMac,
                      std::uint32_t ipAddress, std::uint32_t networkMask,
                      std::uint32_t defaultGateway);
// The same, with its outcome: NotSent when no socket could send, Silent otherwise.
ExchangeOutcome SetNetworkOutcome(std::uint32_t localAddress, const MacAddress& moduleMac,
                                  std::uint32_t ipAddress, std::uint32_t networkMask,
                                  std::uint32_t defaultGateway);

}  // namespace netconfig
