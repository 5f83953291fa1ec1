// Broadcasts on the private test network: this executable runs inside vtl-panel (198.18.0.1)
// and starts vantrel-modsim inside vtl-dev. It refuses to send anywhere else.
#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "netconfig/discovery.h"
#include "netconfig/module_exchange.h"
#include "netconfig/wire_layout.h"
#include "platform/socket.h"
#include "sim/module_responder.h"
#include "tests/net/capture_reader.h"
#include "tests/net/net_test_support.h"
#include "tests/net/testnet_fixture.h"

namespace {

using nettest::Ip;
using nettest::SteppedMilliseconds;

constexpr bool kNeverBlock = false;

std::string RecordHex(const netconfig::ModuleHelloRecord& record) {
    return nettest::Hex(record.bytes);
}

// The first 30 bytes of the hello the simulator sends for `moduleText`.
std::string HelloRecordHex(const std::string& moduleText) {
    sim::ModuleConfig module;
    std::string error;
    EXPECT_TRUE(sim::ParseModuleSpec(moduleText, module, error)) << error;
    const sim::Datagram hello = sim::BuildHelloReply(module);
    return nettest::Hex(std::span(hello).first(30));
}

class BroadcastOnTestNetwork : public nettest::TestNetworkFixture {};

TEST_F(BroadcastOnTestNetwork, NoModuleListsNothingAfterTheWholeCollection) {
    ASSERT_TRUE(StartModsim({}));
    std::vector<netconfig::ModuleHelloRecord> modules(1);
    bool listed = false;
    const std::uint32_t collected = SteppedMilliseconds(
        [&] { listed = netconfig::ListModules(Panel(), netconfig::kWizardQueryCode, modules); },
        kNeverBlock);
    // The whole 2000 ms and no more than the polling pass under way then.
    EXPECT_GE(collected, 2000u);
    EXPECT_LT(collected, 2300u);
    EXPECT_TRUE(listed);
    EXPECT_TRUE(modules.empty());
    const auto wire = nettest::WaitForCaptured(CapturePath(), "255.255.255.255", 2);
    const std::string request =
        "57695A6E4C695374"
        "000C" +
        std::string(32, '0');
    nettest::ExpectSentOnBothPorts(wire, "198.18.0.1", "255.255.255.255", request);
}

TEST_F(BroadcastOnTestNetwork, OneRecordPerMacInOrderOfArrival) {
    const std::string first = "ip=198.18.0.2,mac=00:0A:1B:2C:3D:01,gateway=198.18.0.1";
    const std::string late = "ip=198.18.0.3,mac=00:0A:1B:2C:3D:02,reply=delay:300";
    const std::string tooShort = "ip=198.18.0.4,mac=00:0A:1B:2C:3D:03,hello-length=29";
    const std::string longer = "ip=198.18.0.5,mac=00:0A:1B:2C:3D:04,hello-length=40";
    // Same MAC as the first, other addresses, answering a little later.
    const std::string repeated =
        "ip=198.18.0.6,mac=00:0A:1B:2C:3D:01,mask=255.0.0.0,reply=delay:150";
    ASSERT_TRUE(StartModsim({"--module", first, "--module", late, "--module", tooShort, "--module",
                             longer, "--module", repeated}));
    std::vector<netconfig::ModuleHelloRecord> modules;
    EXPECT_TRUE(netconfig::ListModules(Panel(), netconfig::kWizardQueryCode, modules));
    // Each module answered on both ports; the late one came last although it is listed second.
    ASSERT_EQ(modules.size(), 3u);
    EXPECT_EQ(RecordHex(modules[0]), HelloRecordHex(first));
    EXPECT_EQ(RecordHex(modules[1]), HelloRecordHex(longer));
    EXPECT_EQ(RecordHex(modules[2]), HelloRecordHex(late));
    EXPECT_EQ(modules[0].Ip(), Ip("198.18.0.2"));
    EXPECT_EQ(modules[0].Mask(), Ip("255.255.255.0"));
}

// A hello broadcast on the panel side's loopback interface: a module on another interface,
// which the listing must not take. A few copies over the first second, then it stops.
void BroadcastHelloOnLoopback(const std::string& helloHex) {
    const platform::SocketHandle socket = platform::OpenUdpSocket();
    std::vector<std::uint8_t> hello;
    for (std::size_t i = 0; i + 1 < helloHex.size(); i += 2)
        hello.push_back(static_cast<std::uint8_t>(std::stoi(helloHex.substr(i, 2), nullptr, 16)));
    if (platform::SetBroadcast(socket) && platform::Bind(socket, Ip("127.0.0.1"), 0)) {
        for (int copy = 0; copy < 5; ++copy) {
            for (const std::uint16_t port : netconfig::wire::kPorts)
                EXPECT_TRUE(platform::SentWhole(platform::SendTo(socket, hello, 0xFFFFFFFFu, port),
                                                hello.size()));
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    } else {
        ADD_FAILURE() << "cannot set up the loopback broadcaster";
    }
    platform::CloseSocket(socket);
}

TEST_F(BroadcastOnTestNetwork, HearsBroadcastAnswersOnTheAdapterOnlyAndNeverItsOwnRequest) {
    // Still at a factory address on another subnet: it can answer only by broadcast.
    const std::string factory =
        "ip=198.18.1.20,mac=00:0A:1B:2C:3D:01,mask=255.255.255.0,hello-to=broadcast";
    const std::string configured = "ip=198.18.0.7,mac=00:0A:1B:2C:3D:02";
    const std::string elsewhere = "ip=127.0.0.9,mac=00:0A:1B:2C:3D:03";
    ASSERT_TRUE(StartModsim({"--module", factory, "--module", configured}));
    std::thread loopbackModule(BroadcastHelloOnLoopback, HelloRecordHex(elsewhere));
    std::vector<netconfig::ModuleHelloRecord> modules;
    EXPECT_TRUE(netconfig::ListModules(Panel(), netconfig::kWizardQueryCode, modules));
    loopbackModule.join();

    std::vector<std::string> listed;
    for (const auto& record : modules) listed.push_back(RecordHex(record));
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed,
              (std::vector<std::string>{HelloRecordHex(factory), HelloRecordHex(configured)}));
}

class NetworkSettingsOnTestNetwork : public nettest::TestNetworkFixture {};

TEST_F(NetworkSettingsOnTestNetwork, ModuleTakesItsSettingsAndAnswersAtTheNewAddress) {
    ASSERT_TRUE(StartModsim({"--module", "ip=198.18.0.2,mac=00:0A:1B:2C:3D:4E,switcher=10.1.1.1"}));
    const netconfig::MacAddress mac = {0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E};
    netconfig::MacAddress other = mac;
    other[5] = 0x4F;
    std::uint32_t switcher = 0;
    EXPECT_TRUE(
        netconfig::SetModuleNetwork(Panel(), other, Ip("198.18.0.40"), Ip("255.255.0.0"), Panel()));
    EXPECT_TRUE(netconfig::ReadSwitcherAddress(Panel(), Ip("198.18.0.2"), switcher));

    // The sockets stay open 200 ms after sending, and not longer.
    EXPECT_EQ(SteppedMilliseconds([&] {
                  EXPECT_TRUE(netconfig::SetModuleNetwork(Panel(), mac, Ip("198.18.0.50"),
                                                          Ip("255.255.0.0"), Panel()));
              }),
              200u);
    const auto wire = nettest::WaitForCaptured(CapturePath(), "255.255.255.255", 4);
    ASSERT_EQ(wire.size(), 4u);
    nettest::ExpectSentOnBothPorts({wire.begin() + 2, wire.end()}, "198.18.0.1", "255.255.255.255",
                                   "5469426273457441"
                                   "000A1B2C3D4E"
                                   "C6120032"
                                   "FFFF0000"
                                   "C6120001");
    EXPECT_EQ(wire[3].to, "255.255.255.255:9101");

    ASSERT_TRUE(netconfig::ReadSwitcherAddress(Panel(), Ip("198.18.0.50"), switcher));
    EXPECT_EQ(switcher, Ip("10.1.1.1"));
    EXPECT_FALSE(netconfig::ReadSwitcherAddress(Panel(), Ip("198.18.0.2"), switcher));
    std::vector<netconfig::ModuleHelloRecord> modules;
    EXPECT_TRUE(netconfig::ListModules(Panel(), netconfig::kWizardQueryCode, modules));
    ASSERT_EQ(modules.size(), 1u);
    EXPECT_EQ(modules[0].Ip(), Ip("198.18.0.50"));
    EXPECT_EQ(modules[0].Mask(), Ip("255.255.0.0"));
    EXPECT_EQ(modules[0].Gateway(), Panel());
}

}  // namespace
