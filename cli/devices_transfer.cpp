#include "cli/devices_transfer.h"

#include <array>
#include <unordered_map>

#include "cli/cli_support.h"
#include "cli/table_file.h"
#include "netconfig/address_text.h"

namespace cli {

namespace {

constexpr std::array<std::string_view, 2> kColumns = {"ip", "mac"};
enum Column : std::size_t { kIp, kMac };

}  // namespace

std::string DeviceListCsv(const app::DeviceList& list) {
    std::string text = "ip,mac\n";
    for (const auto& record : list)
        text += netconfig::FormatIpAddress(record->address) + "," + record->mac + "\n";
    return text;
}

std::string DeviceListJson(const app::DeviceList& list) {
    if (list.empty()) return "[]\n";
    std::string text = "[\n";
    for (std::size_t n = 0; n < list.size(); ++n) {
        text += "  {\"ip\": " + JsonString(netconfig::FormatIpAddress(list[n]->address)) +
                ", \"mac\": " + JsonString(list[n]->mac) + "}" +
                (n + 1 < list.size() ? ",\n" : "\n");
    }
    return text + "]\n";
}

bool ParseImportedDevices(std::string_view text, std::vector<ImportedDevice>& devices,
                          std::string& error) {
    devices.clear();
    Table table;
    if (!ReadTable(text, kColumns, table, error)) return false;
    if (!table.hasColumn[kIp] && !table.rows.empty()) {
        error = "no \"ip\" column";
        return false;
    }
    std::unordered_map<std::uint32_t, std::size_t> lineOf;
    for (const auto& row : table.rows) {
        const std::string where = "line " + std::to_string(row.line) + ": ";
        ImportedDevice device;
        device.line = row.line;
        const auto& ip = row.cells[kIp];
        if (!ip) {
            error = where + "no address";
            return false;
        }
        if (!netconfig::ParseIpAddress(*ip, device.address) ||
            !netconfig::IsSingleHostAddress(device.address)) {
            error = where + "'" + *ip + "' is not the address of one host";
            return false;
        }
        if (const auto& macText = row.cells[kMac]) {
            netconfig::MacAddress mac{};
            if (!netconfig::ParseMacAddress(*macText, mac)) {
                error = where + "'" + *macText + "' is not a MAC address (six hexadecimal bytes)";
                return false;
            }
            device.mac = netconfig::FormatMacAddress(mac);
        }
        if (const auto [earlier, fresh] = lineOf.emplace(device.address, row.line); !fresh) {
            error = where + *ip + " is already on line " + std::to_string(earlier->second);
            return false;
        }
        devices.push_back(std::move(device));
    }
    return true;
}

ImportCounts ImportDevices(app::DeviceList& list, const std::vector<ImportedDevice>& devices,
                           bool replace) {
    // By address, the first listing of each (a hand-edited list may hold one twice).
    std::unordered_map<std::uint32_t, app::DeviceRecord*> listed;
    for (const auto& record : list) listed.emplace(record->address, record.get());
    ImportCounts counts;
    app::DeviceList result;
    for (const auto& device : devices) {
        const auto found = listed.find(device.address);
        app::DeviceRecord* before = found == listed.end() ? nullptr : found->second;
        const std::string mac = device.mac ? *device.mac : before ? before->mac : std::string();
        if (before == nullptr)
            ++counts.added;
        else if (before->mac != mac)
            ++counts.updated;
        else
            ++counts.unchanged;
        if (before != nullptr && !replace) {
            before->mac = mac;
            continue;
        }
        auto record = std::make_unique<app::DeviceRecord>();
        record->address = device.address;
        record->mac = mac;
        app::AppendDevice(result, std::move(record));
    }
    if (replace) {
        std::unordered_map<std::uint32_t, bool> kept;
        for (const auto& device : devices) kept.emplace(device.address, true);
        for (const auto& old : list) counts.removed += kept.count(old->address) == 0 ? 1 : 0;
        list = std::move(result);
    } else {
        for (auto& record : result) app::AppendDevice(list, std::move(record));
    }
    return counts;
}

}  // namespace cli
