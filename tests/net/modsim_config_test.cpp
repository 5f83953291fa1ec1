#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/modsim_options.h"
#include "sim/module_config.h"
#include "tests/net/net_test_support.h"

namespace {

using nettest::Ip;
using sim::ModuleConfig;
using sim::ReplyMode;
using testing::HasSubstr;

std::string SpecError(const std::string& moduleText) {
    ModuleConfig module;
    std::string error;
    EXPECT_FALSE(sim::ParseModuleSpec(moduleText, module, error)) << moduleText;
    return error;
}

std::string ConfigError(const std::string& text) {
    std::vector<ModuleConfig> modules;
    std::string error;
    EXPECT_FALSE(sim::ParseConfigText(text, "modules.ini", modules, error)) << text;
    return error;
}

TEST(ModuleSpec, TakesEveryKey) {
    ModuleConfig module;
    std::string error;
    ASSERT_TRUE(sim::ParseModuleSpec(
        "ip=198.18.0.7, mac=00-0a-1b-2c-3d-4e,mask=255.255.0.0,gateway=198.18.0.1,"
        "switcher=10.1.1.1,switcher-magic=WiZnSwTc,switcher-length=11,ports=9101,reply=delay:250,"
        "passport-length=600,passport=01 02:03,hello-length=40,reply-9101=wrong-magic",
        module, error))
        << error;
    EXPECT_EQ(module.ip, Ip("198.18.0.7"));
    EXPECT_EQ(module.mac, (netconfig::MacAddress{0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E}));
    EXPECT_EQ(module.mask, Ip("255.255.0.0"));
    EXPECT_EQ(module.gateway, Ip("198.18.0.1"));
    EXPECT_EQ(module.switcher, Ip("10.1.1.1"));
    EXPECT_TRUE(module.switchReplyMagic);
    EXPECT_EQ(module.switcherLength, 11u);
    EXPECT_FALSE(module.answersPortA);
    EXPECT_TRUE(module.answersPortB);
    EXPECT_EQ(module.reply, ReplyMode::Delayed);
    EXPECT_EQ(module.delayMs, 250u);
    EXPECT_EQ(module.passportLength, 600u);
    EXPECT_EQ(module.passportData, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(module.helloLength, 40u);
    EXPECT_FALSE(module.portReply[0].has_value());
    ASSERT_TRUE(module.portReply[1].has_value());
    EXPECT_EQ(module.portReply[1]->mode, ReplyMode::WrongMagic);
}

TEST(ModuleSpec, APortsOwnReplyStandsBesideTheModulesInEitherOrder) {
    ModuleConfig module;
    std::string error;
    ASSERT_TRUE(
        sim::ParseModuleSpec("ip=127.0.0.2,reply-9100=delay:40,reply=silent", module, error))
        << error;
    EXPECT_EQ(module.ReplyOn(9100).mode, ReplyMode::Delayed);
    EXPECT_EQ(module.ReplyOn(9100).delayMs, 40u);
    EXPECT_EQ(module.ReplyOn(9101).mode, ReplyMode::Silent);
    EXPECT_THAT(SpecError("ip=127.0.0.2,reply-9101=loud"),
                HasSubstr("reply-9101 \"loud\" is not normal"));
    EXPECT_THAT(SpecError("ip=127.0.0.2,reply-9101=silent,REPLY-9101=twice"),
                HasSubstr("given twice"));
}

TEST(ModuleSpec, DefaultsDeriveTheMacFromTheAddress) {
    ModuleConfig module;
    std::string error;
    ASSERT_TRUE(sim::ParseModuleSpec("ip=127.0.0.2", module, error)) << error;
    EXPECT_EQ(module.mac, (netconfig::MacAddress{0x02, 0x00, 127, 0, 0, 2}));
    EXPECT_EQ(module.mask, Ip("255.255.255.0"));
    EXPECT_EQ(module.gateway, 0u);
    EXPECT_EQ(module.switcher, 0u);
    EXPECT_TRUE(module.answersPortA && module.answersPortB);
    EXPECT_EQ(module.reply, ReplyMode::Normal);
    EXPECT_EQ(module.passportLength, 418u);
    EXPECT_EQ(module.helloLength, 30u);
}

TEST(ModuleSpec, ErrorsQuoteTheSpecAndNameWhatIsWrong) {
    EXPECT_EQ(SpecError("ip=127.0.0.2,prots=both"),
              "--module \"ip=127.0.0.2,prots=both\": unknown key \"prots\" (known: ip, mac, mask, "
              "gateway, switcher, switcher-magic, switcher-length, ports, reply, passport-length, "
              "passport, hello-length, hello-to, settings, shared-ip, reply-9100, reply-9101, "
              "control, "
              "control-address, control-fault)");
    EXPECT_THAT(SpecError("ip=127.0.0.300"), HasSubstr("ip \"127.0.0.300\" is not a dotted IPv4"));
    EXPECT_THAT(SpecError("mac=00:0A:1B:2C:3D:4E"), HasSubstr("module without an ip"));
    EXPECT_THAT(SpecError("ip=127.0.0.2,ip=127.0.0.3"), HasSubstr("key \"ip\" given twice"));
    EXPECT_THAT(SpecError("ip=127.0.0.2,reply"), HasSubstr("\"reply\" is not key=value"));
    EXPECT_THAT(SpecError("ip=127.0.0.2,reply=delay:60001"), HasSubstr("reply \"delay:60001\""));
    EXPECT_THAT(SpecError("ip=127.0.0.2,passport-length=1025"), HasSubstr("from 0 to 1024"));
    EXPECT_THAT(SpecError("ip=127.0.0.2,passport=0g"), HasSubstr("passport \"0g\""));
    EXPECT_THAT(SpecError("ip=127.0.0.2,switcher-magic=wiznswtc"),
                HasSubstr("WiZnInTc or WiZnSwTc"));
    EXPECT_THAT(SpecError("ip=127.0.0.2,hello-to=everyone"), HasSubstr("sender or broadcast"));
}

TEST(ModuleSpec, RefusesAddressesOffLoopbackAndTheTestNetwork) {
    EXPECT_THAT(SpecError("ip=192.0.2.2"), HasSubstr("outside 127.0.0.0/8 and the test network"));
    SpecError("ip=198.18.0.1");    // the panel's side
    SpecError("ip=198.18.0.255");  // the subnet's broadcast
    SpecError("ip=198.18.5.2");
    SpecError("ip=198.18.2.1");  // the panel's second adapter
    SpecError("ip=198.18.1.255");
    EXPECT_TRUE(sim::IsModuleAddressAllowed(Ip("198.18.0.254")));
    // The device side's "factory" subnet, where a module the panel cannot reach by unicast sits.
    EXPECT_TRUE(sim::IsModuleAddressAllowed(Ip("198.18.1.20")));
    EXPECT_FALSE(sim::IsTestNetworkAddress(Ip("198.18.5.1")));
    // Behind the routed part's router.
    EXPECT_TRUE(sim::IsModuleAddressAllowed(Ip("198.18.65.0")));
    EXPECT_TRUE(sim::IsTestNetworkAddress(Ip("198.18.0.1")));
    EXPECT_FALSE(sim::IsTestNetworkAddress(Ip("10.0.0.1")));
}

TEST(ConfigFile, ReadsRepeatedSectionsCommentsAndWindowsLineEnds) {
    const std::string text =
        "\xEF\xBB\xBF; two modules\r\n"
        "[module]\r\n"
        "ip = 198.18.0.2   ; listed\r\n"
        "# a whole-line comment\r\n"
        "Reply = Silent\r\n"
        "\r\n"
        "[ Module ]\n"
        "ip=198.18.0.3\n"
        "ports = none";
    std::vector<ModuleConfig> modules;
    std::string error;
    ASSERT_TRUE(sim::ParseConfigText(text, "modules.ini", modules, error)) << error;
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_EQ(modules[0].ip, Ip("198.18.0.2"));
    EXPECT_EQ(modules[0].reply, ReplyMode::Silent);
    EXPECT_EQ(modules[1].ip, Ip("198.18.0.3"));
    EXPECT_FALSE(modules[1].answersPortA || modules[1].answersPortB);
}

TEST(ConfigFile, ErrorsNameTheFileAndLine) {
    EXPECT_EQ(ConfigError("ip = 127.0.0.2\n"),
              "modules.ini:1: key = value before the first [module] section");
    EXPECT_EQ(ConfigError("[module]\nip = 127.0.0.2\n[modules]\n"),
              "modules.ini:3: unknown section \"[modules]\" (only [module] sections are read)");
    EXPECT_EQ(ConfigError("[module]\nip = 127.0.0.2\n\nhello-length = x\n"),
              "modules.ini:4: hello-length \"x\" is not a length from 0 to 1024");
    EXPECT_EQ(ConfigError("[module]\nip 127.0.0.2\n"),
              "modules.ini:2: \"ip 127.0.0.2\" is neither a [module] header nor key = value");
    // A section without an address is reported at its header.
    EXPECT_EQ(ConfigError("[module]\nip = 127.0.0.2\n[module]\nmask = 255.0.0.0\n[module]\n"),
              "modules.ini:3: module without an ip");
}

TEST(ModuleSet, RefusesTwoModulesOnOneAddressButAllowsARepeatedMac) {
    std::vector<ModuleConfig> modules(2);
    modules[0].ip = Ip("127.0.0.2");
    modules[1].ip = Ip("127.0.0.3");
    modules[1].mac = modules[0].mac;
    std::string error;
    EXPECT_TRUE(sim::CheckModuleSet(modules, error));
    modules[1].ip = modules[0].ip;
    EXPECT_FALSE(sim::CheckModuleSet(modules, error));
    EXPECT_EQ(error, "two modules on 127.0.0.2");
}

TEST(ModsimArguments, CombineEveryFormAndRefuseWhatTheyDoNotKnow) {
    sim::ModsimOptions options;
    std::string error;
    ASSERT_TRUE(sim::ParseModsimArguments(
        {"--config", "a.ini", "--module", "ip=127.0.0.2", "--config", "b.ini", "--capture", "c.txt",
         "--duration", "1.25", "--broadcast"},
        options, error))
        << error;
    EXPECT_EQ(options.configFiles, (std::vector<std::string>{"a.ini", "b.ini"}));
    EXPECT_EQ(options.moduleSpecs, (std::vector<std::string>{"ip=127.0.0.2"}));
    EXPECT_EQ(options.capturePath, "c.txt");
    EXPECT_EQ(options.durationMs, 1250u);
    EXPECT_TRUE(options.broadcast);

    EXPECT_FALSE(sim::ParseModsimArguments({"--modules", "ip=127.0.0.2"}, options, error));
    EXPECT_EQ(error, "unknown argument \"--modules\"");
    EXPECT_FALSE(sim::ParseModsimArguments({"--module"}, options, error));
    EXPECT_EQ(error, "--module needs a value");
    for (const char* duration : {"0", "-1", "1e3", "", "604801"})
        EXPECT_FALSE(sim::ParseModsimArguments({"--duration", duration}, options, error))
            << duration;
}

TEST(ModsimArguments, NeedAModuleUnlessOnlyListening) {
    sim::ModsimOptions options;
    std::vector<ModuleConfig> modules;
    std::string error;
    EXPECT_FALSE(sim::LoadModules(options, modules, error));
    EXPECT_EQ(error, "no modules: give --module MODULE or --config FILE");
    options.broadcast = true;
    EXPECT_TRUE(sim::LoadModules(options, modules, error));
    options.configFiles = {"/nonexistent/modules.ini"};
    EXPECT_FALSE(sim::LoadModules(options, modules, error));
    EXPECT_EQ(error,
              "cannot read the configuration file \"/nonexistent/modules.ini\": No such file or "
              "directory");
}

TEST(ModsimArguments, AFolderGivenAsConfigurationFileIsRefused) {
    sim::ModsimOptions options;
    options.configFiles = {"/tmp"};
    options.moduleSpecs = {"ip=127.0.0.2"};
    std::vector<ModuleConfig> modules;
    std::string error;
    EXPECT_FALSE(sim::LoadModules(options, modules, error));
    EXPECT_EQ(error, "cannot read the configuration file \"/tmp\": Is a directory");
}

}  // namespace
