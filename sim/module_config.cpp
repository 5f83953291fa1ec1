#include "sim/module_config.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

#include "app/text_chars.h"
#include "netconfig/wire_layout.h"
#include "sim/module_keys.h"

namespace sim {

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = app::ToLowerAscii(c);
    return lower;
}

// Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on "\"" + text + "\"".
std::string Quoted(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted.push_back('"');
    quoted.append(text);
    quoted.push_back('"');
    return quoted;
}

// Keys already given for the module being read, so a repeated key is an error, and so the
// derived MAC address is only used when none was given.
using SeenKeys = std::set<std::string>;

bool ApplyKey(ModuleConfig& module, SeenKeys& seen, std::string_view rawKey, std::string_view value,
              std::string& error) {
    const std::string key = Lower(rawKey);
    if (key.empty()) {
        error = "missing key before \"=\"";
        return false;
    }
    if (!seen.insert(key).second) {
        error = "key " + Quoted(key) + " given twice";
        return false;
    }
    const ModuleKey* known = FindModuleKey(key);
    if (known == nullptr) {
        error = "unknown key " + Quoted(key) + " (known: " + ModuleKeyNames() + ")";
        return false;
    }
    std::string expected;
    const bool ok = known->apply(module, value, Lower(value), expected);
    if (!ok) error = key + " " + Quoted(value) + " is not " + expected;
    return ok;
}

bool FinishModule(ModuleConfig& module, const SeenKeys& seen, std::string& error) {
    if (seen.count("ip") == 0) {
        error = "module without an ip";
        return false;
    }
    if (!IsModuleAddressAllowed(module.ip)) {
        error = "ip " + netconfig::FormatIpAddress(module.ip) +
                " is outside 127.0.0.0/8 and the test network 198.18.0.2-198.18.0.254, "
                "198.18.1.1-198.18.1.254, 198.18.2.2-198.18.2.254, 198.18.64.1-198.18.67.254";
        return false;
    }
    if (seen.count("mac") == 0) {
        const auto* ip = reinterpret_cast<const std::uint8_t*>(&module.ip);
        module.mac = {0x02, 0x00, ip[0], ip[1], ip[2], ip[3]};
    }
    return true;
}

}  // namespace

ReplyBehaviour ModuleConfig::ReplyOn(std::uint16_t port) const {
    for (std::size_t i = 0; i < netconfig::wire::kPorts.size(); ++i)
        if (netconfig::wire::kPorts[i] == port && portReply[i]) return *portReply[i];
    return {reply, delayMs};
}

bool IsTestNetworkAddress(std::uint32_t address) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&address);
    if (netconfig::IsLoopbackAddress(address)) return true;
    if (bytes[0] != 198 || bytes[1] != 18) return false;
    // The panel's segment, the factory subnet, the routed part's second segment and transit,
    // and the far /22 behind the router.
    return bytes[2] <= 3 || (bytes[2] >= 64 && bytes[2] <= 67);
}

bool IsModuleAddressAllowed(std::uint32_t address) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&address);
    if (netconfig::IsLoopbackAddress(address)) return true;
    if (!IsTestNetworkAddress(address) || bytes[2] == 3) return false;  // 3: the routers' transit
    // .1 is the panel's side of its segments; .0 and .255 are not host addresses (the far /22
    // has no inner ones).
    if (bytes[2] >= 64)
        return !(bytes[2] == 64 && bytes[3] == 0) && !(bytes[2] == 67 && bytes[3] == 255);
    if (bytes[3] == 0 || bytes[3] == 255) return false;
    return bytes[2] == 1 || bytes[3] != 1;
}

bool ParseModuleSpec(std::string_view moduleText, ModuleConfig& module, std::string& error) {
    module = ModuleConfig{};
    SeenKeys seen;
    std::string what;
    std::string_view rest = moduleText;
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        const std::string_view pair = app::TrimBlanks(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        if (pair.empty()) continue;
        const auto equals = pair.find('=');
        if (equals == std::string_view::npos) {
            what = Quoted(pair) + " is not key=value";
        } else if (ApplyKey(module, seen, app::TrimBlanks(pair.substr(0, equals)),
                            app::TrimBlanks(pair.substr(equals + 1)), what)) {
            continue;
        }
        error = "--module " + Quoted(moduleText) + ": " + what;
        return false;
    }
    if (!FinishModule(module, seen, what)) {
        error = "--module " + Quoted(moduleText) + ": " + what;
        return false;
    }
    return true;
}

bool ParseConfigText(std::string_view text, std::string_view source,
                     std::vector<ModuleConfig>& modules, std::string& error) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());
    std::vector<ModuleConfig> parsed;
    bool inModule = false;
    SeenKeys seen;
    std::size_t sectionLine = 0;
    std::string what;
    auto failAt = [&](std::size_t line) {
        error = std::string(source) + ":" + std::to_string(line) + ": " + what;
        return false;
    };
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const auto newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
        // No value contains ';' or '#', so either starts a comment wherever it stands.
        line = app::TrimBlanks(line.substr(0, std::min(line.find(';'), line.find('#'))));
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (inModule && !FinishModule(parsed.back(), seen, what)) return failAt(sectionLine);
            const std::string_view name = app::TrimBlanks(line.substr(1, line.size() - 2));
            if (line.back() != ']' || Lower(name) != "module") {
                what = "unknown section " + Quoted(line) + " (only [module] sections are read)";
                return failAt(lineNumber);
            }
            parsed.emplace_back();
            seen.clear();
            inModule = true;
            sectionLine = lineNumber;
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            what = Quoted(line) + " is neither a [module] header nor key = value";
            return failAt(lineNumber);
        }
        if (!inModule) {
            what = "key = value before the first [module] section";
            return failAt(lineNumber);
        }
        if (!ApplyKey(parsed.back(), seen, app::TrimBlanks(line.substr(0, equals)),
                      app::TrimBlanks(line.substr(equals + 1)), what))
            return failAt(lineNumber);
    }
    if (inModule && !FinishModule(parsed.back(), seen, what)) return failAt(sectionLine);
    modules.insert(modules.end(), parsed.begin(), parsed.end());
    return true;
}

bool CheckModuleSet(const std::vector<ModuleConfig>& modules, std::string& error) {
    std::map<std::uint32_t, bool> addresses;  // each address and whether its modules share it
    for (const ModuleConfig& module : modules) {
        const auto [held, isNew] = addresses.emplace(module.ip, module.sharesIp);
        if (!isNew && !(held->second && module.sharesIp)) {
            error = "two modules on " + netconfig::FormatIpAddress(module.ip);
            return false;
        }
    }
    return true;
}

}  // namespace sim
