// The module command protocol's waits: a framed reply cut short (three 2 s read waits), a silent
// datagram module (three 1 s waits), datagram replies that answer nothing (sent again at once),
// a reply trickled slower than one wait allows in all, and a frame larger than the socket
// buffers sent to a peer that takes it and to one that stops taking bytes (one 2 s send wait).
// The slow tests are all here.
#ifdef _WIN32
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

#include <array>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

#include "platform/accepted_socket.h"
#include "platform/poller.h"
#include "platform/socket.h"
#include "protocol/module_interface.h"
#include "protocol/tcp_transport.h"
#include "tests/net/control_test_support.h"

namespace {

using nettest::CountOf;
using nettest::CountStartingWith;
using nettest::Ip;

const std::vector<std::string> kModules = {
    "ip=127.0.0.231,control-fault=partial",
    "ip=127.0.0.232,control-fault=wrong-sequence",
    "ip=127.0.0.233,control-fault=short",
    "ip=127.0.0.234,control-fault=long",
    "ip=127.0.0.235,control=on",
    "ip=127.0.0.236,control-fault=silent",
    "ip=127.0.0.237,control-fault=trickle:150",
};

class ControlWaitsOverLoopback : public nettest::ControlSimulatorSuite {
protected:
    static void SetUpTestSuite() { StartModules(kModules); }
};

TEST_F(ControlWaitsOverLoopback, ReplyCutShortEndsEachAttemptAfterTheReadWait) {
    protocol::CModuleInterface module(Ip("127.0.0.231"));
    std::uint32_t count = 0;
    std::array<std::uint8_t, 2048> buffer{};
    EXPECT_EQ(module.DoCommand(count, 0, 201, 0, 0, buffer.data()),
              protocol::ModuleResult::NoAnswer);
    const auto log = Log();
    EXPECT_EQ(CountOf(log, "CTCPTransport::ReadData(): NO RESPONSE!"), 3u);
    EXPECT_EQ(CountOf(log, "CTCPTransport::ReadData() [E2 E4 FF FF 01 ]"), 3u);
    EXPECT_EQ(CountOf(log, "CTCPTransport::Disconnect(127.0.0.231:9000)"), 3u);
    EXPECT_EQ(nettest::ControlCapture(CapturePath(), "127.0.0.231", 1).events.front(),
              "tcp-accepted");
}

TEST_F(ControlWaitsOverLoopback, DatagramRepliesThatAnswerNothingEndWithNoAnswerAfterThreeSends) {
    for (const char* address : {"127.0.0.232", "127.0.0.233", "127.0.0.234"}) {
        protocol::CModuleInterface module(Ip(address));
        std::uint32_t count = 0;
        std::array<std::uint8_t, 2048> buffer{};
        EXPECT_EQ(module.DoCommand(count, 0, 402, 0, 0, buffer.data()),
                  protocol::ModuleResult::NoAnswer)
            << address;
        // Every attempt carries the same sequence number.
        EXPECT_EQ(nettest::ControlCapture(CapturePath(), address, 3).datagrams,
                  std::vector<std::string>(3, "0400010000000000"))
            << address;
    }
    // A reply too long for the buffer is never dumped; the short and the misnumbered ones are.
    const auto log = Log();
    EXPECT_EQ(CountOf(log, "RD: [00 00 02 00 ]"), 3u);
    EXPECT_EQ(CountOf(log, "RD: [00 00 01 ]"), 3u);
    EXPECT_EQ(CountOf(log, "WR: [04 00 01 00 00 00 00 00 ]"), 9u);
    EXPECT_EQ(log.size(), 3u + 9u + 6u);
}

TEST_F(ControlWaitsOverLoopback, SilentModuleGetsTheDatagramThreeTimes) {
    protocol::CModuleInterface module(Ip("127.0.0.236"));
    std::uint32_t count = 0;
    std::array<std::uint8_t, 2048> buffer{1, 2};
    EXPECT_EQ(module.DoCommand(count, 0, 401, 0, 2, buffer.data()),
              protocol::ModuleResult::NoAnswer);
    EXPECT_EQ(nettest::ControlCapture(CapturePath(), "127.0.0.236", 3).datagrams,
              std::vector<std::string>(3, "03000100000002000102"));
    EXPECT_EQ(Log().size(), 1u + 3u);
}

TEST_F(ControlWaitsOverLoopback, TrickledReplyKeepsTheReadGoingAndIsDumpedPerReceive) {
    protocol::CModuleInterface module(Ip("127.0.0.237"));
    std::array<std::uint8_t, 2048> value{0x42};
    std::uint32_t count = 0;
    // 16 reply bytes 150 ms apart take 2.4 s, longer than one wait: the bound is per wait.
    EXPECT_EQ(module.DoCommand(count, 0, 203, 0, 1, value.data()), protocol::ModuleResult::Ok);
    const auto log = Log();
    // 17 bytes out: a row of 16 and a row of 1, from the interface and again from the transport.
    EXPECT_EQ(CountStartingWith(log, "WR: ["), 2u);
    EXPECT_EQ(CountStartingWith(log, "CTCPTransport::WriteData() ["), 2u);
    // The reply came in many receives, each dumped, then as one packet.
    EXPECT_GE(CountStartingWith(log, "CTCPTransport::ReadData() ["), 3u);
    EXPECT_EQ(CountStartingWith(log, "RD: [E2 E4 FF FF 01 01 01 80 05 FD 03 00 00 00 "), 1u);
}

TEST(UdpTransport, ReadBeforeAnyWriteReturnsAtOnceWithNothing) {
    protocol::CUDPTransport transport;
    transport.SetAddress(Ip("127.0.0.235"), 9000, 0);
    std::array<std::uint8_t, 16> buffer{};
    EXPECT_EQ(transport.ReadData(buffer.data(), buffer.size()), 0u);
    EXPECT_FALSE(transport.IsOpen());
}

// A TCP listener on 127.0.0.1 at a port of its own, with a small receive buffer, so a large
// frame fills the path and the sender has to wait.
class SmallBufferListener {
public:
    SmallBufferListener() {
        listener_ = platform::OpenListeningSocket(Ip("127.0.0.1"), 0);
        // Taken over by the connections it accepts; the char pointer is what Winsock asks for.
        const int buffer = 16384;
        std::uint32_t address = 0;
        if (listener_ != platform::kInvalidSocket &&
            setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&buffer),
                       sizeof buffer) == 0)
            platform::LocalAddressOf(listener_, address, port_);
    }
    ~SmallBufferListener() {
        platform::CloseSocket(peer_);
        platform::CloseSocket(listener_);
    }
    int Port() const { return port_; }
    bool Accept() {
        std::uint32_t address = 0;
        std::uint16_t port = 0;
        if (!platform::WaitUntilReady(listener_, platform::kPollReadable, 5000)) return false;
        peer_ = platform::AcceptConnection(listener_, address, port);
        return peer_ != platform::kInvalidSocket;
    }
    // Everything the peer sends until it closes, each wait bounded, the whole within 30 s.
    std::vector<std::uint8_t> ReadAll() {
        std::vector<std::uint8_t> all;
        std::array<std::uint8_t, 65536> chunk{};
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            const platform::IoResult got = platform::ReceiveStream(peer_, chunk);
            if (got.status == platform::IoStatus::WouldBlock) {
                if (!platform::WaitUntilReady(peer_, platform::kPollReadable, 5000)) break;
                continue;
            }
            if (got.status != platform::IoStatus::Done) break;
            all.insert(all.end(), chunk.begin(), chunk.begin() + got.length);
        }
        return all;
    }

