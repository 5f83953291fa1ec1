#pragma once
// Which local address a network command sends from. The command line never guesses an adapter:
// it takes --from, or the adapter the panel stored, and refuses otherwise.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_support.h"

namespace cli {

struct LocalAddressOptions {
    std::optional<std::string> from;          // --from LOCAL
    std::optional<std::string> settingsPath;  // --settings FILE
};

struct LocalAddressChoice {
    bool ok = false;
    std::uint32_t address = 0;  // network byte order
    std::string error;          // one line, when !ok
};

// Takes "--from LOCAL" and "--settings FILE" out of args. False, with a message, when one of
// them lacks its value.
bool TakeLocalAddressOptions(Arguments& args, LocalAddressOptions& options, std::string& error);

// --from LOCAL: an IPv4 address of this machine, that is any loopback address (127.x.x.x) or
// one of the addresses of its interface table.
LocalAddressChoice CheckFromAddress(std::string_view text,
                                    const std::vector<std::uint32_t>& interfaceTable);

// Without --from: the panel's stored "Config"/"LocalIP", when it is one of the usable adapters.
LocalAddressChoice CheckStoredAdapter(std::uint32_t storedAddress,
                                      const std::vector<std::uint32_t>& usableAdapters,
                                      const std::string& settingsPath);

// Decides from the options, reading this machine's interface table and the panel's settings
// file (cli::DefaultSettingsPath() unless --settings names another) as needed.
LocalAddressChoice ChooseLocalAddress(const LocalAddressOptions& options);

}  // namespace cli
