// The module command protocol against vantrel-modsim's control modules on 127.0.0.2xx port
// 9000: the bytes each command puts on the wire, the answers it takes, and the log it writes.
// None of these waits on a 1 s or 2 s bound (control_waits_test.cpp does).
#include <filesystem>
#include <gtest/gtest.h>

#include "protocol/framed_packet.h"
#include "protocol/module_commands.h"
#include "protocol/module_interface.h"
#include "tests/net/control_test_support.h"

namespace {

using nettest::ControlCapture;
using nettest::CountOf;
using nettest::CountStartingWith;
using nettest::Ip;
using Bytes = std::vector<std::uint8_t>;

const std::vector<std::string> kModules = {
    "ip=127.0.0.201,control=on",
    "ip=127.0.0.202,control=on",
    "ip=127.0.0.203,control=on",
    "ip=127.0.0.204,control-fault=busy:1",
    "ip=127.0.0.205,control-fault=busy",
    "ip=127.0.0.206,control-fault=bad-crc",
    "ip=127.0.0.207,control-fault=bad-sync",
    "ip=127.0.0.208,control-fault=status-bit-clear",
    "ip=127.0.0.209,control-fault=wrong-command",
    "ip=127.0.0.210,control-fault=wrong-type",
    "ip=127.0.0.211,control-fault=other-address",
    "ip=127.0.0.212,control-fault=status:3",
    "ip=127.0.0.213,control-fault=status:4",
    "ip=127.0.0.214,control-fault=status:7",
    "ip=127.0.0.215,control-fault=status:1",
    "ip=127.0.0.216,control-fault=not-listening",
    "ip=127.0.0.217,control-fault=close",
    "ip=127.0.0.218,control=on",
    "ip=127.0.0.219,control=on",
    "ip=127.0.0.220,control=on",
    "ip=127.0.0.221,control-fault=bad-crc+status:7",
    "ip=127.0.0.222,control-fault=bad-crc+status:7+none",
};

class ControlOverLoopback : public nettest::ControlSimulatorSuite {
protected:
    static void SetUpTestSuite() { StartModules(kModules); }
};

// A framed request as the interface builds it, in capture form (its layout is pinned down
// byte for byte by the unit tests).
std::string FramedHex(std::uint8_t target, std::uint8_t operation, std::uint16_t offset = 0,
                      std::uint8_t chunkByte = 0, const Bytes& data = {}) {
    protocol::packet::Buffer request{};
    protocol::PresetFramedHeader(request);
    protocol::SetAccessHeader(request, target, operation, offset, chunkByte, data);
    protocol::CompleteFramedRequest(request);
    return nettest::Hex(std::span(request).first(protocol::FramedLength(request)));
}

std::string Repeated(const std::string& text, std::size_t times) {
    std::string all;
    for (std::size_t i = 0; i < times; ++i) all += text;
    return all;
}

// Runs one command with a copy of data in a 2048-byte buffer; reply gets the reply data.
protocol::ModuleResult Command(protocol::CModuleInterface& module, int command, const Bytes& data,
                               int target = 0, int parameter = 0, Bytes* reply = nullptr,
                               std::uint32_t* count = nullptr) {
    std::uint32_t countOut = 0xFFFFFFFF;
    Bytes buffer = data;
    buffer.resize(2048);
    const protocol::ModuleResult result = module.DoCommand(
        countOut, target, command, parameter, static_cast<int>(data.size()), buffer.data());
    if (reply != nullptr)
        reply->assign(buffer.begin(), buffer.begin() + std::min<std::size_t>(countOut, 2048));
    if (count != nullptr) *count = countOut;
    return result;
}

TEST_F(ControlOverLoopback, DatagramCommandsCarryTheKnownBytesAndNumberedInTurn) {
    protocol::CModuleInterface module(Ip("127.0.0.201"));
    Bytes record = {1, 2, 3, 4, 5};
    EXPECT_EQ(Command(module, 401, record), protocol::ModuleResult::Ok);
    Bytes readBack;
    std::uint32_t count = 0;
    EXPECT_EQ(Command(module, 402, {}, 0, 0, &readBack, &count), protocol::ModuleResult::Ok);
    EXPECT_EQ(readBack, (Bytes{1, 2, 3, 4, 5}));
    EXPECT_EQ(count, 5u);
    Bytes word = {0xAA, 0xBB};
    EXPECT_EQ(Command(module, 403, word, 0, 0x12345), protocol::ModuleResult::Ok);
    Bytes eight = {8, 7, 6, 5, 4, 3, 2, 1};
    EXPECT_EQ(Command(module, 501, eight), protocol::ModuleResult::Ok);
    Bytes back;
    EXPECT_EQ(Command(module, 502, {}, 0, 0, &back), protocol::ModuleResult::Ok);
    EXPECT_EQ(back, eight);
    EXPECT_EQ(ControlCapture(CapturePath(), "127.0.0.201", 5).datagrams,
              (std::vector<std::string>{"0300010000000500010203040500", "0400020000000000",
                                        "0500030045230200AABB", "06000400000008000807060504030201",
                                        "0700050000000000"}));
    const auto log = Log();
    EXPECT_EQ(CountOf(log, "CModuleInterface::DoCommand(401 to 00)"), 1u);
    EXPECT_EQ(CountOf(log, "WR: [03 00 01 00 00 00 05 00 01 02 03 04 05 00 ]"), 1u);
    EXPECT_EQ(CountOf(log, "RD: [00 00 02 00 01 02 03 04 05 ]"), 1u);
}

TEST_F(ControlOverLoopback, SequenceNumberWrapsFrom65535ToZero) {
    protocol::CModuleInterface module(Ip("127.0.0.219"));
    EXPECT_EQ(module.SequenceNumber(), 1);
    module.SetSequenceNumber(0xFFFF);
    Bytes none;
    EXPECT_EQ(Command(module, 504, none), protocol::ModuleResult::Ok);
    EXPECT_EQ(Command(module, 504, none), protocol::ModuleResult::Ok);
    EXPECT_EQ(ControlCapture(CapturePath(), "127.0.0.219", 2).datagrams,
              (std::vector<std::string>{"0900FFFF00000000", "0900000000000000"}));
}

TEST_F(ControlOverLoopback, FramedCommandsShareOneConnectionAndReadBackWhatWasWritten) {
    protocol::CModuleInterface module(Ip("127.0.0.202"));
    Bytes data = {0x11, 0x22, 0x33};
    EXPECT_EQ(Command(module, 302, data, 0x1A5), protocol::ModuleResult::Ok);
    Bytes back;
    std::uint32_t count = 0;
    EXPECT_EQ(Command(module, 301, {}, 0xA5, 0, &back, &count), protocol::ModuleResult::Ok);
    EXPECT_EQ(back, (Bytes{0x11, 0x22, 0x33}));
    EXPECT_EQ(count, 3u);
    // The fixed commands act on target 0xFD: 203 writes one byte that 202 reads back.
    Bytes one = {0x7E};
    EXPECT_EQ(Command(module, 203, one), protocol::ModuleResult::Ok);
    Bytes fixed;
    EXPECT_EQ(Command(module, 202, {}, 0, 0, &fixed), protocol::ModuleResult::Ok);
    EXPECT_EQ(fixed, (Bytes{0x7E}));
    Bytes nothing;
    EXPECT_EQ(Command(module, 205, nothing, 0, 0, nullptr, &count), protocol::ModuleResult::Ok);
    EXPECT_EQ(count, 0u);

    const auto wire = ControlCapture(CapturePath(), "127.0.0.202", 6);
    EXPECT_EQ(wire.events, std::vector<std::string>{"tcp-accepted"});
    EXPECT_EQ(wire.tcpBytes, FramedHex(0xA5, 3, 0, 0, {0x11, 0x22, 0x33}) + FramedHex(0xA5, 2) +
                                 FramedHex(0xFD, 3, 0, 0, {0x7E}) + FramedHex(0xFD, 2) +
                                 FramedHex(0xFD, 5));
    const auto log = Log();
    EXPECT_EQ(CountOf(log, "CModuleInterface::DoCommand(302 to A5)"), 1u);
    EXPECT_EQ(CountOf(log, "CTCPTransport::Connect(127.0.0.202:9000)..."), 1u);
    EXPECT_EQ(CountOf(log, "CTCPTransport::Connect() = 0"), 1u);
}

TEST_F(ControlOverLoopback, BlockWriteSendsChunksOf31ThenTheClosingRequest) {
    protocol::CModuleInterface module(Ip("127.0.0.203"));
    Bytes block(70);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i + 1);
    EXPECT_EQ(Command(module, 303, block, 0x21, 2), protocol::ModuleResult::Ok);
    Bytes back;
    EXPECT_EQ(Command(module, 301, {}, 0x21, 0, &back), protocol::ModuleResult::Ok);
    EXPECT_EQ(back, block);
    Bytes empty;
    EXPECT_EQ(Command(module, 303, empty, 0x22, 1), protocol::ModuleResult::Ok);

