#include "cli/doctor_judge.h"

#include <sstream>

#include "netconfig/address_text.h"

namespace cli {

namespace {

enum class RuleAction { Accept, Drop, Other };

// One filter rule of the input path, as far as the doctor reads it.
struct FilterRule {
    std::string text;
    RuleAction action = RuleAction::Other;
    bool namesPorts = false;  // has a port match the reading understood
    bool coversPort = false;  // ... and that match includes the port
    bool unreadable = false;  // has a port match the reading could not follow (negation)
};

std::vector<std::string> Words(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

// "9100", "9000-9200", "9000:9200", "9100,9101"; false when `item` is none of those.
bool ItemCovers(const std::string& item, std::uint16_t port, bool& covers) {
    std::istringstream parts(item);
    bool any = false;
    for (std::string part; std::getline(parts, part, ',');) {
        if (part.empty()) continue;
        const auto dash = part.find_first_of("-:");
        try {
            std::size_t used = 0;
            const unsigned long low = std::stoul(part.substr(0, dash), &used);
            if (used != part.substr(0, dash).size()) return false;
            const unsigned long high =
                dash == std::string::npos ? low : std::stoul(part.substr(dash + 1));
            covers = covers || (low <= port && port <= high);
            any = true;
        } catch (const std::exception&) {
            return false;
        }
    }
    return any;
}

FilterRule ReadRule(const std::string& line, std::uint16_t port, bool iptables) {
    FilterRule rule;
    rule.text = line.substr(line.find_first_not_of(" \t"));
    const auto words = Words(line);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "accept" || word == "ACCEPT") rule.action = RuleAction::Accept;
        if (word == "drop" || word == "reject" || word == "DROP" || word == "REJECT")
            rule.action = RuleAction::Drop;
        const bool portWord = iptables ? (word == "--dport" || word == "--sport" ||
                                          word == "--dports" || word == "--sports")
                                       : (word == "dport" || word == "sport");
        if (!portWord || i + 1 >= words.size()) continue;
        std::size_t next = i + 1;
        if (words[next] == "!=" || words[next] == "!" || (i > 0 && words[i - 1] == "!")) {
            rule.unreadable = true;
            continue;
        }
        std::string value = words[next];
        if (value == "{")
            for (value.clear(); ++next < words.size() && words[next] != "}";) value += words[next];
        if (ItemCovers(value, port, rule.coversPort))
            rule.namesPorts = true;
        else
            rule.unreadable = true;
    }
    return rule;
}

// The input path's rules in order and its policy, from nft's or iptables-save's listing.
struct InputPath {
    std::vector<FilterRule> rules;
    bool policyDrops = false;
    std::string policyText;
};

InputPath ReadInputPath(const platform::FirewallRules& listing, std::uint16_t port) {
    InputPath path;
    std::istringstream lines(listing.text);
    const bool iptables = listing.tool == "iptables-save";
    bool inInput = false;
    std::string chain;
    for (std::string line; std::getline(lines, line);) {
        const auto words = Words(line);
        if (words.empty()) continue;
        if (iptables) {
            if (words[0] == ":INPUT" && words.size() > 1) {
                path.policyDrops = words[1] == "DROP";
                path.policyText = "policy " + words[1] + " of chain INPUT";
            } else if (words[0] == "-A" && words.size() > 1 && words[1] == "INPUT") {
                path.rules.push_back(ReadRule(line, port, true));
            }
            continue;
        }
        if (words[0] == "chain" && words.size() > 1) {
            chain = words[1];
            inInput = false;
        } else if (words[0] == "}") {
            inInput = false;
        } else if (words[0] == "type" && line.find("hook input") != std::string::npos) {
            inInput = true;
            if (line.find("policy drop") != std::string::npos) {
                path.policyDrops = true;
                path.policyText = "policy drop of chain " + chain;
            }
        } else if (inInput) {
            path.rules.push_back(ReadRule(line, port, false));
        }
    }
    return path;
}

std::string PortText(std::uint16_t port) { return "UDP " + std::to_string(port); }

}  // namespace

AdapterUse JudgeInterface(const platform::InterfaceFacts& facts) {
    if (facts.loopback) return AdapterUse::Loopback;
    if (!facts.up) return AdapterUse::Down;
    if (!facts.hasAddress || facts.address == 0) return AdapterUse::NoAddress;
    return AdapterUse::Usable;
}

