#pragma once
// The doctor's judgement of the facts the system gave: which interfaces can carry the modules'
// exchanges, whether the packet filter lets their replies in, and the one next step that matters
// most. Pure functions, so made-up facts drive them in tests.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/conflicts.h"
#include "netconfig/discovery.h"
#include "netconfig/wire_layout.h"
#include "platform/network_facts.h"

namespace cli {

enum class AdapterUse { Usable, Loopback, Down, NoAddress };
AdapterUse JudgeInterface(const platform::InterfaceFacts& facts);
// "loopback", "down", "no address"; empty for a usable one.
std::string AdapterUseReason(AdapterUse use);
// "usable", "not usable: loopback", "not usable: down", "not usable: no address".
std::string AdapterUseText(AdapterUse use);

enum class FirewallVerdict { Allowed, Dropped, Unknown };
struct FirewallJudgement {
    FirewallVerdict verdict = FirewallVerdict::Unknown;
    std::string reason;  // the rule or policy that decides, or why it cannot be told
};
// Whether the input path of these rules drops UDP datagrams to or from `port`. Only a rule that
// names the port, or the policy when no rule could have decided, gives an answer; anything the
// reading cannot follow makes the answer Unknown, never a guess.
FirewallJudgement JudgeFirewall(const platform::FirewallRules& rules, std::uint16_t port);

struct AdapterCheck {
    platform::InterfaceFacts facts;
    platform::BroadcastRoute route = platform::BroadcastRoute::Unknown;
    std::array<platform::PortBind, netconfig::wire::kPorts.size()> ports{};
    std::array<FirewallJudgement, netconfig::wire::kPorts.size()> firewall{};
};

struct DoctorFacts {
    std::vector<platform::InterfaceFacts> interfaces;
    std::vector<AdapterCheck> adapters;  // the usable interfaces, checked
    bool searched = false;
    std::vector<std::vector<netconfig::ModuleSighting>> found;  // per adapter, with --search
    std::vector<Conflict> conflicts;  // among the modules found and the listed devices
};

struct DoctorVerdict {
    bool clear = false;    // nothing stands in the way (searched: some module was found)
    std::string nextStep;  // one line
};
DoctorVerdict JudgeDoctor(const DoctorFacts& facts);

}  // namespace cli
