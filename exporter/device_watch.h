#pragma once
// The panel's device list as the exporter serves it: read from the settings file, read again
// whenever the file changes (the panel and vantrel-cli edit it while the exporter runs), and the
// last good list kept when a changed file cannot be read as one.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/settings_file.h"
#include "platform/file_store.h"

namespace exporter {

struct ListedDevice {
    std::uint32_t address = 0;
    std::string mac;  // as the list stores it, "" when unknown
};

// One version of the list, never changed once made, so requests share it without a lock.
struct DeviceSnapshot {
    std::vector<ListedDevice> devices;                         // list order, each address once
    std::unordered_map<std::uint32_t, std::size_t> byAddress;  // index into devices
    std::string serviceDiscoveryJson;                          // the answer to /sd

    const ListedDevice* Find(std::uint32_t address) const;
};

// Prometheus HTTP service discovery: one target group per MAC text, in list order.
std::string ServiceDiscoveryJson(const std::vector<ListedDevice>& devices);

class DeviceWatch {
public:
    explicit DeviceWatch(std::string settingsPath);

    // The list as the file holds it now: read again when the file changed since the last look.
    std::shared_ptr<const DeviceSnapshot> Current();

    // Changed versions of the file that could not be read as a device list.
    std::uint64_t ReloadErrors() const { return reloadErrors_.load(); }

private:
    void Reload(const platform::FileStamp& stamp);

    std::mutex mutex_;
    app::SettingsFile settings_;
    platform::FileStamp stamp_;
    bool loaded_ = false;
    std::shared_ptr<const DeviceSnapshot> snapshot_;
    std::atomic<std::uint64_t> reloadErrors_{0};
};

}  // namespace exporter