std::string AdapterUseReason(AdapterUse use) {
    switch (use) {
        case AdapterUse::Usable: return "";
        case AdapterUse::Loopback: return "loopback";
        case AdapterUse::Down: return "down";
        case AdapterUse::NoAddress: return "no address";
    }
    return "";
}

std::string AdapterUseText(AdapterUse use) {
    return use == AdapterUse::Usable ? "usable" : "not usable: " + AdapterUseReason(use);
}

FirewallJudgement JudgeFirewall(const platform::FirewallRules& rules, std::uint16_t port) {
    if (!rules.readable) return {FirewallVerdict::Unknown, "the firewall rules could not be read"};
    const InputPath path = ReadInputPath(rules, port);
    for (const FilterRule& rule : path.rules) {
        if (rule.action == RuleAction::Other) continue;
        // A rule whose conditions the reading cannot follow may or may not catch the replies.
        if (rule.unreadable || !rule.namesPorts)
            return {FirewallVerdict::Unknown, "rule \"" + rule.text + "\" may decide"};
        if (!rule.coversPort) continue;
        if (rule.action == RuleAction::Drop)
            return {FirewallVerdict::Dropped, "rule \"" + rule.text + "\""};
        return {FirewallVerdict::Allowed, "rule \"" + rule.text + "\""};
    }
    if (path.policyDrops) return {FirewallVerdict::Dropped, path.policyText};
    return {FirewallVerdict::Allowed, "no rule drops " + PortText(port)};
}

DoctorVerdict JudgeDoctor(const DoctorFacts& facts) {
    if (facts.adapters.empty()) {
        for (const auto& interface : facts.interfaces)
            if (JudgeInterface(interface) == AdapterUse::Down)
                return {false, "No usable adapter: bring up " + interface.name +
                                   " (it is down) or connect another to the modules' network"};
        return {false, "No usable adapter: connect this computer to the modules' network"};
    }
    bool anyLink = false;
    std::string names;
    for (const auto& adapter : facts.adapters) {
        anyLink = anyLink || adapter.facts.link;
        names += (names.empty() ? "" : " or ") + adapter.facts.name;
        for (std::size_t i = 0; i < netconfig::wire::kPorts.size(); ++i) {
            const auto& bind = adapter.ports[i];
            if (bind.bindable) continue;
            const std::string who = bind.holder.empty() ? "another program" : bind.holder;
            return {false, PortText(netconfig::wire::kPorts[i]) + " cannot be bound on " +
                               netconfig::FormatIpAddress(adapter.facts.address) + " (" +
                               adapter.facts.name + "): " +
                               (bind.heldByOther ? "held by " + who + "; close it" : bind.error)};
        }
        for (std::size_t i = 0; i < netconfig::wire::kPorts.size(); ++i)
            if (adapter.firewall[i].verdict == FirewallVerdict::Dropped)
                return {false, "Replies on " + PortText(netconfig::wire::kPorts[i]) +
                                   " are dropped by firewall " + adapter.firewall[i].reason +
                                   ": allow them"};
    }
    if (!anyLink) return {false, "No adapter has a link: check the cable of " + names};
    // Two modules on one address answer for each other, so neither can be told apart.
    if (!facts.conflicts.empty())
        return {false, "Address conflict: " + ConflictText(facts.conflicts.front())};
    if (!facts.searched)
        return {true, "Nothing stands in the way on " + names +
                          "; 'vantrel-cli doctor --search' would look for modules (it broadcasts "
                          "on each usable adapter)"};
    for (std::size_t a = 0; a < facts.adapters.size() && a < facts.found.size(); ++a) {
        if (facts.found[a].empty()) continue;
        const auto& adapter = facts.adapters[a].facts;
        std::string step = "Modules were found on " + adapter.name + ": choose " +
                           netconfig::FormatIpAddress(adapter.address) + " in the panel";
        // Found, but out of reach of every unicast exchange until it has an address here.
        for (const auto& module : facts.found[a])
            if (!module.byUnicast)
                return {true,
                        step + "; " + netconfig::FormatMacAddress(module.record.Mac()) + " (" +
                            netconfig::FormatIpAddress(module.record.Ip()) +
                            ") answered only by broadcast: it is on another subnet, give it an "
                            "address on the subnet of " +
                            adapter.name + " with the wizard or 'vantrel-cli set-network'"};
        return {true, step};
    }
    return {false,
            "No module answered on any adapter: check that the device is powered and cabled "
            "to the segment of " +
                names};
}

}  // namespace cli