private:
    platform::SocketHandle listener_ = platform::kInvalidSocket;
    platform::SocketHandle peer_ = platform::kInvalidSocket;
    std::uint16_t port_ = 0;
};

// A transport aimed at the listener, and a frame far larger than loopback's socket buffers
// hold, so no single send can take it.
class TcpTransportWithLargeFrame : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(peer.Port(), 0);
        transport.SetAddress(Ip("127.0.0.1"), peer.Port(), Ip("127.0.0.1"));
        frame.resize(16 * 1024 * 1024);
        for (std::size_t i = 0; i < frame.size(); ++i)
            frame[i] = static_cast<std::uint8_t>(i * 131);
    }

    SmallBufferListener peer;
    protocol::CTCPTransport transport;
    std::vector<std::uint8_t> frame;
};

TEST_F(TcpTransportWithLargeFrame, ArrivesWholeAtAPeerThatKeepsReading) {
    std::vector<std::uint8_t> received;
    std::thread reader([&] {
        if (peer.Accept()) received = peer.ReadAll();
    });
    EXPECT_EQ(transport.WriteData(frame.data(), frame.size()), protocol::CTCPTransport::kOk);
    transport.Disconnect();
    reader.join();
    EXPECT_EQ(received.size(), frame.size());
    EXPECT_TRUE(received == frame);
}

TEST_F(TcpTransportWithLargeFrame, FailsTheWriteAfterOneWaitWhenThePeerStopsReading) {
    EXPECT_EQ(transport.WriteData(frame.data(), frame.size()), protocol::CTCPTransport::kIoFailed);
    // The connection was dropped: a read has nothing to wait for.
    std::array<std::uint8_t, 4> reply{};
    EXPECT_EQ(transport.ReadData(reply.data(), reply.size()), protocol::CTCPTransport::kIoFailed);
}

}  // namespace
