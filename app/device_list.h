#pragma once
// The operator's device list and its stored form in section "List" of the settings file:
// "Total", then "IP%d" (address as a settings integer) and "MAC%d" (text) per device.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace app {

class SettingsFile;

struct DeviceRecord {
    virtual ~DeviceRecord() = default;

    std::uint32_t address = 0;          // network byte order; never changed after creation
    std::string mac;                    // as stored, "%02X:..." or empty; never rewritten
    std::int32_t tested = 0;            // asked in this run
    std::int32_t online = 0;            // last question answered; meaningful while tested
    std::uint32_t switcherAddress = 0;  // network byte order; 0 means none
};

// Insertion order; position n is the list row n and the n of "IP%d"/"MAC%d".
using DeviceList = std::vector<std::unique_ptr<DeviceRecord>>;

// A hand-edited "Total" is bounded: negative reads as 0, more than this as this.
constexpr std::int32_t kMaxLoadedDevices = 65536;
// The main window offers Add only below this many devices.
constexpr std::size_t kMaxAddedDevices = 128;

// Replaces the list by the stored one.
void LoadDeviceList(SettingsFile& settings, DeviceList& list);
// Writes "Total" and every device's keys as one replacement of the file. Keys of an earlier,
// longer list stay in the file beyond "Total".
bool SaveDeviceList(SettingsFile& settings, const DeviceList& list);
void FreeDeviceList(DeviceList& list);
void AppendDevice(DeviceList& list, std::unique_ptr<DeviceRecord> record);
// False (and nothing changes) when position is outside the list.
bool RemoveDeviceAt(DeviceList& list, std::size_t position);

}  // namespace app