    const Bytes first(block.begin(), block.begin() + 31);
    const Bytes second(block.begin() + 31, block.begin() + 62);
    const Bytes last(block.begin() + 62, block.end());
    EXPECT_EQ(ControlCapture(CapturePath(), "127.0.0.203", 7).tcpBytes,
              FramedHex(0x21, 4, 0, 0x80 | 31, first) + FramedHex(0x21, 4, 31, 0x80 | 31, second) +
                  FramedHex(0x21, 4, 62, 0x80 | 8, last) + FramedHex(0x21, 5, 0, 0x80) +
                  FramedHex(0x21, 2) + FramedHex(0x22, 5, 0, 0x40));
}

TEST_F(ControlOverLoopback, BusyChunkIsSentAgainAtTheSameOffset) {
    protocol::CModuleInterface module(Ip("127.0.0.204"));
    Bytes block = {1, 2, 3};
    EXPECT_EQ(Command(module, 303, block, 0x30), protocol::ModuleResult::Ok);
    const std::string chunk = FramedHex(0x30, 4, 0, 3, block);
    EXPECT_EQ(ControlCapture(CapturePath(), "127.0.0.204", 4).tcpBytes,
              chunk + chunk + FramedHex(0x30, 5));
}

TEST_F(ControlOverLoopback, HundredAndFirstBusyAnswerEndsTheBlockWriteWithBusy) {
    protocol::CModuleInterface module(Ip("127.0.0.205"));
    Bytes block = {9};
    EXPECT_EQ(Command(module, 303, block, 0x31), protocol::ModuleResult::DeviceBusy);
    Bytes empty;
    EXPECT_EQ(Command(module, 303, empty, 0x32), protocol::ModuleResult::DeviceBusy);
    EXPECT_EQ(ControlCapture(CapturePath(), "127.0.0.205", 202).tcpBytes,
              Repeated(FramedHex(0x31, 4, 0, 1, block), 101) + Repeated(FramedHex(0x32, 5), 100));
}

