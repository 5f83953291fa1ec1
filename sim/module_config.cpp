#include "sim/module_config.h"

#include <algorithm>
#include <array>
#include <set>

#include "app/number_text.h"
#include "app/text_chars.h"
#include "netconfig/wire_layout.h"

namespace sim {

namespace {

constexpr std::string_view kKnownKeys =
    "ip, mac, mask, gateway, switcher, switcher-magic, switcher-length, ports, reply, "
    "passport-length, passport, hello-length, hello-to, reply-9100, reply-9101, control, "
    "control-address, control-fault";

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) c = ToLowerAscii(c);
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

bool ParseUnsigned(std::string_view text, unsigned long maximum, unsigned long& value) {
    std::uint64_t parsed = 0;
    if (!ParseDecimal(text, 10, maximum, parsed)) return false;
    value = static_cast<unsigned long>(parsed);
    return true;
}

// Hex digit pairs; spaces, ':' and '-' between bytes are allowed for readability.
bool ParseHexBytes(std::string_view text, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == ':' || c == '-') {
            ++i;
            continue;
        }
        std::uint8_t byte = 0;
        if (!DecodeHex(text.substr(i, 2), std::span(&byte, 1))) return false;
        bytes.push_back(byte);
        i += 2;
    }
    return true;
}

bool ParseReplyBehaviour(std::string_view text, ReplyBehaviour& behaviour) {
    static constexpr std::array<std::pair<std::string_view, ReplyMode>, 7> kModes = {{
        {"normal", ReplyMode::Normal},
        {"silent", ReplyMode::Silent},
        {"wrong-magic", ReplyMode::WrongMagic},
        {"wrong-status", ReplyMode::WrongStatus},
        {"short", ReplyMode::Short},
        {"trailing", ReplyMode::Trailing},
        {"twice", ReplyMode::Twice},
    }};
    for (const auto& [name, mode] : kModes) {
        if (text == name) {
            behaviour = {mode, 0};
            return true;
        }
    }
    constexpr std::string_view kDelay = "delay:";
    unsigned long delay = 0;
    if (text.substr(0, kDelay.size()) != kDelay ||
        !ParseUnsigned(text.substr(kDelay.size()), kMaxDelayMs, delay))
        return false;
    behaviour = {ReplyMode::Delayed, static_cast<unsigned>(delay)};
    return true;
}

// Keys already given for the module being read, so a repeated key is an error, and so the
// derived MAC address is only used when none was given.
using SeenKeys = std::set<std::string>;

bool ApplyKey(ModuleConfig& module, SeenKeys& seen, std::string_view rawKey,
              std::string_view value, std::string& error) {
    const std::string key = Lower(rawKey);
    if (key.empty()) {
        error = "missing key before \"=\"";
        return false;
    }
    if (!seen.insert(key).second) {
        error = "key " + Quoted(key) + " given twice";
        return false;
    }
    const std::string lowerValue = Lower(value);
    unsigned long number = 0;
    bool ok = true;
    std::string expected;
    if (key == "ip" || key == "mask" || key == "gateway" || key == "switcher") {
        std::uint32_t& field = key == "ip"     ? module.ip
                               : key == "mask" ? module.mask
                               : key == "gateway" ? module.gateway
                                                  : module.switcher;
        ok = ParseIpAddress(value, field);
        expected = "a dotted IPv4 address such as 198.18.0.2";
    } else if (key == "mac") {
        ok = ParseMacAddress(value, module.mac);
        expected = "six hexadecimal bytes such as 00:0A:1B:2C:3D:4E";
    } else if (key == "switcher-magic") {
        ok = value == wire::kSwitcherReplyMagic || value == wire::kSwitcherReplyAltMagic;
        module.switchReplyMagic = value == wire::kSwitcherReplyAltMagic;
        expected = "WiZnInTc or WiZnSwTc";
    } else if (key == "ports") {
        ok = lowerValue == "both" || lowerValue == "9100" || lowerValue == "9101" ||
             lowerValue == "none";
        module.answersPortA = lowerValue == "both" || lowerValue == "9100";
        module.answersPortB = lowerValue == "both" || lowerValue == "9101";
        expected = "both, 9100, 9101 or none";
    } else if (key == "reply" || key == "reply-9100" || key == "reply-9101") {
        ReplyBehaviour behaviour;
        ok = ParseReplyBehaviour(lowerValue, behaviour);
        if (key == "reply") {
            module.reply = behaviour.mode;
            module.delayMs = behaviour.delayMs;
        } else {
            module.portReply[key == "reply-9100" ? 0 : 1] = behaviour;
        }
        expected = "normal, silent, delay:N (N up to " + std::to_string(kMaxDelayMs) +
                   " ms), wrong-magic, wrong-status, short, trailing or twice";
    } else if (key == "switcher-length" || key == "passport-length" || key == "hello-length") {
        ok = ParseUnsigned(value, kMaxReplyLength, number);
        (key == "switcher-length"   ? module.switcherLength
         : key == "passport-length" ? module.passportLength
                                    : module.helloLength) = number;
        expected = "a length from 0 to " + std::to_string(kMaxReplyLength);
    } else if (key == "hello-to") {
        ok = lowerValue == "sender" || lowerValue == "broadcast";
        module.helloByBroadcast = lowerValue == "broadcast";
        expected = "sender or broadcast";
    } else if (key == "passport") {
        ok = ParseHexBytes(value, module.passportData) &&
             module.passportData.size() <= kMaxReplyLength - wire::kPassportFieldsEnd;
        module.hasPassportData = true;
        expected = "hexadecimal bytes, at most " +
                   std::to_string(kMaxReplyLength - wire::kPassportFieldsEnd);
    } else if (key == "control") {
        ok = lowerValue == "on" || lowerValue == "off";
        module.control.enabled = lowerValue == "on";
        expected = "on or off";
    } else if (key == "control-address") {
        ok = ParseUnsigned(value, 255, number);
        module.control.deviceAddress = static_cast<std::uint8_t>(number);
        expected = "a device address from 0 to 255";
    } else if (key == "control-fault") {
        ok = ParseControlFault(lowerValue, module.control, expected);
    } else {
        error = "unknown key " + Quoted(key) + " (known: " + std::string(kKnownKeys) + ")";
        return false;
    }
    if (!ok) error = key + " " + Quoted(value) + " is not " + expected;
    return ok;
}

