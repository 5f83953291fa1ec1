// vantrel-cli devices: the panel's stored device list, listed, added to and removed from through
// the same settings file and the same list operations as the panel.
#include <algorithm>
#include <charconv>
#include <iostream>

#include "app/control_panel_app.h"
#include "app/device_list.h"
#include "app/settings_file.h"
#include "app/settings_location.h"
#include "cli/commands.h"
#include "cli/devices_transfer.h"
#include "cli/table_file.h"
#include "netconfig/address_text.h"
#include "platform/file_store.h"

namespace cli {

namespace {

// One devices command as typed ("devices", "devices add", "devices remove") and its file.
struct DevicesRun : CommandOutcomes {
    DevicesRun(std::string name, std::string path)
        : CommandOutcomes(std::move(name)), settings(std::move(path)) {}
    app::SettingsFile settings;
    bool force = false;

    // The panel saves its whole list from memory, so an edit under a running panel that uses
    // this same file would be undone at its next save.
    Refusal PanelAllowsEdit() const {
        if (force || !app::CControlPanelApp::PanelHoldsSettingsFile(settings.Path()))
            return std::nullopt;
        return Failed("the panel has the device list of " + settings.Path() +
                      " open and would undo this; close it or give --force");
    }
};

// The rest of the arguments must be exactly the positional ones; an option here is unknown
// ("-1" is a bad position, not an option).
Refusal OnlyPositional(const DevicesRun& run, const Arguments& args, std::size_t most) {
    for (const auto& arg : args)
        if (app::command_line::LooksLikeOption(arg) && !(arg[1] >= '0' && arg[1] <= '9'))
            return run.BadArguments(app::command_line::UnknownOption(arg));
    if (args.size() <= most) return std::nullopt;
    return run.BadArguments(app::command_line::UnexpectedArgument(args[most]));
}

std::string PadRight(const std::string& text, std::size_t width) {
    return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

// Columns as the panel shows them: "#" (position + 1), "MAC", "IP".
void PrintTable(const app::DeviceList& list) {
    std::size_t numberWidth = 1, macWidth = 3;
    for (std::size_t n = 0; n < list.size(); ++n) {
        numberWidth = std::max(numberWidth, std::to_string(n + 1).size());
        macWidth = std::max(macWidth, list[n]->mac.size());
    }
    std::cout << PadRight("#", numberWidth) << "  " << PadRight("MAC", macWidth) << "  IP\n";
    for (std::size_t n = 0; n < list.size(); ++n) {
        std::cout << PadRight(std::to_string(n + 1), numberWidth) << "  "
                  << PadRight(list[n]->mac, macWidth) << "  "
                  << netconfig::FormatIpAddress(list[n]->address) << '\n';
    }
}

void PrintJson(const app::DeviceList& list) {
    if (list.empty()) {
        std::cout << "[]\n";
        return;
    }
    std::cout << "[\n";
    for (std::size_t n = 0; n < list.size(); ++n) {
        std::cout << "  {\"position\": " << n + 1
                  << ", \"address\": " << JsonString(netconfig::FormatIpAddress(list[n]->address))
                  << ", \"mac\": " << JsonString(list[n]->mac) << '}'
                  << (n + 1 < list.size() ? ",\n" : "\n");
    }
    std::cout << "]\n";
}

Refusal Save(DevicesRun& run, const app::DeviceList& list) {
    if (app::SaveDeviceList(run.settings, list)) return std::nullopt;
    return run.Failed("cannot write " + run.settings.Path());
}

Outcome AddDevice(DevicesRun& run, const Arguments& args) {
    if (auto refused = OnlyPositional(run, args, 2)) return *refused;
    if (args.empty())
        return run.BadArguments("usage: devices add IP [MAC] [--settings FILE] [--force]");
    auto record = std::make_unique<app::DeviceRecord>();
    if (!netconfig::ParseIpAddress(args[0], record->address))
        return run.BadArguments("'" + args[0] + "' is not an IPv4 address");
    // The panel would send its checks to every host of a broadcast or multicast address.
    if (!netconfig::IsSingleHostAddress(record->address))
        return run.BadArguments("'" + args[0] + "' is not the address of one host");
    if (args.size() == 2) {
        netconfig::MacAddress mac{};
        if (!netconfig::ParseMacAddress(args[1], mac))
            return run.BadArguments("'" + args[1] +
                                    "' is not a MAC address (six hexadecimal bytes)");
        record->mac = netconfig::FormatMacAddress(mac);
    }
    if (auto refused = run.PanelAllowsEdit()) return *refused;
    app::DeviceList list;
    app::LoadDeviceList(run.settings, list);
    // The panel never loads more than this many, so a device beyond them would be lost.
    if (list.size() >= static_cast<std::size_t>(app::kMaxLoadedDevices))
        return run.Failed("the list is full (" + std::to_string(list.size()) + " devices)");
    const std::string added = netconfig::FormatIpAddress(record->address);
    app::AppendDevice(list, std::move(record));
    if (auto refused = Save(run, list)) return *refused;
    std::cout << "added device " << list.size() << ": " << added << '\n';
    return run.Done();
}

Outcome RemoveDevice(DevicesRun& run, const Arguments& args) {
    if (auto refused = OnlyPositional(run, args, 1)) return *refused;
    if (args.empty())
        return run.BadArguments("usage: devices remove POSITION [--settings FILE] [--force]");
    const std::string& text = args[0];
    std::size_t position = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), position);
    if (error != std::errc() || end != text.data() + text.size() || text.front() == '+')
        return run.BadArguments("position '" + text + "' is not a number");
    if (auto refused = run.PanelAllowsEdit()) return *refused;
    app::DeviceList list;
    app::LoadDeviceList(run.settings, list);
    if (position < 1 || position > list.size())
        return run.BadArguments("position " + text + " is outside the list (" +
                                std::to_string(list.size()) + " devices)");
    const std::string removed = netconfig::FormatIpAddress(list[position - 1]->address);
    app::RemoveDeviceAt(list, position - 1);
    if (auto refused = Save(run, list)) return *refused;
    std::cout << "removed device " << position << ": " << removed << '\n';
    return run.Done();
}

Outcome ExportDevices(DevicesRun& run, Arguments& args) {
    const bool json = TakeFlag(args, "--json");
    bool missingValue = false;
    const auto out = TakeOption(args, "--out", missingValue);
    if (missingValue || (out && out->empty()))
        return run.BadArguments(app::command_line::NeedsValue("--out", "a file"));
    if (auto refused = OnlyPositional(run, args, 0)) return *refused;
    app::DeviceList list;
    app::LoadDeviceList(run.settings, list);
    const std::string text = json ? DeviceListJson(list) : DeviceListCsv(list);
    if (!out) {
        std::cout << text;
        return run.Done();
    }
    platform::FileStamp written;
    if (!platform::ReplaceFileAtomically(*out, text, written))
        return run.Failed("cannot write " + *out);
    std::cout << "exported " << list.size() << " devices to " << *out << '\n';
    return run.Done();
}

Outcome ImportDevicesFromFile(DevicesRun& run, Arguments& args) {
    const bool replace = TakeFlag(args, "--replace");
    if (auto refused = OnlyPositional(run, args, 1)) return *refused;
    if (args.empty())
        return run.BadArguments(
            "usage: devices import FILE [--replace] [--settings FILE] [--force]");
    std::string text, error;
    if (!ReadTextFile(args[0], text, error)) return run.Failed(error);
    std::vector<ImportedDevice> devices;
    if (!ParseImportedDevices(text, devices, error))
        return run.Failed(args[0] + ": " + error + "; nothing was written");
    if (auto refused = run.PanelAllowsEdit()) return *refused;
    app::DeviceList list;
    app::LoadDeviceList(run.settings, list);
    const auto counts = ImportDevices(list, devices, replace);
    // The panel never loads more than this many, so devices beyond them would be lost.
    if (list.size() > static_cast<std::size_t>(app::kMaxLoadedDevices))
        return run.Failed("the list would hold " + std::to_string(list.size()) +
                          " devices, more than " + std::to_string(app::kMaxLoadedDevices) +
                          "; nothing was written");
    if (auto refused = Save(run, list)) return *refused;
    std::cout << counts.added << " added, " << counts.updated << " updated, " << counts.unchanged
              << " unchanged";
    if (replace) std::cout << ", " << counts.removed << " removed";
    std::cout << "; " << list.size() << " devices listed\n";
    return run.Done();
}

}  // namespace