TEST_F(ControlOverLoopback, InvalidRepliesAreTriedThreeTimesAndLoggedWithTheirReason) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"127.0.0.206", "bad CRC"},         {"127.0.0.207", "bad sync bytes"},
        {"127.0.0.208", "bad status bit"},  {"127.0.0.209", "bad command reply"},
        {"127.0.0.210", "bad device type"},
    };
    for (const auto& [address, reason] : cases) {
        protocol::CModuleInterface module(Ip(address));
        Bytes none;
        EXPECT_EQ(Command(module, 201, none), protocol::ModuleResult::InvalidReply) << address;
        const auto wire = ControlCapture(CapturePath(), address, 4);
        // The connection stays open between the attempts.
        EXPECT_EQ(wire.events, std::vector<std::string>{"tcp-accepted"}) << address;
        EXPECT_EQ(wire.tcpBytes, Repeated(FramedHex(0xFD, 1), 3)) << address;
        const auto log = Log();
        EXPECT_EQ(CountOf(log, "CModuleInterface::SendRecvPacket(): " + reason), 3u) << address;
        EXPECT_EQ(CountOf(log, "CModuleInterface::SendRecvPacket(): invalid packet or CRC ERROR"),
                  3u);
        app::UseDebugLogSettings("");
        std::filesystem::remove(LogPath());
        app::ForceDebugLog(LogPath(), false);
    }
}