bool FinishModule(ModuleConfig& module, const SeenKeys& seen, std::string& error) {
    if (seen.count("ip") == 0) {
        error = "module without an ip";
        return false;
    }
    if (!IsModuleAddressAllowed(module.ip)) {
        error = "ip " + FormatIpAddress(module.ip) +
                " is outside 127.0.0.0/8 and the test network 198.18.0.2-198.18.0.254, 198.18.1.1-198.18.1.254";
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
    for (std::size_t i = 0; i < wire::kPorts.size(); ++i)
        if (wire::kPorts[i] == port && portReply[i]) return *portReply[i];
    return {reply, delayMs};
}

bool IsTestNetworkAddress(std::uint32_t address) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&address);
    return IsLoopbackAddress(address) || (bytes[0] == 198 && bytes[1] == 18 && bytes[2] <= 1);
}

bool IsModuleAddressAllowed(std::uint32_t address) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&address);
    if (IsLoopbackAddress(address)) return true;
    // .1 is the panel side of the test network; .0 and .255 are not host addresses.
    if (bytes[0] != 198 || bytes[1] != 18 || bytes[3] == 0 || bytes[3] == 255) return false;
    return (bytes[2] == 0 && bytes[3] != 1) || bytes[2] == 1;
}

bool ParseModuleSpec(std::string_view moduleText, ModuleConfig& module, std::string& error) {
    module = ModuleConfig{};
    SeenKeys seen;
    std::string what;
    std::string_view rest = moduleText;
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        const std::string_view pair = TrimBlanks(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        if (pair.empty()) continue;
        const auto equals = pair.find('=');
        if (equals == std::string_view::npos) {
            what = Quoted(pair) + " is not key=value";
        } else if (ApplyKey(module, seen, TrimBlanks(pair.substr(0, equals)),
                            TrimBlanks(pair.substr(equals + 1)), what)) {
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
        line = TrimBlanks(line.substr(0, std::min(line.find(';'), line.find('#'))));
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (inModule && !FinishModule(parsed.back(), seen, what)) return failAt(sectionLine);
            const std::string_view name = TrimBlanks(line.substr(1, line.size() - 2));
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
        if (!ApplyKey(parsed.back(), seen, TrimBlanks(line.substr(0, equals)),
                      TrimBlanks(line.substr(equals + 1)), what))
            return failAt(lineNumber);
    }
    if (inModule && !FinishModule(parsed.back(), seen, what)) return failAt(sectionLine);
    modules.insert(modules.end(), parsed.begin(), parsed.end());
    return true;
}

bool CheckModuleSet(const std::vector<ModuleConfig>& modules, std::string& error) {
    std::set<std::uint32_t> addresses;
    for (const ModuleConfig& module : modules) {
        if (!addresses.insert(module.ip).second) {
            error = "two modules on " + FormatIpAddress(module.ip);
            return false;
        }
    }
    return true;
}

}  // namespace sim
