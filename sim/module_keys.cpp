#include "sim/module_keys.h"

#include <array>

#include "app/number_text.h"
#include "netconfig/wire_layout.h"

namespace sim {

namespace {

bool ParseUnsigned(std::string_view text, unsigned long maximum, unsigned long& value) {
    std::uint64_t parsed = 0;
    if (!app::ParseDecimal(text, 10, maximum, parsed)) return false;
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
        if (!app::DecodeHex(text.substr(i, 2), std::span(&byte, 1))) return false;
        bytes.push_back(byte);
        i += 2;
    }
    return true;
}

constexpr ReplyModeName kReplyModes[] = {
    {"normal", ReplyMode::Normal, "", "answers at once"},
    {"silent", ReplyMode::Silent, "", "never answers; still takes switcher addresses and settings"},
    {"delay", ReplyMode::Delayed, ":N", "answers after N ms, not holding up the other modules"},
    {"wrong-magic", ReplyMode::WrongMagic, "", "puts WiZnBaDd in bytes 0-7 of every reply"},
    {"wrong-status", ReplyMode::WrongStatus, "", "switcher replies carry 2 in byte 8"},
    {"short", ReplyMode::Short, "", "every reply is cut to 10 bytes"},
    {"trailing", ReplyMode::Trailing, "", "16 bytes of 0xEE follow every reply"},
    {"twice", ReplyMode::Twice, "", "sends every reply two times"},
};

// "normal, silent, delay:N (N up to 60000 ms), ... or twice".
std::string ReplyModesExpected() {
    std::string text;
    for (const ReplyModeName& entry : kReplyModes) {
        const bool last = &entry == &kReplyModes[std::size(kReplyModes) - 1];
        if (!text.empty()) text += last ? " or " : ", ";
        text.append(entry.name).append(entry.argument);
        if (!entry.argument.empty()) text += " (N up to " + std::to_string(kMaxDelayMs) + " ms)";
    }
    return text;
}

bool ParseReplyBehaviour(std::string_view text, ReplyBehaviour& behaviour) {
    for (const ReplyModeName& entry : kReplyModes) {
        if (entry.argument.empty()) {
            if (text != entry.name) continue;
            behaviour = {entry.mode, 0};
            return true;
        }
        if (!text.starts_with(entry.name) || text.substr(entry.name.size(), 1) != ":") continue;
        unsigned long delay = 0;
        if (!ParseUnsigned(text.substr(entry.name.size() + 1), kMaxDelayMs, delay)) return false;
        behaviour = {entry.mode, static_cast<unsigned>(delay)};
        return true;
    }
    return false;
}

bool ApplyAddress(std::uint32_t& field, std::string_view value, std::string& expected) {
    expected = "a dotted IPv4 address such as 198.18.0.2";
    return netconfig::ParseIpAddress(value, field);
}

bool ApplyLength(std::size_t& field, std::string_view value, std::string& expected) {
    unsigned long number = 0;
    const bool ok = ParseUnsigned(value, kMaxReplyLength, number);
    field = number;
    expected = "a length from 0 to " + std::to_string(kMaxReplyLength);
    return ok;
}

bool ApplyReply(std::optional<ReplyBehaviour>* port, ModuleConfig& module,
                std::string_view lowerValue, std::string& expected) {
    ReplyBehaviour behaviour;
    const bool ok = ParseReplyBehaviour(lowerValue, behaviour);
    if (port != nullptr) {
        *port = behaviour;
    } else {
        module.reply = behaviour.mode;
        module.delayMs = behaviour.delayMs;
    }
    expected = ReplyModesExpected();
    return ok;
}

constexpr ModuleKey kKeys[] = {
    {"ip", "the module's dotted IPv4 address, on loopback or the test network (required)",
     [](ModuleConfig& m, std::string_view v, std::string_view, std::string& e) {
         return ApplyAddress(m.ip, v, e);
     }},
    {"mac", "its MAC address, e.g. 00:0A:1B:2C:3D:4E (default 02:00 and the ip's four bytes)",
     [](ModuleConfig& m, std::string_view v, std::string_view, std::string& e) {
         e = "six hexadecimal bytes such as 00:0A:1B:2C:3D:4E";
         return netconfig::ParseMacAddress(v, m.mac);
     }},
    {"mask", "the dotted network mask it reports",
     [](ModuleConfig& m, std::string_view v, std::string_view, std::string& e) {
         return ApplyAddress(m.mask, v, e);
     }},
    {"gateway", "the dotted default gateway it reports",
     [](ModuleConfig& m, std::string_view v, std::string_view, std::string& e) {
         return ApplyAddress(m.gateway, v, e);
     }},
    {"switcher", "the dotted switcher address it reports",
     [](ModuleConfig& m, std::string_view v, std::string_view, std::string& e) {
         return ApplyAddress(m.switcher, v, e);
     }},
    {"switcher-magic", "the switcher reply's magic, WiZnInTc (default) or WiZnSwTc",
     [](ModuleConfig& m, std::string_view v, std::string_view, std::string& e) {
         m.switchReplyMagic = v == netconfig::wire::kSwitcherReplyAltMagic;
         e = "WiZnInTc or WiZnSwTc";
         return v == netconfig::wire::kSwitcherReplyMagic ||
                v == netconfig::wire::kSwitcherReplyAltMagic;
     }},
    {"switcher-length", "the switcher reply's length, cut or filled with zeros",
     [](ModuleConfig& m, std::string_view v, std::string_view, std::string& e) {
         return ApplyLength(m.switcherLength, v, e);
     }},
    {"ports", "the ports it answers on: both (default), 9100, 9101 or none",
     [](ModuleConfig& m, std::string_view, std::string_view v, std::string& e) {
         m.answersPortA = v == "both" || v == "9100";
         m.answersPortB = v == "both" || v == "9101";
         e = "both, 9100, 9101 or none";
         return v == "both" || v == "9100" || v == "9101" || v == "none";
     }},
    {"reply", "how every reply behaves: a reply behaviour below (default normal)",
     [](ModuleConfig& m, std::string_view, std::string_view v, std::string& e) {
         return ApplyReply(nullptr, m, v, e);
     }},
    {"passport-length", "the passport reply's length, cut or filled",
     [](ModuleConfig& m, std::string_view v, std::string_view, std::string& e) {
         return ApplyLength(m.passportLength, v, e);
     }},
    {"passport", "hex bytes of the passport after the MAC (default a pattern of offsets)",
     [](ModuleConfig& m, std::string_view v, std::string_view, std::string& e) {
         constexpr std::size_t kMost = kMaxReplyLength - netconfig::wire::kPassportFieldsEnd;
         m.hasPassportData = true;
         e = "hexadecimal bytes, at most " + std::to_string(kMost);
         return ParseHexBytes(v, m.passportData) && m.passportData.size() <= kMost;
     }},
    {"hello-length", "the hello reply's length, cut or filled",
     [](ModuleConfig& m, std::string_view v, std::string_view, std::string& e) {
         return ApplyLength(m.helloLength, v, e);
     }},
    {"hello-to", "where the hello goes: the sender (default) or broadcast",
     [](ModuleConfig& m, std::string_view, std::string_view v, std::string& e) {
         m.helloByBroadcast = v == "broadcast";
         e = "sender or broadcast";
         return v == "sender" || v == "broadcast";
     }},
    {"settings", "what the module does with new network settings: take (default) or ignore",
     [](ModuleConfig& m, std::string_view, std::string_view v, std::string& e) {
         m.ignoresSettings = v == "ignore";
         e = "take or ignore";
         return v == "take" || v == "ignore";
     }},
    {"shared-ip", "yes or no (default): another module may hold the same ip (an address conflict)",
     [](ModuleConfig& m, std::string_view, std::string_view v, std::string& e) {
         m.sharesIp = v == "yes";
         e = "yes or no";
         return v == "yes" || v == "no";
     }},
    {"reply-9100", "as reply, for the replies on port 9100 only",
     [](ModuleConfig& m, std::string_view, std::string_view v, std::string& e) {
         return ApplyReply(&m.portReply[0], m, v, e);
     }},
    {"reply-9101", "as reply, for the replies on port 9101 only",
     [](ModuleConfig& m, std::string_view, std::string_view v, std::string& e) {
         return ApplyReply(&m.portReply[1], m, v, e);
     }},
    {"control", "on or off (default): plays the device's control module on port 9000",
     [](ModuleConfig& m, std::string_view, std::string_view v, std::string& e) {
         m.control.enabled = v == "on";
         e = "on or off";
         return v == "on" || v == "off";
     }},
    {"control-address", "the device address its framed replies carry (default 1)",
     [](ModuleConfig& m, std::string_view v, std::string_view, std::string& e) {
         unsigned long number = 0;
         const bool ok = ParseUnsigned(v, 255, number);
         m.control.deviceAddress = static_cast<std::uint8_t>(number);
         e = "a device address from 0 to 255";
         return ok;
     }},
    {"control-fault", "a control fault below, or one per request joined by +; turns control on",
     [](ModuleConfig& m, std::string_view, std::string_view v, std::string& e) {
         return ParseControlFault(v, m.control, e);
     }},
};

constexpr std::size_t kNameColumn = 18;

void AppendRow(std::string& text, std::string_view name, std::string_view argument,
               std::string_view help) {
    std::string entry = "  " + std::string(name) + std::string(argument);
    entry.resize(std::max(entry.size() + 1, kNameColumn + 2), ' ');
    text += entry;
    text.append(help);
    text += '\n';
}

}  // namespace

std::span<const ModuleKey> ModuleKeys() { return kKeys; }

std::span<const ReplyModeName> ReplyModes() { return kReplyModes; }

const ModuleKey* FindModuleKey(std::string_view lowerName) {
    for (const ModuleKey& key : kKeys)
        if (key.name == lowerName) return &key;
    return nullptr;
}

std::string ModuleKeyNames() {
    std::string names;
    for (const ModuleKey& key : kKeys) {
        if (!names.empty()) names += ", ";
        names.append(key.name);
    }
    return names;
}

std::string ListKeysText() {
    std::string text = "Keys of a [module] section or a --module text (key=value,...):\n";
    for (const ModuleKey& key : kKeys) AppendRow(text, key.name, "", key.help);
    text += "Reply behaviours, the values of reply, reply-9100 and reply-9101:\n";
    for (const ReplyModeName& mode : kReplyModes)
        AppendRow(text, mode.name, mode.argument, mode.help);
    text += "Control faults, the values of control-fault (N and MS up to " +
            std::to_string(kMaxFaultCount) + "):\n";
    for (const ControlFaultName& fault : ControlFaults())
        AppendRow(text, fault.name, fault.argument, fault.help);
    return text;
}

}  // namespace sim
