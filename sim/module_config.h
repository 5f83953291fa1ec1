#pragma once
// What one simulated module is: its addresses, what it answers with and how. Read from
// "key=value" text, either a --module argument or a [module] section of a configuration file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "netconfig/address_text.h"
#include "netconfig/wire_layout.h"
#include "sim/control_config.h"

namespace sim {

enum class ReplyMode {
    Normal,
    Silent,       // hears and takes writes, never answers
    Delayed,      // answers after delayMs
    WrongMagic,   // every reply carries the magic "WiZnBaDd"
    WrongStatus,  // switcher replies carry 2 in byte 8
    Short,        // every reply cut to 10 bytes
    Trailing,     // 16 extra bytes after every reply
    Twice,        // every reply sent two times
};

struct ReplyBehaviour {
    ReplyMode mode = ReplyMode::Normal;
    unsigned delayMs = 0;  // for Delayed
};

struct ModuleConfig {
    std::uint32_t ip = 0;  // network byte order, like every address here
    netconfig::MacAddress mac{};
    std::uint32_t mask = 0x00FFFFFFu;  // 255.255.255.0
    std::uint32_t gateway = 0;
    std::uint32_t switcher = 0;
    std::size_t switcherLength = netconfig::wire::kSwitcherReplyModuleLength;
    bool switchReplyMagic = false;  // "WiZnSwTc" instead of "WiZnInTc"
    bool answersPortA = true;       // 9100
    bool answersPortB = true;       // 9101
    ReplyMode reply = ReplyMode::Normal;
    unsigned delayMs = 0;
    // Per port (9100, 9101): when given, that port's replies behave so instead of as `reply`,
    // so a test can tell which port's reply the panel took.
    std::array<std::optional<ReplyBehaviour>, netconfig::wire::kPorts.size()> portReply{};
    std::size_t passportLength = netconfig::wire::kPassportStoredLength;
    bool hasPassportData = false;
    std::vector<std::uint8_t> passportData;  // the bytes after the MAC, when given
    std::size_t helloLength = netconfig::wire::kHelloRecordLength;
    // Answers the list request to 255.255.255.255, as a module still on a subnet the panel is
    // not on must: it has no route back to the panel's own address.
    bool helloByBroadcast = false;
    // A module whose firmware drops new network settings: it stays where it is.
    bool ignoresSettings = false;
    // Another module may hold the same ip, as after a mistake on a real network: both answer a
    // broadcast, and a unicast reaches one of them, as ARP would pick one.
    bool sharesIp = false;
    ControlConfig control;  // the control module on port 9000

    // How the replies to a request that came in on `port` (9100 or 9101) behave.
    ReplyBehaviour ReplyOn(std::uint16_t port) const;
};

constexpr std::size_t kMaxReplyLength = netconfig::wire::kReceiveBufferSize;
constexpr unsigned kMaxDelayMs = 60000;

// One module from comma-separated key=value pairs ("ip=127.0.0.2,reply=silent"). On failure
// `error` names the offending pair and `module` is unspecified.
bool ParseModuleSpec(std::string_view moduleText, ModuleConfig& module, std::string& error);

// Every [module] section of a configuration file's text, in order. `source` names the file in
// errors, which read "source:line: what is wrong".
bool ParseConfigText(std::string_view text, std::string_view source,
                     std::vector<ModuleConfig>& modules, std::string& error);

// Checks what only the whole set can tell: addresses the simulator may not use and two modules
// on one address unless both have shared-ip=yes. MAC addresses may repeat, as on a badly set-up
// network.
bool CheckModuleSet(const std::vector<ModuleConfig>& modules, std::string& error);

// The simulator only plays modules, and only answers peers, on loopback (127.0.0.0/8) and on
// the private test network (198.18.0.0/24, and 198.18.1.0/24 on the device side for modules
// still on a foreign "factory" subnet; with its routed part 198.18.2.0/24, the panel's second
// segment, and 198.18.64.0/22 behind a router), so it can never talk to a shared network.
bool IsTestNetworkAddress(std::uint32_t address);
bool IsModuleAddressAllowed(std::uint32_t address);

}  // namespace sim