TEST_F(ControlOverLoopback, StatusCodesBecomeResultCodes) {
    const std::vector<std::pair<std::string, protocol::ModuleResult>> cases = {
        // another device address: accepted, the request says any
        {"127.0.0.211", protocol::ModuleResult::Ok},
        {"127.0.0.212", protocol::ModuleResult::DeviceError},
        {"127.0.0.213", protocol::ModuleResult::Refused},
        {"127.0.0.214",
         protocol::ModuleResult::Ok},  // status 7 as the first answer sets no failure
    };
    for (const auto& [address, expected] : cases) {
        protocol::CModuleInterface module(Ip(address));
        Bytes none;
        EXPECT_EQ(Command(module, 204, none), expected) << address;
    }
    protocol::CModuleInterface errorModule(Ip("127.0.0.215"));
    Bytes record = {1};
    EXPECT_EQ(Command(errorModule, 401, record), protocol::ModuleResult::DeviceError);
    protocol::CModuleInterface busyModule(Ip("127.0.0.205"));
    EXPECT_EQ(Command(busyModule, 401, record), protocol::ModuleResult::DeviceBusy);
}

TEST_F(ControlOverLoopback, StatusSevenAfterAFailedAttemptLeavesThatFailureAndTriesAgain) {
    // A broken reply, then status 7 for good: the third attempt ends the command with the first
    // attempt's failure.
    protocol::CModuleInterface standing(Ip("127.0.0.221"));
    Bytes none;
    EXPECT_EQ(Command(standing, 201, none), protocol::ModuleResult::InvalidReply);
    EXPECT_EQ(ControlCapture(CapturePath(), "127.0.0.221", 4).tcpBytes,
              Repeated(FramedHex(0xFD, 1), 3));
    // A broken reply, status 7, then a good one: the third attempt succeeds.
    protocol::CModuleInterface recovering(Ip("127.0.0.222"));
    EXPECT_EQ(Command(recovering, 201, none), protocol::ModuleResult::Ok);
    EXPECT_EQ(ControlCapture(CapturePath(), "127.0.0.222", 4).tcpBytes,
              Repeated(FramedHex(0xFD, 1), 3));
    EXPECT_EQ(CountOf(Log(), "CModuleInterface::SendRecvPacket(): bad CRC"), 2u);
}

TEST_F(ControlOverLoopback, RefusedConnectionFailsAfterOneTryAndDatagramsStillGo) {
    protocol::CModuleInterface module(Ip("127.0.0.216"));
    Bytes none;
    EXPECT_EQ(Command(module, 202, none), protocol::ModuleResult::NoAnswer);
    Bytes record = {5};
    EXPECT_EQ(Command(module, 401, record), protocol::ModuleResult::Ok);
    const auto log = Log();
    EXPECT_EQ(CountOf(log, "CTCPTransport::Connect(127.0.0.216:9000)..."), 1u);
    EXPECT_EQ(CountOf(log, "CTCPTransport::Connect() = 3"), 1u);
    // The request is dumped before the write that fails to connect; the transport wrote nothing.
    EXPECT_EQ(CountStartingWith(log, "WR: [E2 E4 01 00 FF FF 01 00 05 FD 02 00 00 00 "), 1u);
    EXPECT_EQ(CountStartingWith(log, "CTCPTransport::WriteData() ["), 0u);
}

