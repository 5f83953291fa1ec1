#include "cli/conflicts.h"

#include <algorithm>
#include <map>
#include <set>

#include "cli/cli_support.h"
#include "netconfig/address_text.h"

namespace cli {

namespace {

std::string JoinAnd(const std::vector<std::string>& words) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i)
        text += (i == 0 ? "" : i + 1 == words.size() ? " and " : ", ") + words[i];
    return text;
}

std::vector<std::string> AddressTexts(const std::vector<std::uint32_t>& addresses) {
    std::vector<std::string> texts;
    for (const auto address : addresses) texts.push_back(netconfig::FormatIpAddress(address));
    return texts;
}

template <typename T>
void AddOnce(std::vector<T>& values, const T& value) {
    if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
}

}  // namespace

std::vector<Conflict> FindConflicts(const std::vector<netconfig::ModuleSighting>& sightings,
                                    const app::DeviceList& listed) {
    // In order of first sight, so the report follows the search.
    std::vector<std::uint32_t> addressOrder;
    std::vector<std::string> macOrder;
    std::map<std::uint32_t, std::vector<std::string>> macsAt;
    std::map<std::string, std::vector<std::uint32_t>> addressesOf;
    const auto see = [&](std::uint32_t address, const std::string& mac) {
        if (!macsAt.count(address)) addressOrder.push_back(address);
        if (!addressesOf.count(mac)) macOrder.push_back(mac);
        AddOnce(macsAt[address], mac);
        AddOnce(addressesOf[mac], address);
    };
    for (const auto& sighting : sightings) {
        const std::string mac = netconfig::FormatMacAddress(sighting.record.Mac());
        see(sighting.record.Ip(), mac);
        for (const auto address : sighting.otherAddresses) see(address, mac);
    }
    std::vector<Conflict> conflicts;
    for (const auto address : addressOrder)
        if (macsAt[address].size() > 1)
            conflicts.push_back({ConflictKind::kAddressShared, {address}, macsAt[address]});
    for (const auto& mac : macOrder)
        if (addressesOf[mac].size() > 1)
            conflicts.push_back({ConflictKind::kMacAtTwoAddresses, addressesOf[mac], {mac}});

    std::map<std::string, std::vector<std::uint32_t>> listedWith;
    std::vector<std::string> listedOrder;
    for (const auto& record : listed) {
        const auto answering = macsAt.find(record->address);
        if (!record->mac.empty() && answering != macsAt.end() && answering->second.size() == 1 &&
            answering->second.front() != record->mac)
            conflicts.push_back({ConflictKind::kListedMacDiffers,
                                 {record->address},
                                 {record->mac, answering->second.front()}});
        if (record->mac.empty()) continue;
        if (!listedWith.count(record->mac)) listedOrder.push_back(record->mac);
        AddOnce(listedWith[record->mac], record->address);
    }
    for (const auto& mac : listedOrder)
        if (listedWith[mac].size() > 1)
            conflicts.push_back({ConflictKind::kListedMacTwice, listedWith[mac], {mac}});
    return conflicts;
}

std::string ConflictText(const Conflict& conflict) {
    const auto addresses = AddressTexts(conflict.addresses);
    switch (conflict.kind) {
        case ConflictKind::kAddressShared:
            return addresses.front() + " is answered by " + JoinAnd(conflict.macs) +
                   ": give each module an address of its own";
        case ConflictKind::kMacAtTwoAddresses:
            return conflict.macs.front() + " answers at " + JoinAnd(addresses);
        case ConflictKind::kListedMacDiffers:
            return "listed device " + addresses.front() + " has MAC " + conflict.macs[0] +
                   ", but " + conflict.macs[1] + " answers there now (a unit was swapped or moved)";
        case ConflictKind::kListedMacTwice:
            return "listed devices " + JoinAnd(addresses) + " have the same MAC " +
                   conflict.macs.front();
    }
    return {};
}

std::string ConflictJson(const Conflict& conflict) {
    std::string json =
        "{\"kind\": \"" + std::string(ConflictKindName(conflict.kind)) + "\", \"addresses\": [";
    for (std::size_t i = 0; i < conflict.addresses.size(); ++i)
        json += (i ? ", " : "") + JsonString(netconfig::FormatIpAddress(conflict.addresses[i]));
    json += "], \"macs\": [";
    for (std::size_t i = 0; i < conflict.macs.size(); ++i)
        json += (i ? ", " : "") + JsonString(conflict.macs[i]);
    return json + "]}";
}

const char* ConflictKindName(ConflictKind kind) {
    switch (kind) {
        case ConflictKind::kAddressShared: return "address-shared";
        case ConflictKind::kMacAtTwoAddresses: return "mac-at-two-addresses";
        case ConflictKind::kListedMacDiffers: return "listed-mac-differs";
        case ConflictKind::kListedMacTwice: return "listed-mac-twice";
    }
    return "address-shared";
}

}  // namespace cli
