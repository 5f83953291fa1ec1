// The simulated control module's answers as pure functions, and its keys in a module text.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "protocol/crc16.h"
#include "protocol/datagram.h"
#include "protocol/framed_packet.h"
#include "protocol/packet_layout.h"
#include "sim/control_responder.h"
#include "sim/module_config.h"

namespace {

using testing::HasSubstr;

using sim::Bytes;

Bytes Framed(std::uint8_t target, std::uint8_t operation, std::uint16_t offset = 0,
             std::uint8_t chunkByte = 0, const Bytes& data = {}) {
    protocol::packet::Buffer request{};
    protocol::PresetFramedHeader(request);
    protocol::SetAccessHeader(request, target, operation, offset, chunkByte, data);
    protocol::CompleteFramedRequest(request);
    return Bytes(request.begin(),
                 request.begin() + static_cast<long>(protocol::FramedLength(request)));
}

Bytes Datagram(std::uint16_t code, std::uint16_t sequence, const Bytes& payload = {}) {
    protocol::packet::Buffer request{};
    const std::size_t size = protocol::BuildDatagram(request, code, sequence, 0, payload);
    return Bytes(request.begin(), request.begin() + static_cast<long>(size));
}

sim::ControlConfig Config(const std::string& moduleText) {
    sim::ModuleConfig module;
    std::string error;
    EXPECT_TRUE(sim::ParseModuleSpec("ip=127.0.0.2," + moduleText, module, error)) << error;
    return module.control;
}

TEST(ControlResponder, FramedWritesLandInTheTargetsMemoryAndReadsReturnIt) {
    const sim::ControlConfig config = Config("control=on,control-address=9");
    sim::ControlState state;
    const Bytes request = Framed(0x20, 3, 2, 0, {0xAA, 0xBB});
    const Bytes written = sim::AnswerFramedRequest(config, state, request);
    EXPECT_EQ(protocol::ValidateFramedReply(request, written), protocol::FramedCheck::Valid);
    EXPECT_EQ(written[protocol::packet::kSourceAddressOffset], 9);
    EXPECT_EQ(protocol::FramedStatusCode(written), 0);
    const Bytes chunk = Framed(0x20, 4, 4, 0x40 | 2, {0xCC, 0xDD});
    sim::AnswerFramedRequest(config, state, chunk);
    const Bytes read = sim::AnswerFramedRequest(config, state, Framed(0x20, 2));
    const auto data = protocol::FramedReplyData(read);
    EXPECT_EQ(Bytes(data.begin(), data.end()), (Bytes{0, 0, 0xAA, 0xBB, 0xCC, 0xDD}));
    EXPECT_TRUE(protocol::FramedReplyData(sim::AnswerFramedRequest(config, state, Framed(0x21, 2)))
                    .empty());
}

TEST(ControlResponder, MalformedFramedRequestsGetNoAnswer) {
    const sim::ControlConfig config = Config("control=on");
    sim::ControlState state;
    Bytes badCrc = Framed(0x20, 2);
    badCrc.back() ^= 1;
    EXPECT_TRUE(sim::AnswerFramedRequest(config, state, badCrc).empty());
    const Bytes whole = Framed(0x20, 2);
    EXPECT_TRUE(
        sim::AnswerFramedRequest(config, state, Bytes(whole.begin(), whole.begin() + 11)).empty());
    EXPECT_TRUE(sim::AnswerFramedRequest(config, state, Bytes(11, 0)).empty());
}

TEST(ControlResponder, FramedFaultsBreakExactlyTheirField) {
    const Bytes request = Framed(0xFD, 1);
    const std::vector<std::pair<std::string, protocol::FramedCheck>> cases = {
        {"bad-crc", protocol::FramedCheck::BadCrc},
        {"bad-sync", protocol::FramedCheck::BadSync},
        {"status-bit-clear", protocol::FramedCheck::BadStatusBit},
        {"wrong-command", protocol::FramedCheck::BadCommand},
        {"wrong-type", protocol::FramedCheck::BadDeviceType},
        {"other-address", protocol::FramedCheck::Valid},
    };
    for (const auto& [fault, check] : cases) {
        sim::ControlState state;
        const Bytes reply =
            sim::AnswerFramedRequest(Config("control-fault=" + fault), state, request);
        EXPECT_EQ(protocol::ValidateFramedReply(request, reply), check) << fault;
    }
    sim::ControlState state;
    EXPECT_EQ(sim::AnswerFramedRequest(Config("control-fault=partial"), state, request).size(), 5u);
    EXPECT_TRUE(sim::AnswerFramedRequest(Config("control-fault=silent"), state, request).empty());
}

TEST(ControlResponder, BusyCountsAnswersThenTheModuleWorks) {
    const sim::ControlConfig config = Config("control-fault=busy:2");
    sim::ControlState state;
    EXPECT_EQ(protocol::FramedStatusCode(sim::AnswerFramedRequest(config, state, Framed(0xFD, 1))),
              2);
    const Bytes busyDatagram = sim::AnswerControlDatagram(config, state, Datagram(3, 5, {1}));
    EXPECT_EQ(busyDatagram, (Bytes{0x01, 0x80, 5, 0}));
    EXPECT_EQ(protocol::FramedStatusCode(sim::AnswerFramedRequest(config, state, Framed(0xFD, 1))),
              0);
}

TEST(ControlResponder, DatagramPayloadsAreKeptAndReadBackByTheReadingCodes) {
    const sim::ControlConfig config = Config("control=on");
    sim::ControlState state;
    EXPECT_EQ(sim::AnswerControlDatagram(config, state, Datagram(3, 1, {7, 8, 9})),
              (Bytes{0, 0, 1, 0}));
    EXPECT_EQ(sim::AnswerControlDatagram(config, state, Datagram(4, 2)),
              (Bytes{0, 0, 2, 0, 7, 8, 9}));
    EXPECT_EQ(sim::AnswerControlDatagram(config, state, Datagram(7, 3)), (Bytes{0, 0, 3, 0}));
    EXPECT_EQ(sim::AnswerControlDatagram(config, state, Datagram(10, 4)), (Bytes{1, 0, 4, 0}));
    EXPECT_TRUE(sim::AnswerControlDatagram(config, state, Bytes{3, 0, 1}).empty());
}

TEST(ControlResponder, DatagramFaultsShapeTheReply) {
    sim::ControlState state;
    EXPECT_EQ(
        sim::AnswerControlDatagram(Config("control-fault=wrong-sequence"), state, Datagram(4, 9)),
        (Bytes{0, 0, 10, 0}));
    EXPECT_EQ(
        sim::AnswerControlDatagram(Config("control-fault=short"), state, Datagram(4, 9)).size(),
        3u);
    EXPECT_GT(
        sim::AnswerControlDatagram(Config("control-fault=long"), state, Datagram(4, 9)).size(),
        protocol::packet::kBufferSize);
    EXPECT_EQ(sim::AnswerControlDatagram(Config("control-fault=status:258"), state, Datagram(4, 9)),
              (Bytes{2, 1, 9, 0}));
}

TEST(ControlConfig, AFaultSequenceGivesEachRequestItsStepAndRepeatsTheLast) {
    sim::ControlConfig config = Config("control-fault=bad-crc+status:7+none");
    EXPECT_TRUE(config.enabled);
    const std::vector<std::pair<sim::ControlFault, unsigned>> expected = {
        {sim::ControlFault::BadCrc, 0},
        {sim::ControlFault::Status, 7},
        {sim::ControlFault::None, 0},
        {sim::ControlFault::None, 0},
        {sim::ControlFault::None, 0}};
    for (unsigned request = 0; request < expected.size(); ++request) {
        const sim::ControlConfig answering = sim::ForRequest(config, request);
        EXPECT_EQ(answering.fault, expected[request].first) << request;
        EXPECT_EQ(answering.count, expected[request].second) << request;
    }
    // The module's answers follow the steps: a broken CRC, then status 7, then a good reply.
    sim::ControlState state;
    const Bytes request = Framed(0xFD, 1);
    EXPECT_NE(
        protocol::CalcCRC16(sim::AnswerFramedRequest(sim::ForRequest(config, 0), state, request)),
        0);
    EXPECT_EQ(sim::AnswerFramedRequest(sim::ForRequest(config, 1), state,
                                       request)[protocol::packet::kStatusOffset],
              0x87);
    EXPECT_EQ(sim::AnswerFramedRequest(sim::ForRequest(config, 2), state,
                                       request)[protocol::packet::kStatusOffset],
              0x80);

    // A single fault stays one for every request, and replacing a sequence by one clears it.
    const sim::ControlConfig single = Config("control-fault=busy:2");
    EXPECT_TRUE(single.steps.empty());
    EXPECT_EQ(sim::ForRequest(single, 5).count, 2u);
    std::string expectedText;
    ASSERT_TRUE(sim::ParseControlFault("silent", config, expectedText));
    EXPECT_EQ(sim::ForRequest(config, 0).fault, sim::ControlFault::Silent);
    EXPECT_EQ(sim::ForRequest(config, 2).fault, sim::ControlFault::Silent);
}

TEST(ControlConfig, KeysAreCheckedWithAClearReason) {
    sim::ModuleConfig module;
    std::string error;
    EXPECT_TRUE(sim::ParseModuleSpec("ip=127.0.0.2", module, error));
    EXPECT_FALSE(module.control.enabled);
    EXPECT_TRUE(sim::ParseModuleSpec("ip=127.0.0.2,control-fault=trickle:20", module, error));
    EXPECT_TRUE(module.control.enabled);
    EXPECT_EQ(module.control.count, 20u);
    for (const char* bad :
         {"control=yes", "control-address=256", "control-fault=status", "control-fault=silent:3",
          "control-fault=busy:x", "control-fault=busy:65536", "control-fault=loud",
          // a step lasts one request, so nothing that spans several
          "control-fault=busy:2+none", "control-fault=none+trickle:5",
          "control-fault=not-listening+none", "control-fault=bad-crc+", "control-fault=+status:7",
          "control-fault=bad-crc++none"}) {
        EXPECT_FALSE(sim::ParseModuleSpec(std::string("ip=127.0.0.2,") + bad, module, error))
            << bad;
        EXPECT_THAT(error, HasSubstr(bad));
    }
}

}  // namespace