TEST_F(ControlOverLoopback, ConnectionClosedByTheDeviceIsMadeAgainForEachAttempt) {
    protocol::CModuleInterface module(Ip("127.0.0.217"));
    Bytes none;
    EXPECT_EQ(Command(module, 201, none), protocol::ModuleResult::NoAnswer);
    const auto wire = ControlCapture(CapturePath(), "127.0.0.217", 9);
    EXPECT_EQ(wire.events, (std::vector<std::string>{"tcp-accepted", "tcp-closed", "tcp-accepted",
                                                     "tcp-closed", "tcp-accepted", "tcp-closed"}));
    const auto log = Log();
    EXPECT_EQ(CountOf(log, "CTCPTransport::ReadData(): CLOSED!"), 3u);
    EXPECT_EQ(CountOf(log, "CTCPTransport::Connect() = 0"), 3u);
    EXPECT_EQ(CountOf(log, "CTCPTransport::Disconnect(127.0.0.217:9000)"), 3u);
}

TEST_F(ControlOverLoopback, DataThatDoNotFitTheCommandAreRefusedBeforeAnythingIsSent) {
    protocol::CModuleInterface module(Ip("127.0.0.220"));
    EXPECT_EQ(Command(module, 302, Bytes(251, 1)), protocol::ModuleResult::BadRequest);
    EXPECT_EQ(Command(module, 401, Bytes(2041, 1)), protocol::ModuleResult::BadRequest);
    EXPECT_EQ(Command(module, 303, Bytes(65536, 1)), protocol::ModuleResult::BadRequest);
    EXPECT_EQ(Command(module, 501, Bytes(7, 1)), protocol::ModuleResult::BadRequest);
    std::uint32_t count = 0;
    EXPECT_EQ(module.DoCommand(count, 0, 401, 0, -1, nullptr), protocol::ModuleResult::BadRequest);
    EXPECT_EQ(module.DoCommand(count, 0, 401, 0, 4, nullptr), protocol::ModuleResult::BadRequest);
    // The refused commands took no sequence number: the next datagram carries 1.
    EXPECT_EQ(Command(module, 401, Bytes(2040, 1)), protocol::ModuleResult::Ok);
    const auto wire = ControlCapture(CapturePath(), "127.0.0.220", 1);
    ASSERT_EQ(wire.datagrams.size(), 1u);
    EXPECT_EQ(wire.datagrams[0].substr(0, 16),
              "03000100"
              "0000F807");
    EXPECT_TRUE(wire.events.empty());
    EXPECT_EQ(
        CountOf(Log(), "CModuleInterface::DoCommand(): 251 data bytes do not fit command 302"), 1u);
}

TEST_F(ControlOverLoopback, UnknownCommandNumbersSendNothingAndSucceed) {
    protocol::CModuleInterface module(Ip("127.0.0.219"));
    for (const int command : {206, 300, 404, 0, -1}) {
        Bytes data = {1, 2};
        std::uint32_t count = 7;
        EXPECT_EQ(Command(module, command, data, 0x33, 0, nullptr, &count),
                  protocol::ModuleResult::Ok)
            << command;
        EXPECT_EQ(count, 0u);
    }
    const auto log = Log();
    EXPECT_EQ(CountOf(log, "CModuleInterface::DoCommand(206 to 33)"), 1u);
    EXPECT_EQ(CountOf(log, "CModuleInterface::DoCommand(404 to 33)"), 1u);
    EXPECT_EQ(log.size(), 5u);
}

// A command is one row of the table: the interface sends every row and the simulated module
// answers every one; once the others have written, each reading command gets data back.
TEST_F(ControlOverLoopback, EveryCommandOfTheTableIsSentAndAnswered) {
    protocol::CModuleInterface module(Ip("127.0.0.218"));
    for (const bool reading : {false, true}) {
        for (const protocol::ModuleCommandRow& command : protocol::kModuleCommands) {
            if (command.readsData != reading) continue;
            const std::size_t length = std::max<std::size_t>(command.minData, command.sendsLength);
            const Bytes data(length, 0x5A);
            std::uint32_t count = 0;
            EXPECT_EQ(Command(module, command.number, data, 0x40, 0, nullptr, &count),
                      protocol::ModuleResult::Ok)
                << command.number;
            EXPECT_EQ(count > 0, reading) << command.number;
        }
    }
}

}  // namespace
