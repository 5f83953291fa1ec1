// vantrel-cli devices: the panel's stored device list, listed, added to and removed from through
// the same settings file and the same list operations as the panel.
#include <algorithm>
#include <charconv>
#include <iostream>

#include "app/device_list.h"
#include "app/settings_file.h"
#include "cli/commands.h"
#include "netconfig/address_text.h"

namespace cli {

namespace {

int BadArguments(const std::string& message) { return Fail(kExitBadArguments, "devices: " + message); }

// The rest of the arguments must be exactly the positional ones; an option here is unknown
// ("-1" is a bad position, not an option).
bool OnlyPositional(const Arguments& args, std::size_t most, int& exitCode) {
    for (const auto& arg : args) {
        if (arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9')) {
            exitCode = BadArguments("unknown option '" + arg + "'");
            return false;
        }
    }
    if (args.size() <= most) return true;
    exitCode = BadArguments("unexpected argument '" + args[most] + "'");
    return false;
}

std::string PadRight(const std::string& text, std::size_t width) {
    return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

// Columns as the panel shows them: "#" (position + 1), "MAC", "IP".
void PrintTable(const DeviceList& list) {
    std::size_t numberWidth = 1, macWidth = 3;
    for (std::size_t n = 0; n < list.size(); ++n) {
        numberWidth = std::max(numberWidth, std::to_string(n + 1).size());
        macWidth = std::max(macWidth, list[n]->mac.size());
    }
    std::cout << PadRight("#", numberWidth) << "  " << PadRight("MAC", macWidth) << "  IP\n";
    for (std::size_t n = 0; n < list.size(); ++n) {
        std::cout << PadRight(std::to_string(n + 1), numberWidth) << "  "
                  << PadRight(list[n]->mac, macWidth) << "  " << FormatIpAddress(list[n]->address)
                  << '\n';
    }
}

void PrintJson(const DeviceList& list) {
    if (list.empty()) {
        std::cout << "[]\n";
        return;
    }
    std::cout << "[\n";
    for (std::size_t n = 0; n < list.size(); ++n) {
        std::cout << "  {\"position\": " << n + 1
                  << ", \"address\": " << JsonString(FormatIpAddress(list[n]->address))
                  << ", \"mac\": " << JsonString(list[n]->mac) << '}'
                  << (n + 1 < list.size() ? ",\n" : "\n");
    }
    std::cout << "]\n";
}

int Save(SettingsFile& settings, const DeviceList& list) {
    if (SaveDeviceList(settings, list)) return kExitOk;
    return Fail(kExitFailed, "devices: cannot write " + settings.Path());
}

int AddDevice(SettingsFile& settings, const Arguments& args) {
    int exitCode = kExitOk;
    if (!OnlyPositional(args, 2, exitCode)) return exitCode;
    if (args.empty()) return BadArguments("usage: devices add IP [MAC] [--settings FILE]");
    auto record = std::make_unique<DeviceRecord>();
    if (!ParseIpAddress(args[0], record->address))
        return BadArguments("'" + args[0] + "' is not an IPv4 address");
    if (args.size() == 2) {
        MacAddress mac{};
        if (!ParseMacAddress(args[1], mac))
            return BadArguments("'" + args[1] + "' is not a MAC address (six hexadecimal bytes)");
        record->mac = FormatMacAddress(mac);
    }
    DeviceList list;
    LoadDeviceList(settings, list);
    // The panel never loads more than this many, so a device beyond them would be lost.
    if (list.size() >= static_cast<std::size_t>(kMaxLoadedDevices))
        return Fail(kExitFailed, "devices: the list is full (" + std::to_string(list.size()) + " devices)");
    const std::string added = FormatIpAddress(record->address);
    AppendDevice(list, std::move(record));
    if (const int saved = Save(settings, list); saved != kExitOk) return saved;
    std::cout << "added device " << list.size() << ": " << added << '\n';
    return kExitOk;
}

int RemoveDevice(SettingsFile& settings, const Arguments& args) {
    int exitCode = kExitOk;
    if (!OnlyPositional(args, 1, exitCode)) return exitCode;
    if (args.empty()) return BadArguments("usage: devices remove POSITION [--settings FILE]");
    const std::string& text = args[0];
    std::size_t position = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), position);
    if (error != std::errc() || end != text.data() + text.size() || text.front() == '+')
        return BadArguments("position '" + text + "' is not a number");
    DeviceList list;
    LoadDeviceList(settings, list);
    if (position < 1 || position > list.size())
        return BadArguments("position " + text + " is outside the list (" +
                            std::to_string(list.size()) + " devices)");
    const std::string removed = FormatIpAddress(list[position - 1]->address);
    RemoveDeviceAt(list, position - 1);
    if (const int saved = Save(settings, list); saved != kExitOk) return saved;
    std::cout << "removed device " << position << ": " << removed << '\n';
    return kExitOk;
}

}  // namespace

int RunDevicesCommand(Arguments args) {
    bool missingValue = false;
    const auto settingsPath = TakeOption(args, "--settings", missingValue);
    if (missingValue || (settingsPath && settingsPath->empty()))
        return BadArguments("--settings needs a file");
    SettingsFile settings(settingsPath ? *settingsPath : DefaultSettingsPath());

    if (!args.empty() && args.front() == "add") return AddDevice(settings, {args.begin() + 1, args.end()});
    if (!args.empty() && args.front() == "remove")
        return RemoveDevice(settings, {args.begin() + 1, args.end()});

    const bool json = TakeFlag(args, "--json");
    int exitCode = kExitOk;
    if (!OnlyPositional(args, 0, exitCode)) return exitCode;
    DeviceList list;
    LoadDeviceList(settings, list);
    if (json) PrintJson(list);
    else PrintTable(list);
    return kExitOk;
}

}  // namespace cli
