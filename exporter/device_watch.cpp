#include "exporter/device_watch.h"

#include <iostream>

#include "app/device_list.h"
#include "cli/cli_support.h"
#include "netconfig/address_text.h"

namespace exporter {

const ListedDevice* DeviceSnapshot::Find(std::uint32_t address) const {
    const auto found = byAddress.find(address);
    return found == byAddress.end() ? nullptr : &devices[found->second];
}

std::string ServiceDiscoveryJson(const std::vector<ListedDevice>& devices) {
    // Devices that share a MAC text (most often the empty one) share a group, so the answer stays
    // one group per label set, as Prometheus groups targets itself.
    std::vector<std::string> macs;
    std::unordered_map<std::string, std::vector<std::uint32_t>> groups;
    for (const ListedDevice& device : devices) {
        auto [group, added] = groups.try_emplace(device.mac);
        if (added) macs.push_back(device.mac);
        group->second.push_back(device.address);
    }
    std::string json = "[";
    for (std::size_t g = 0; g < macs.size(); ++g) {
        if (g > 0) json += ',';
        json += "{\"targets\":[";
        const std::vector<std::uint32_t>& addresses = groups[macs[g]];
        for (std::size_t n = 0; n < addresses.size(); ++n) {
            if (n > 0) json += ',';
            json += '"';
            json += netconfig::FormatIpAddress(addresses[n]);
            json += '"';
        }
        json += "],\"labels\":{\"__meta_vantrel_mac\":";
        json += cli::JsonString(macs[g]);
        json += "}}";
    }
    json += "]";
    return json;
}

DeviceWatch::DeviceWatch(std::string settingsPath)
    : settings_(std::move(settingsPath)),
      snapshot_(
          std::make_shared<DeviceSnapshot>(DeviceSnapshot{{}, {}, ServiceDiscoveryJson({})})) {}

std::shared_ptr<const DeviceSnapshot> DeviceWatch::Current() {
    const std::lock_guard lock(mutex_);
    const platform::FileStamp stamp = platform::StatFile(settings_.Path());
    if (!loaded_ || stamp != stamp_) Reload(stamp);
    return snapshot_;
}

void DeviceWatch::Reload(const platform::FileStamp& stamp) {
    stamp_ = stamp;
    loaded_ = true;
    app::DeviceList list;
    app::LoadDeviceList(settings_, list);
    std::string damage;
    if (!settings_.Readable()) damage = "cannot be read";
    for (std::size_t n = 0; damage.empty() && n < list.size(); ++n) {
        // A position below "Total" without an address is a list cut short or mistyped by hand.
        if (list[n]->address == 0)
            damage = "lists device " + std::to_string(n) + " (IP" + std::to_string(n) +
                     ") without an address";
    }
    if (!damage.empty()) {
        ++reloadErrors_;
        std::cerr << "vantrel-exporter: " << settings_.Path() << " " << damage
                  << "; the last good list of " << snapshot_->devices.size()
                  << " devices stays in use\n";
        return;
    }
    auto next = std::make_shared<DeviceSnapshot>();
    next->devices.reserve(list.size());
    for (const auto& record : list) {
        if (!next->byAddress.emplace(record->address, next->devices.size()).second) continue;
        next->devices.push_back({record->address, record->mac});
    }
    next->serviceDiscoveryJson = ServiceDiscoveryJson(next->devices);
    snapshot_ = std::move(next);
}

}  // namespace exporter
