#pragma once
// Device lists in and out of vantrel-cli: the stored list as CSV ("ip,mac") or JSON, and a file
// of the same forms merged into the list or put in its place.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/device_list.h"

namespace cli {

// "ip,mac" and one line per device, in list order.
std::string DeviceListCsv(const app::DeviceList& list);
// [{"ip": "a.b.c.d", "mac": "..."}, ...], one device per line.
std::string DeviceListJson(const app::DeviceList& list);

struct ImportedDevice {
    std::size_t line = 0;
    std::uint32_t address = 0;       // network byte order, one host
    std::optional<std::string> mac;  // "%02X:..." when the file gives one
};

// The devices of a CSV or JSON file: an "ip" column is required, "mac" may be given. A row whose
// address is not one host, whose MAC is not six bytes, or whose address came before is refused
// with its line, and so is the whole file.
bool ParseImportedDevices(std::string_view text, std::vector<ImportedDevice>& devices,
                          std::string& error);

struct ImportCounts {
    std::size_t added = 0;
    std::size_t updated = 0;  // a listed address that took the file's MAC
    std::size_t unchanged = 0;
    std::size_t removed = 0;  // only when replacing
};

// Merging: a listed address keeps its place and takes the file's MAC when one is given; new
// addresses are appended in file order. Replacing: the list becomes the file's devices, in its
// order (counted against the old list).
ImportCounts ImportDevices(app::DeviceList& list, const std::vector<ImportedDevice>& devices,
                           bool replace);

}  // namespace cli
