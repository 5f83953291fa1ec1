#include <array>
#include <gtest/gtest.h>
#include <vector>

#include "protocol/crc16.h"
#include "protocol/datagram.h"
#include "protocol/framed_packet.h"
#include "protocol/module_result.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Request(std::uint8_t target, std::uint8_t operation, Bytes data = {}) {
    protocol::packet::Buffer buffer{};
    protocol::PresetFramedHeader(buffer);
    protocol::SetAccessHeader(buffer, target, operation, 0, 0, data);
    protocol::CompleteFramedRequest(buffer);
    return Bytes(buffer.begin(), buffer.begin() + protocol::FramedLength(buffer));
}

// A reply as a module builds it: the request's layout, from device type 1 at `address`, the
// reply flag and a status code, `data` behind the access header, and a correct CRC.
Bytes Reply(std::uint8_t address, std::uint8_t status, Bytes data = {}) {
    Bytes reply = Request(0x20, 2, data);
    reply[protocol::packet::kSourceTypeOffset] = 1;
    reply[protocol::packet::kSourceAddressOffset] = address;
    reply[protocol::packet::kStatusOffset] =
        static_cast<std::uint8_t>(protocol::packet::kReplyFlag | status);
    protocol::CompleteFramedRequest(reply);
    return reply;
}

TEST(FramedPacket, RequestWithAccessHeaderOnlyIsTheSixteenKnownBytes) {
    EXPECT_EQ(Request(0x20, 2), (Bytes{0xE2, 0xE4, 0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00, 0x05, 0x20,
                                       0x02, 0x00, 0x00, 0x00, 0xF5, 0x24}));
}

TEST(FramedPacket, CrcOverAWholeStoredPacketIsZero) {
    for (const Bytes& packet :
         {Request(0x20, 2), Request(0xFD, 3, {0x7F}), Request(1, 4, Bytes(250, 0xA5)), Reply(5, 0)})
        EXPECT_EQ(protocol::CalcCRC16(packet), 0) << packet.size() << " bytes";
}

TEST(FramedPacket, ReaderTakesElevenBytesThenThePayloadLengthMore) {
    const Bytes empty = {0xE2, 0xE4, 1, 0, 1, 0, 1, 0x80, 0, 0xAA, 0xBB};
    const Bytes withPayload = Reply(0, 0, {1, 2, 3});
    for (const Bytes& stream : {empty, withPayload}) {
        std::vector<std::size_t> reads;
        std::size_t at = 0;
        protocol::packet::Buffer reply{};
        const bool read = protocol::ReadFramedReply(reply, [&](std::span<std::uint8_t> into) {
            reads.push_back(into.size());
            if (at + into.size() > stream.size()) return false;
            std::copy_n(stream.begin() + at, into.size(), into.begin());
            at += into.size();
            return true;
        });
        EXPECT_TRUE(read);
        const std::vector<std::size_t> expected =
            stream.size() == 11 ? std::vector<std::size_t>{11}
                                : std::vector<std::size_t>{11, stream.size() - 11};
        EXPECT_EQ(reads, expected);
    }
}

TEST(FramedPacket, ValidationChecksRunInTheirOrderAndTheFirstFailureDecides) {
    const Bytes request = Request(0x20, 2);
    EXPECT_EQ(protocol::ValidateFramedReply(request, Reply(0, 0)), protocol::FramedCheck::Valid);

    Bytes badSyncAndCrc = Reply(0, 0);
    badSyncAndCrc[1] = 0xE5;  // also breaks the CRC: sync is reported, being checked first
    EXPECT_EQ(protocol::ValidateFramedReply(request, badSyncAndCrc),
              protocol::FramedCheck::BadSync);

    Bytes wrongType = Reply(0, 0);
    wrongType[protocol::packet::kSourceTypeOffset] = 2;
    protocol::CompleteFramedRequest(wrongType);
    EXPECT_EQ(protocol::ValidateFramedReply(request, wrongType),
              protocol::FramedCheck::BadDeviceType);

    Bytes wrongCommand = Reply(0, 0);
    wrongCommand[protocol::packet::kCommandOffset] = 2;
    wrongCommand[protocol::packet::kStatusOffset] = 0;  // a later check failing too changes nothing
    protocol::CompleteFramedRequest(wrongCommand);
    EXPECT_EQ(protocol::ValidateFramedReply(request, wrongCommand),
              protocol::FramedCheck::BadCommand);

    Bytes flagClear = Reply(0, 0);
    flagClear[protocol::packet::kStatusOffset] = 0x01;
    protocol::CompleteFramedRequest(flagClear);
    EXPECT_EQ(protocol::ValidateFramedReply(request, flagClear),
              protocol::FramedCheck::BadStatusBit);

    Bytes badCrc = Reply(0, 0);
    badCrc.back() ^= 0x01;
    EXPECT_EQ(protocol::ValidateFramedReply(request, badCrc), protocol::FramedCheck::BadCrc);
    EXPECT_STREQ(protocol::FramedCheckMessage(protocol::FramedCheck::BadCrc),
                 "CModuleInterface::SendRecvPacket(): bad CRC");
    EXPECT_STREQ(protocol::FramedCheckMessage(protocol::FramedCheck::BadStatusBit),
                 "CModuleInterface::SendRecvPacket(): bad status bit");
}

