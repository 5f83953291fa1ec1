// The doctor's judgement, driven by made-up system facts: which interfaces are adapters, what the
// firewall listing says about the replies, and which next step is named.
#include <gtest/gtest.h>

#include "cli/doctor_judge.h"
#include "cli/doctor_output.h"
#include "tests/unit/netconfig_test_support.h"

namespace {

using cli::FirewallVerdict;

platform::InterfaceFacts Interface(const char* name, std::uint32_t address, bool up = true,
                                   bool link = true) {
    return {name, address != 0, address, 24, up, link, false};
}

cli::AdapterCheck Adapter(const char* name, std::uint32_t address) {
    cli::AdapterCheck check;
    check.facts = Interface(name, address);
    check.route = platform::BroadcastRoute::Default;
    for (auto& port : check.ports) port.bindable = true;
    for (auto& firewall : check.firewall) firewall = {FirewallVerdict::Allowed, "no rule"};
    return check;
}

platform::FirewallRules Nft(std::string text) { return {true, "nft", std::move(text)}; }

std::string NftInput(const std::string& policy, const std::string& rules) {
    return "table inet filter {\n\tchain input {\n\t\ttype filter hook input priority filter; "
           "policy " +
           policy + ";\n" + rules +
           "\t}\n\tchain output {\n\t\ttype filter hook output priority "
           "filter; policy drop;\n\t\tudp dport 9100 drop\n\t}\n}\n";
}

TEST(DoctorInterfaces, LoopbackDownAndAddresslessAreNotAdaptersAndSaySo) {
    auto loopback = Interface("lo", AddressOf(127, 0, 0, 1));
    loopback.loopback = true;
    EXPECT_EQ(cli::AdapterUseText(cli::JudgeInterface(loopback)), "not usable: loopback");
    EXPECT_EQ(
        cli::AdapterUseText(cli::JudgeInterface(Interface("eth1", AddressOf(10, 0, 0, 1), false))),
        "not usable: down");
    EXPECT_EQ(cli::AdapterUseText(cli::JudgeInterface(Interface("eth2", 0))),
              "not usable: no address");
    // No link is worth saying, but the panel would still offer the adapter.
    EXPECT_EQ(cli::JudgeInterface(Interface("eth3", AddressOf(10, 0, 0, 3), true, false)),
              cli::AdapterUse::Usable);
}

TEST(DoctorFirewall, ARuleNamingThePortDecidesAndIsNamed) {
    const auto rules = Nft(NftInput("accept", "\t\tudp dport 9100 drop\n"));
    const auto dropped = cli::JudgeFirewall(rules, 9100);
    EXPECT_EQ(dropped.verdict, FirewallVerdict::Dropped);
    EXPECT_EQ(dropped.reason, "rule \"udp dport 9100 drop\"");
    // The output chain's rule is no concern of the replies.
    EXPECT_EQ(cli::JudgeFirewall(rules, 9101).verdict, FirewallVerdict::Allowed);

    EXPECT_EQ(
        cli::JudgeFirewall(Nft(NftInput("accept", "\t\tudp sport { 9000-9200 } reject\n")), 9101)
            .verdict,
        FirewallVerdict::Dropped);
    EXPECT_EQ(cli::JudgeFirewall(Nft(NftInput("accept", "\t\tudp dport { 80, 9101 } drop\n")), 9100)
                  .verdict,
              FirewallVerdict::Allowed);
    // The first rule that names the port wins, as the filter itself reads them.
    const auto accepted = cli::JudgeFirewall(
        Nft(NftInput("drop", "\t\tudp dport 9100 accept\n\t\tudp dport 9100 drop\n")), 9100);
    EXPECT_EQ(accepted.verdict, FirewallVerdict::Allowed);
    const auto policy =
        cli::JudgeFirewall(Nft(NftInput("drop", "\t\ttcp dport 22 accept\n")), 9100);
    EXPECT_EQ(policy.verdict, FirewallVerdict::Dropped);
    EXPECT_EQ(policy.reason, "policy drop of chain input");

    const platform::FirewallRules iptables{true, "iptables-save",
                                           "*filter\n:INPUT ACCEPT [0:0]\n:OUTPUT ACCEPT [0:0]\n"
                                           "-A INPUT -p udp -m udp --dport 9101 -j DROP\nCOMMIT\n"};
    EXPECT_EQ(cli::JudgeFirewall(iptables, 9101).reason,
              "rule \"-A INPUT -p udp -m udp --dport 9101 -j DROP\"");
    EXPECT_EQ(cli::JudgeFirewall(iptables, 9100).verdict, FirewallVerdict::Allowed);
}

// What the reading cannot follow is "unknown", never a guess either way.
TEST(DoctorFirewall, RulesItCannotFollowGiveUnknown) {
    EXPECT_EQ(cli::JudgeFirewall({}, 9100).verdict, FirewallVerdict::Unknown);
    for (const char* rule :
         {"\t\tip saddr 198.18.0.0/24 drop\n", "\t\tudp dport != 53 drop\n",
          "\t\tct state established,related accept\n", "\t\tudp dport @blocked drop\n"}) {
        const std::string policy =
            std::string(rule).find("accept") != std::string::npos ? "drop" : "accept";
        EXPECT_EQ(cli::JudgeFirewall(Nft(NftInput(policy, rule)), 9100).verdict,
                  FirewallVerdict::Unknown)
            << rule;
    }
}

TEST(DoctorNextStep, NamesTheFirstObstacleInOrderOfWhatMatters) {
    cli::DoctorFacts facts;
    facts.interfaces = {Interface("eth1", AddressOf(10, 0, 0, 1), false)};
    EXPECT_EQ(
        cli::JudgeDoctor(facts).nextStep,
        "No usable adapter: bring up eth1 (it is down) or connect another to the modules' network");
    EXPECT_FALSE(cli::JudgeDoctor(facts).clear);

    facts.adapters = {Adapter("eth1", AddressOf(192, 168, 1, 5))};
    facts.adapters[0].ports[1] = {false, true, "vantrel-panel (pid 42)", "Address already in use"};
    facts.adapters[0].firewall[0] = {FirewallVerdict::Dropped, "rule \"udp dport 9100 drop\""};
    EXPECT_EQ(
        cli::JudgeDoctor(facts).nextStep,
        "UDP 9101 cannot be bound on 192.168.1.5 (eth1): held by vantrel-panel (pid 42); close it");

    facts.adapters[0].ports[1] = {true, false, "", ""};
    EXPECT_EQ(
        cli::JudgeDoctor(facts).nextStep,
        "Replies on UDP 9100 are dropped by firewall rule \"udp dport 9100 drop\": allow them");

    facts.adapters[0].firewall[0] = {FirewallVerdict::Unknown,
                                     "the firewall rules could not be read"};
    facts.adapters[0].facts.link = false;
    EXPECT_EQ(cli::JudgeDoctor(facts).nextStep, "No adapter has a link: check the cable of eth1");

    facts.adapters[0].facts.link = true;
    EXPECT_TRUE(cli::JudgeDoctor(facts).clear);

    facts.adapters.push_back(Adapter("eth2", AddressOf(10, 1, 1, 1)));
    facts.searched = true;
    facts.found.assign(2, {});
    EXPECT_EQ(
        cli::JudgeDoctor(facts).nextStep,
        "No module answered on any adapter: check that the device is powered and cabled to the "
        "segment of eth1 or eth2");
    EXPECT_FALSE(cli::JudgeDoctor(facts).clear);
    facts.found[1].emplace_back().byUnicast = true;
    EXPECT_EQ(cli::JudgeDoctor(facts).nextStep,
              "Modules were found on eth2: choose 10.1.1.1 in the panel");
    EXPECT_TRUE(cli::JudgeDoctor(facts).clear);
}

netconfig::ModuleSighting Sighting(std::uint8_t lastMacByte, std::uint32_t ip, bool unicast,
                                   bool broadcast) {
    netconfig::ModuleSighting module;
    module.record.SetMac({0x00, 0x0A, 0x1B, 0x2C, 0x3D, lastMacByte});
    module.record.SetIp(ip);
    module.answeredOn = {true, !broadcast};
    module.byUnicast = unicast;
    module.byBroadcast = broadcast;
    return module;
}

// A module heard only by broadcast is found but unreachable by unicast: the step says how to fix
// that, even after modules the panel can already reach; heard both ways, it needs nothing.
TEST(DoctorSearch, AModuleHeardOnlyByBroadcastIsNamedWithItsRemedy) {
    cli::DoctorFacts facts;
    facts.adapters = {Adapter("eth1", AddressOf(10, 0, 0, 1))};
    facts.searched = true;
    facts.found = {{Sighting(1, AddressOf(10, 0, 0, 2), true, false),
                    Sighting(2, AddressOf(10, 0, 0, 3), true, true)}};
    EXPECT_EQ(cli::JudgeDoctor(facts).nextStep,
              "Modules were found on eth1: choose 10.0.0.1 in the panel");

    facts.found[0].push_back(Sighting(3, AddressOf(192, 168, 1, 30), false, true));
    const auto verdict = cli::JudgeDoctor(facts);
    EXPECT_TRUE(verdict.clear);
    EXPECT_EQ(
        verdict.nextStep,
        "Modules were found on eth1: choose 10.0.0.1 in the panel; 00:0A:1B:2C:3D:03 "
        "(192.168.1.30) "
        "answered only by broadcast: it is on another subnet, give it an address on the subnet of "
        "eth1 with the wizard or 'vantrel-cli set-network'");

    const std::string text = cli::DoctorText(facts, verdict);
    EXPECT_NE(text.find("  search: 3 modules answered\n"
                        "    00:0A:1B:2C:3D:01 10.0.0.2  ports=9100,9101  by unicast\n"
                        "    00:0A:1B:2C:3D:02 10.0.0.3  ports=9100  by unicast and broadcast\n"
                        "    00:0A:1B:2C:3D:03 192.168.1.30  ports=9100  by broadcast only\n"),
              std::string::npos)
        << text;
    const std::string json = cli::DoctorJson(facts, verdict);
    EXPECT_NE(
        json.find("{\"mac\": \"00:0A:1B:2C:3D:03\", \"ip\": \"192.168.1.30\", \"ports\": [9100], "
                  "\"unicast\": false, \"broadcast\": true}"),
        std::string::npos)
        << json;
    EXPECT_NE(json.find("\"ports\": [9100, 9101], \"unicast\": true, \"broadcast\": false}"),
              std::string::npos)
        << json;
}

// The JSON carries the facts the text shows, down interfaces and the next step included.
TEST(DoctorOutput, JsonCarriesTheSameFacts) {
    cli::DoctorFacts facts;
    facts.interfaces = {Interface("eth1", AddressOf(10, 0, 0, 1)),
                        Interface("eth9", 0, false, false)};
    facts.adapters = {Adapter("eth1", AddressOf(10, 0, 0, 1))};
    facts.adapters[0].ports[0].heldByOther = true;
    facts.adapters[0].ports[0].holder = "vantrel-panel (pid 7)";
    const auto verdict = cli::JudgeDoctor(facts);
    const std::string json = cli::DoctorJson(facts, verdict);
    EXPECT_NE(json.find("{\"name\": \"eth9\", \"address\": null, \"prefix\": null, \"up\": false, "
                        "\"link\": false, \"usable\": false, \"why\": \"down\"}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"holder\": \"vantrel-panel (pid 7)\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"modules\": null"), std::string::npos) << json;
    EXPECT_NE(json.find("\"next_step\": \"" + verdict.nextStep + "\"}"), std::string::npos) << json;
    const std::string text = cli::DoctorText(facts, verdict);
    EXPECT_NE(text.find("eth9  no address  down, no link  not usable: down\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("shared with vantrel-panel (pid 7)"), std::string::npos) << text;
    EXPECT_NE(text.find("--search would broadcast"), std::string::npos) << text;
}

}  // namespace
