#include "app/device_list.h"

#include <algorithm>
#include <string_view>

#include "app/panel_settings.h"
#include "app/settings_file.h"

namespace app {

using panel_settings::DeviceKeys;
using panel_settings::kListSection;
using panel_settings::kTotalKey;

void LoadDeviceList(SettingsFile& settings, DeviceList& list) {
    FreeDeviceList(list);
    // One snapshot: a list saved by another process meanwhile is read whole or not at all.
    settings.BeginBatch();
    const std::int32_t total =
        std::clamp(settings.ReadInt(kListSection, kTotalKey, 0), 0, kMaxLoadedDevices);
    list.reserve(static_cast<std::size_t>(total));
    for (std::size_t n = 0; n < static_cast<std::size_t>(total); ++n) {
        const DeviceKeys keys(n);
        auto record = std::make_unique<DeviceRecord>();
        record->address = SettingIntToAddress(settings.ReadInt(kListSection, keys.ip, 0));
        record->mac = settings.ReadText(kListSection, keys.mac);
        list.push_back(std::move(record));
    }
    settings.CommitBatch();
}

bool SaveDeviceList(SettingsFile& settings, const DeviceList& list) {
    settings.BeginBatch();
    settings.WriteInt(kListSection, kTotalKey, static_cast<std::int32_t>(list.size()));
    for (std::size_t n = 0; n < list.size(); ++n) {
        const DeviceKeys keys(n);
        settings.WriteInt(kListSection, keys.ip, AddressToSettingInt(list[n]->address));
        settings.WriteText(kListSection, keys.mac, list[n]->mac);
    }
    return settings.CommitBatch();
}

void FreeDeviceList(DeviceList& list) { list.clear(); }

void AppendDevice(DeviceList& list, std::unique_ptr<DeviceRecord> record) {
    list.push_back(std::move(record));
}

bool RemoveDeviceAt(DeviceList& list, std::size_t position) {
    if (position >= list.size()) return false;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(position));
    return true;
}

}  // namespace app