Outcome DevicesCommand(Arguments args) {
    std::string name = "devices";
    const bool add = !args.empty() && args.front() == "add";
    const bool remove = !args.empty() && args.front() == "remove";
    const bool exporting = !args.empty() && args.front() == "export";
    const bool importing = !args.empty() && args.front() == "import";
    if (add || remove || exporting || importing) {
        name += " " + args.front();
        args.erase(args.begin());
    }
    bool missingValue = false;
    const auto settingsPath = TakeOption(args, "--settings", missingValue);
    DevicesRun run(name, settingsPath ? *settingsPath : DefaultSettingsPath());
    if (missingValue || (settingsPath && settingsPath->empty()))
        return run.BadArguments(app::command_line::NeedsValue("--settings", "a file"));
    // Adding may create the named file, as the panel would; everything else reads it first.
    std::string error;
    if (!CheckSettingsFile(run.settings.Path(), settingsPath && !add && !importing, error))
        return run.BadArguments(error);

    if (exporting) return ExportDevices(run, args);
    if (add || remove || importing) {
        // An installed panel's file lives in a folder that the first write makes.
        if (!settingsPath) app::settings_location::PrepareSettingsFolder(run.settings.Path());
        run.force = TakeFlag(args, "--force");
        if (importing) return ImportDevicesFromFile(run, args);
        return add ? AddDevice(run, args) : RemoveDevice(run, args);
    }
    const bool json = TakeFlag(args, "--json");
    if (auto refused = OnlyPositional(run, args, 0)) return *refused;
    app::DeviceList list;
    app::LoadDeviceList(run.settings, list);
    if (json)
        PrintJson(list);
    else
        PrintTable(list);
    return run.Done();
}

}  // namespace cli