TEST(FramedPacket, AnsweringAddressIsCheckedOnlyForAnAddressedRequest) {
    Bytes toAny = Request(0x20, 2);
    Bytes toThree = toAny;
    toThree[protocol::packet::kDestAddressOffset] = 3;
    EXPECT_EQ(protocol::ValidateFramedReply(toAny, Reply(5, 0)), protocol::FramedCheck::Valid);
    EXPECT_EQ(protocol::ValidateFramedReply(toThree, Reply(5, 0)),
              protocol::FramedCheck::BadDeviceAddress);
    EXPECT_EQ(protocol::ValidateFramedReply(toThree, Reply(3, 0)), protocol::FramedCheck::Valid);
}

TEST(FramedPacket, ReplyDataArePayloadLessTheAccessHeaderAndNeverNegative) {
    const Bytes reply = Reply(0, 0, {9, 8, 7});
    EXPECT_EQ(protocol::FramedReplyData(reply).size(), 3u);
    EXPECT_EQ(protocol::FramedReplyData(reply)[0], 9);
    EXPECT_TRUE(protocol::FramedReplyData(Reply(0, 0)).empty());
    Bytes shortPayload = {0xE2, 0xE4, 1, 0, 1, 0, 1, 0x80, 3, 1, 2, 3, 0, 0};
    EXPECT_TRUE(protocol::FramedReplyData(shortPayload).empty());
}

TEST(ModuleResults, FramedStatusCodesMapAsTheTableSays) {
    const std::array<std::optional<std::uint16_t>, 8> expected = {0, 0, 6, 5,
                                                                  8, 8, 6, std::nullopt};
    for (std::uint8_t code = 0; code < 8; ++code) {
        const auto result = protocol::ResultOfFramedStatus(code);
        EXPECT_EQ(result ? std::optional(protocol::ResultCode(*result)) : std::nullopt,
                  expected[code])
            << int(code);
    }
    EXPECT_EQ(protocol::ResultCode(protocol::ResultOfDatagramStatus(0)), 0);
    EXPECT_EQ(protocol::ResultCode(protocol::ResultOfDatagramStatus(0x8001)), 6);
    EXPECT_EQ(protocol::ResultCode(protocol::ResultOfDatagramStatus(0x0001)), 5);
    EXPECT_EQ(protocol::ResultCode(protocol::ResultOfDatagramStatus(0x8000)), 5);
}

TEST(Datagram, OddPayloadIsPaddedWithOneZeroAndTheLengthWordKeepsTheTrueLength) {
    protocol::packet::Buffer request;
    request.fill(0xEE);
    EXPECT_EQ(protocol::BuildDatagram(request, 3, 7, 0, Bytes{0xA1, 0xA2, 0xA3}), 12u);
    EXPECT_EQ(Bytes(request.begin(), request.begin() + 12),
              (Bytes{3, 0, 7, 0, 0, 0, 3, 0, 0xA1, 0xA2, 0xA3, 0}));
    EXPECT_EQ(protocol::BuildDatagram(request, 3, 1, 0, Bytes{1, 2, 3, 4, 5}), 14u);
    EXPECT_EQ(Bytes(request.begin(), request.begin() + 14),
              (Bytes{3, 0, 1, 0, 0, 0, 5, 0, 1, 2, 3, 4, 5, 0}));
    EXPECT_EQ(protocol::BuildDatagram(request, 9, 0xFFFF, 0xBEEF, {}), 8u);
    EXPECT_EQ(Bytes(request.begin(), request.begin() + 8),
              (Bytes{9, 0, 0xFF, 0xFF, 0xEF, 0xBE, 0, 0}));
}

TEST(Datagram, ReplyMatchesOnlyWithFourBytesAndTheSameSequenceNumber) {
    protocol::packet::Buffer request{};
    protocol::BuildDatagram(request, 4, 0x1234, 0, {});
    EXPECT_FALSE(protocol::MatchDatagramReply(request, Bytes{0, 0, 0x34}).matches);
    EXPECT_FALSE(protocol::MatchDatagramReply(request, Bytes{0, 0, 0x35, 0x12}).matches);
    const Bytes busyReply = {0x01, 0x80, 0x34, 0x12};
    const protocol::DatagramReply busy = protocol::MatchDatagramReply(request, busyReply);
    EXPECT_TRUE(busy.matches);
    EXPECT_EQ(busy.status, 0x8001);
    EXPECT_TRUE(busy.data.empty());
    const Bytes dataReply = {0, 0, 0x34, 0x12, 0xA1, 0xB2};
    const protocol::DatagramReply withData = protocol::MatchDatagramReply(request, dataReply);
    EXPECT_EQ(withData.status, 0);
    EXPECT_EQ(Bytes(withData.data.begin(), withData.data.end()), (Bytes{0xA1, 0xB2}));
}

}  // namespace
