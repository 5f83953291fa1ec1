#include "netconfig/discovery_records.h"

#include <algorithm>

namespace netconfig {

static_assert(wire::kHelloMinLength == wire::kHelloRecordLength);

MacAddress ModuleHelloRecord::Mac() const {
    MacAddress mac{};
    std::copy_n(bytes.begin() + wire::kHelloMac, mac.size(), mac.begin());
    return mac;
}

std::uint32_t ModuleHelloRecord::Ip() const { return wire::GetAddress(bytes, wire::kHelloIp); }
std::uint32_t ModuleHelloRecord::Mask() const { return wire::GetAddress(bytes, wire::kHelloMask); }
std::uint32_t ModuleHelloRecord::Gateway() const {
    return wire::GetAddress(bytes, wire::kHelloGateway);
}

void ModuleHelloRecord::SetMac(const MacAddress& mac) {
    std::copy(mac.begin(), mac.end(), bytes.begin() + wire::kHelloMac);
}
void ModuleHelloRecord::SetIp(std::uint32_t address) {
    wire::PutAddress(bytes, wire::kHelloIp, address);
}
void ModuleHelloRecord::SetMask(std::uint32_t address) {
    wire::PutAddress(bytes, wire::kHelloMask, address);
}
void ModuleHelloRecord::SetGateway(std::uint32_t address) {
    wire::PutAddress(bytes, wire::kHelloGateway, address);
}

BroadcastRequest BuildListRequest(std::uint16_t queryCode) {
    BroadcastRequest request{};
    wire::PutMagic(request, wire::kListMagic);
    request[wire::kListQueryCode] = static_cast<std::uint8_t>(queryCode >> 8);
    request[wire::kListQueryCode + 1] = static_cast<std::uint8_t>(queryCode & 0xFF);
    return request;
}

BroadcastRequest BuildSetNetworkRequest(const MacAddress& moduleMac, std::uint32_t ipAddress,
                                        std::uint32_t networkMask, std::uint32_t defaultGateway) {
    BroadcastRequest request{};
    wire::PutMagic(request, wire::kSetNetworkMagic);
    std::copy(moduleMac.begin(), moduleMac.end(), request.begin() + wire::kSetNetworkMac);
    wire::PutAddress(request, wire::kSetNetworkIp, ipAddress);
    wire::PutAddress(request, wire::kSetNetworkMask, networkMask);
    wire::PutAddress(request, wire::kSetNetworkGateway, defaultGateway);
    return request;
}

bool IsHelloReply(std::span<const std::uint8_t> datagram) {
    return datagram.size() >= wire::kHelloMinLength && wire::HasMagic(datagram, wire::kHelloMagic);
}

namespace {
// The record a valid hello carries.
bool ReadHelloRecord(std::span<const std::uint8_t> datagram, ModuleHelloRecord& record) {
    if (!IsHelloReply(datagram)) return false;
    std::copy_n(datagram.begin(), record.bytes.size(), record.bytes.begin());
    return true;
}
}  // namespace

bool AcceptHelloReply(std::span<const std::uint8_t> datagram,
                      std::vector<ModuleHelloRecord>& resultList) {
    ModuleHelloRecord record;
    if (!ReadHelloRecord(datagram, record)) return false;
    const MacAddress mac = record.Mac();
    const bool known =
        std::any_of(resultList.begin(), resultList.end(),
                    [&](const ModuleHelloRecord& listed) { return listed.Mac() == mac; });
    if (known) return false;
    resultList.push_back(record);
    return true;
}

bool RecordHelloArrival(std::span<const std::uint8_t> datagram, HelloArrival arrival,
                        std::vector<ModuleSighting>& sightings) {
    ModuleHelloRecord record;
    if (arrival.port >= wire::kPorts.size() || !ReadHelloRecord(datagram, record)) return false;
    const MacAddress mac = record.Mac();
    auto sighting =
        std::find_if(sightings.begin(), sightings.end(),
                     [&](const ModuleSighting& seen) { return seen.record.Mac() == mac; });
    const bool isNew = sighting == sightings.end();
    if (isNew) {
        sightings.emplace_back().record = record;
        sighting = sightings.end() - 1;
    }
    const std::uint32_t ip = record.Ip();
    if (ip != sighting->record.Ip() &&
        std::find(sighting->otherAddresses.begin(), sighting->otherAddresses.end(), ip) ==
            sighting->otherAddresses.end())
        sighting->otherAddresses.push_back(ip);
    sighting->answeredOn[arrival.port] = true;
    (arrival.byBroadcast ? sighting->byBroadcast : sighting->byUnicast) = true;
    return isNew;
}

}  // namespace netconfig
