// The broadcast datagrams byte for byte, and how hello replies become the module list.
#include "netconfig/discovery_records.h"

#include <gtest/gtest.h>

#include "tests/unit/netconfig_test_support.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Hello(std::size_t length, const netconfig::MacAddress& mac, std::uint8_t lastIpOctet,
            std::string_view magic = "WiZnHeLo") {
    Bytes bytes(length, 0x77);
    std::copy_n(magic.begin(), std::min<std::size_t>(8, length), bytes.begin());
    if (length >= 26) {
        std::copy(mac.begin(), mac.end(), bytes.begin() + 8);
        const std::uint8_t addresses[12] = {198, 18, 0,   lastIpOctet, 255, 255,
                                            255, 0,  198, 18,          0,   1};
        std::copy(std::begin(addresses), std::end(addresses), bytes.begin() + 14);
    }
    return bytes;
}

constexpr netconfig::MacAddress kMacA{0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E};
constexpr netconfig::MacAddress kMacB{0x02, 0x00, 0xC6, 0x12, 0x00, 0x03};

TEST(BroadcastRequests, ListRequestCarriesTheQueryCodeHighByteFirst) {
    const auto wizard = netconfig::BuildListRequest(12);
    Bytes expected(26, 0);
    std::memcpy(expected.data(), "WiZnLiSt", 8);
    expected[9] = 0x0C;
    EXPECT_EQ(Bytes(wizard.begin(), wizard.end()), expected);

    const auto other = netconfig::BuildListRequest(0x1234);
    EXPECT_EQ(other[8], 0x12);
    EXPECT_EQ(other[9], 0x34);
}

TEST(BroadcastRequests, NetworkSettingsRequestIsMacThenIpMaskGateway) {
    const auto request = netconfig::BuildSetNetworkRequest(
        kMacA, AddressOf(192, 168, 1, 20), AddressOf(255, 255, 255, 0), AddressOf(192, 168, 1, 1));
    const Bytes expectedTail = {0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0xC0, 0xA8, 0x01,
                                0x14, 0xFF, 0xFF, 0xFF, 0x00, 0xC0, 0xA8, 0x01, 0x01};
    EXPECT_EQ(std::string(request.begin(), request.begin() + 8), "TiBbsEtA");
    EXPECT_EQ(Bytes(request.begin() + 8, request.end()), expectedTail);
}

TEST(HelloReplies, RecordIsTheFirstThirtyBytesOfALongEnoughHello) {
    std::vector<netconfig::ModuleHelloRecord> list;
    EXPECT_FALSE(netconfig::AcceptHelloReply(Hello(29, kMacA, 2), list));
    EXPECT_TRUE(list.empty());

    const Bytes forty = Hello(40, kMacA, 2);
    EXPECT_TRUE(netconfig::AcceptHelloReply(forty, list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(Bytes(list[0].bytes.begin(), list[0].bytes.end()),
              Bytes(forty.begin(), forty.begin() + 30));
    EXPECT_EQ(list[0].Mac(), kMacA);
    EXPECT_EQ(list[0].Ip(), AddressOf(198, 18, 0, 2));
    EXPECT_EQ(list[0].Mask(), AddressOf(255, 255, 255, 0));
    EXPECT_EQ(list[0].Gateway(), AddressOf(198, 18, 0, 1));
}

TEST(HelloReplies, OtherMagicsAreDropped) {
    std::vector<netconfig::ModuleHelloRecord> list;
    EXPECT_FALSE(netconfig::AcceptHelloReply(Hello(30, kMacA, 2, "WiZnHeLO"), list));
    EXPECT_FALSE(netconfig::AcceptHelloReply(Hello(30, kMacA, 2, "WiZnLiSt"), list));
    EXPECT_TRUE(list.empty());
}

TEST(HelloReplies, ListKeepsOrderOfArrivalAndTheFirstAddressesOfARepeatedMac) {
    std::vector<netconfig::ModuleHelloRecord> list;
    EXPECT_TRUE(netconfig::AcceptHelloReply(Hello(30, kMacB, 3), list));
    EXPECT_TRUE(netconfig::AcceptHelloReply(Hello(30, kMacA, 2), list));
    EXPECT_FALSE(
        netconfig::AcceptHelloReply(Hello(30, kMacB, 99), list));  // same module, other port
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Mac(), kMacB);
    EXPECT_EQ(list[0].Ip(), AddressOf(198, 18, 0, 3));
    EXPECT_EQ(list[1].Mac(), kMacA);
}

// The sightings keep exactly the records AcceptHelloReply keeps, in the same order, and add each
// later hello's port and route to its module without touching the first record.
TEST(HelloArrivals, FirstHelloGivesTheRecordLaterOnesOnlyAddPortAndRoute) {
    const std::vector<std::pair<Bytes, netconfig::HelloArrival>> arrivals = {
        {Hello(30, kMacB, 3), {1, false}},
        {Hello(30, kMacA, 2, "WiZnLiSt"), {0, true}},  // the panel's own request, heard back
        {Hello(29, kMacA, 2), {0, false}},             // too short: no trace, not even a port
        {Hello(40, kMacA, 2), {0, true}},
        {Hello(30, kMacB, 99), {0, true}},  // same module, other port and route
        {Hello(30, kMacA, 7), {0, true}},
    };
    std::vector<netconfig::ModuleHelloRecord> list;
    std::vector<netconfig::ModuleSighting> sightings;
    for (const auto& [datagram, arrival] : arrivals)
        EXPECT_EQ(netconfig::RecordHelloArrival(datagram, arrival, sightings),
                  netconfig::AcceptHelloReply(datagram, list));

    ASSERT_EQ(sightings.size(), list.size());
    for (std::size_t m = 0; m < list.size(); ++m)
        EXPECT_EQ(sightings[m].record.bytes, list[m].bytes);
    ASSERT_EQ(sightings.size(), 2u);
    EXPECT_EQ(sightings[0].record.Ip(), AddressOf(198, 18, 0, 3));
    EXPECT_EQ(sightings[0].answeredOn, (std::array<bool, 2>{true, true}));
    EXPECT_TRUE(sightings[0].byUnicast);
    EXPECT_TRUE(sightings[0].byBroadcast);
    EXPECT_EQ(sightings[1].record.Ip(), AddressOf(198, 18, 0, 2));
    EXPECT_EQ(sightings[1].answeredOn, (std::array<bool, 2>{true, false}));
    EXPECT_FALSE(sightings[1].byUnicast);
    EXPECT_TRUE(sightings[1].byBroadcast);
}

TEST(HelloArrivals, AnArrivalOnAnUnknownPortIsDropped) {
    std::vector<netconfig::ModuleSighting> sightings;
    EXPECT_FALSE(netconfig::RecordHelloArrival(Hello(30, kMacA, 2), {2, false}, sightings));
    EXPECT_TRUE(sightings.empty());
}

TEST(HelloRecord, SettersWriteTheirOwnBytesOnly) {
    netconfig::ModuleHelloRecord record;
    record.SetMac(kMacA);
    record.SetIp(AddressOf(1, 2, 3, 4));
    record.SetMask(AddressOf(5, 6, 7, 8));
    record.SetGateway(AddressOf(9, 10, 11, 12));
    const Bytes expected = {0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 1,
                            2, 3, 4, 5, 6, 7, 8, 9, 10,   11,   12,   0,    0,    0,    0};
    EXPECT_EQ(Bytes(record.bytes.begin(), record.bytes.end()), expected);
}

}  // namespace
