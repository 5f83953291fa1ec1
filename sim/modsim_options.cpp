#include "sim/modsim_options.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "app/command_line.h"
#include "netconfig/address_text.h"
#include "platform/interface_addresses.h"
#include "sim/module_keys.h"

namespace sim {

std::string ModsimUsage() {
    std::string usage =
        "usage: vantrel-modsim [--config FILE]... [--module MODULE]... [--capture FILE]\n"
        "                      [--duration SECONDS] [--broadcast]\n"
        "       vantrel-modsim --help | --version | --list-keys\n"
        "  MODULE is key=value[,key=value...] with the keys of a [module] section:";
    // The key names wrapped at 100 columns; --list-keys says what each one takes.
    std::size_t column = usage.size() - usage.rfind('\n') - 1;
    for (const ModuleKey& key : ModuleKeys()) {
        const std::string word = std::string(key.name) + (key.name == "ip" ? " (required)," : ",");
        if (column + 1 + word.size() > 100) {
            usage += "\n ";
            column = 1;
        }
        usage += ' ' + word;
        column += 1 + word.size();
    }
    usage.back() = '.';
    return usage + "\n  vantrel-modsim --list-keys says what each takes. See sim/README.md.\n";
}

namespace {

// Whole seconds or with a decimal fraction, down to milliseconds.
bool ParseDuration(const std::string& text, unsigned& durationMs) {
    unsigned long whole = 0;
    unsigned long fraction = 0;
    unsigned long scale = 1000;
    bool digits = false;
    bool inFraction = false;
    for (const char c : text) {
        if (c == '.' && !inFraction) {
            inFraction = true;
            continue;
        }
        if (c < '0' || c > '9') return false;
        digits = true;
        if (!inFraction) {
            whole = whole * 10 + static_cast<unsigned long>(c - '0');
            if (whole > kMaxDurationSeconds) return false;
        } else if (scale > 1) {
            scale /= 10;
            fraction += static_cast<unsigned long>(c - '0') * scale;
        }
    }
    const unsigned long total = whole * 1000 + fraction;
    if (!digits || total == 0 || total > kMaxDurationSeconds * 1000ul) return false;
    durationMs = static_cast<unsigned>(total);
    return true;
}

}  // namespace

bool ParseModsimArguments(const std::vector<std::string>& args, ModsimOptions& options,
                          std::string& error) {
    options = ModsimOptions{};
    error.clear();
    app::command_line::Arguments rest = args;
    // Options with values first, so that a value is never taken for a flag.
    const auto every = [&](const char* name) {
        bool missing = false;
        std::vector<std::string> values = app::command_line::TakeEveryOption(rest, name, missing);
        if (missing && error.empty()) error = app::command_line::NeedsValue(name);
        return values;
    };
    const auto single = [&](const char* name) -> std::optional<std::string> {
        std::vector<std::string> values = every(name);
        if (values.size() > 1 && error.empty()) error = app::command_line::GivenTwice(name);
        if (values.empty()) return std::nullopt;
        return values.front();
    };
    // A flag may be repeated; it still means the same.
    const auto flag = [&](const char* name) {
        bool given = false;
        while (app::command_line::TakeFlag(rest, name)) given = true;
        return given;
    };
    options.configFiles = every("--config");
    options.moduleSpecs = every("--module");
    options.capturePath = single("--capture").value_or("");
    const std::optional<std::string> duration = single("--duration");
    if (!error.empty()) return false;
    options.broadcast = flag("--broadcast");
    options.help = flag("--help");
    options.help = flag("-h") || options.help;
    options.version = flag("--version");
    options.listKeys = flag("--list-keys");
    if (!rest.empty()) {
        // The simulator's word for it, which its scripts and tests know.
        error = "unknown argument " + app::command_line::Quoted(rest.front(), '"');
        return false;
    }
    if (duration && !ParseDuration(*duration, options.durationMs)) {
        error = "--duration " + app::command_line::Quoted(*duration, '"') +
                " is not a number of seconds from 0.001 to " + std::to_string(kMaxDurationSeconds);
        return false;
    }
    return true;
}

bool LoadModules(const ModsimOptions& options, std::vector<ModuleConfig>& modules,
                 std::string& error) {
    modules.clear();
    for (const std::string& path : options.configFiles) {
        // A folder opens like a file and reads as empty, so it would pass for one without modules.
        std::error_code folderCheck;
        const bool folder = std::filesystem::is_directory(path, folderCheck);
        std::ifstream file;
        if (!folder) file.open(path, std::ios::binary);
        if (folder || !file) {
            error = "cannot read the configuration file \"" + path +
                    "\": " + std::strerror(folder ? EISDIR : errno);
            return false;
        }
        std::ostringstream text;
        text << file.rdbuf();
        if (!ParseConfigText(text.str(), path, modules, error)) return false;
    }
    for (const std::string& moduleText : options.moduleSpecs) {
        ModuleConfig module;
        if (!ParseModuleSpec(moduleText, module, error)) return false;
        modules.push_back(module);
    }
    if (modules.empty() && !options.broadcast) {
        error = "no modules: give --module MODULE or --config FILE";
        return false;
    }
    return CheckModuleSet(modules, error);
}

bool CheckBroadcastAllowedHere(std::string& error) {
    std::vector<std::uint32_t> addresses;
    if (!platform::ReadInterfaceAddresses(addresses)) {
        error = "--broadcast: cannot read this computer's addresses";
        return false;
    }
    for (const std::uint32_t address : addresses) {
        if (!IsTestNetworkAddress(address)) {
            error =
                "--broadcast is only for the test network (run it with `scripts/testnet "
                "device`), but this host has the address " +
                netconfig::FormatIpAddress(address);
            return false;
        }
    }
    return true;
}

}  // namespace sim
