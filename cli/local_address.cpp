#include "cli/local_address.h"

#include <algorithm>

#include "app/panel_settings.h"
#include "app/settings_file.h"
#include "netconfig/address_text.h"
#include "netconfig/local_adapters.h"
#include "platform/interface_addresses.h"

namespace cli {

namespace {

LocalAddressChoice Refuse(std::string error) { return {false, 0, std::move(error)}; }

bool Contains(const std::vector<std::uint32_t>& list, std::uint32_t address) {
    return std::find(list.begin(), list.end(), address) != list.end();
}

}  // namespace

bool TakeLocalAddressOptions(Arguments& args, LocalAddressOptions& options, std::string& error) {
    bool missing = false;
    options.from = TakeOption(args, "--from", missing);
    if (missing) {
        error = app::command_line::NeedsValue("--from", "an address of this machine");
        return false;
    }
    options.settingsPath = TakeOption(args, "--settings", missing);
    if (missing) {
        error = app::command_line::NeedsValue("--settings", "a file");
        return false;
    }
    return true;
}

LocalAddressChoice CheckFromAddress(std::string_view text,
                                    const std::vector<std::uint32_t>& interfaceTable) {
    std::uint32_t address = 0;
    if (!netconfig::ParseIpAddress(text, address))
        return Refuse("--from: '" + std::string(text) + "' is not an IPv4 address");
    if (!netconfig::IsLoopbackAddress(address) && !Contains(interfaceTable, address))
        return Refuse("--from: " + netconfig::FormatIpAddress(address) +
                      " is not an address of this machine");
    return {true, address, {}};
}

LocalAddressChoice CheckStoredAdapter(std::uint32_t address,
                                      const std::vector<std::uint32_t>& usableAdapters,
                                      const std::string& settingsPath) {
    if (address == 0)
        return Refuse("no --from given and no adapter stored in " + settingsPath +
                      " (Config/LocalIP); give --from LOCAL");
    if (!Contains(usableAdapters, address))
        return Refuse("no --from given and the stored adapter " +
                      netconfig::FormatIpAddress(address) + " (Config/LocalIP in " + settingsPath +
                      ") is not a usable adapter of this machine; give --from LOCAL");
    return {true, address, {}};
}

LocalAddressChoice ChooseLocalAddress(const LocalAddressOptions& options) {
    if (options.from) {
        std::vector<std::uint32_t> table;
        platform::ReadInterfaceAddresses(table);
        return CheckFromAddress(*options.from, table);
    }
    const std::string path = options.settingsPath ? *options.settingsPath : DefaultSettingsPath();
    // A file the user named must be there to be read; the panel's own may not exist yet.
    if (std::string error; !CheckSettingsFile(path, options.settingsPath.has_value(), error))
        return Refuse(error);
    app::SettingsFile settings(path);
    const std::uint32_t stored = app::panel_settings::ReadLocalAdapter(settings);
    std::vector<std::uint32_t> adapters;
    netconfig::GetLocalAdapters(adapters);
    return CheckStoredAdapter(stored, adapters, path);
}

}  // namespace cli
