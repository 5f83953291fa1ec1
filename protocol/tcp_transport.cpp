#include "protocol/tcp_transport.h"

#include <cstdio>
#include <span>

#include "app/debug_log.h"
#include "platform/poller.h"

namespace protocol {

namespace {

// The address as the log shows it, its four bytes in memory order.
struct DottedAddress {
    char text[16];
};
DottedAddress Dotted(std::uint32_t address) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&address);
    DottedAddress dotted{};
    std::snprintf(dotted.text, sizeof dotted.text, "%d.%d.%d.%d", bytes[0], bytes[1], bytes[2],
                  bytes[3]);
    return dotted;
}

std::uint16_t PortOf(int port) { return static_cast<std::uint16_t>(port & 0xFFFF); }

}  // namespace

CTCPTransport::~CTCPTransport() { Disconnect(); }

void CTCPTransport::SetAddress(std::uint32_t address, int port, std::uint32_t localAddress) {
    remoteAddress_ = address;
    remotePort_ = port;
    localAddress_ = localAddress;
}

int CTCPTransport::Connect() {
    if (connected_) return kOk;
    app::DebugLog("CTCPTransport::Connect(%s:%d)...", Dotted(remoteAddress_).text, remotePort_);
    int result = kOk;
    const platform::SocketHandle socket = platform::OpenTcpSocket();
    if (socket == platform::kInvalidSocket) {
        result = kSocketFailed;
    } else {
        platform::SetNonBlocking(socket);  // a blocking socket still connects, only less bounded
        if (!platform::Bind(socket, localAddress_, 0))
            result = kBindFailed;
        else if (!platform::ConnectWithin(socket, remoteAddress_, PortOf(remotePort_), kWaitMs))
            result = kNotConnected;
        if (result == kOk) {
            socket_ = socket;
            connected_ = true;
        } else {
            platform::CloseSocket(socket);
        }
    }
    app::DebugLog("CTCPTransport::Connect() = %d", result);
    return result;
}

void CTCPTransport::Disconnect() {
    if (!connected_) return;
    app::DebugLog("CTCPTransport::Disconnect(%s:%d)", Dotted(remoteAddress_).text, remotePort_);
    platform::CloseSocket(socket_);
    socket_ = platform::kInvalidSocket;
    connected_ = false;
}

int CTCPTransport::WriteData(const std::uint8_t* bytes, std::size_t count) {
    if (!connected_) {
        const int result = Connect();
        if (result != kOk) return result;
    }
    const std::span<const std::uint8_t> data(bytes, count);
    app::DebugLogHexRows("CTCPTransport::WriteData() ", data);
    // The whole frame goes, or the connection is dropped: a frame cut short on a stream that
    // stays open would make its rest and the next frame one garbled frame at the module.
    std::size_t sent = 0;
    while (sent < count) {
        const platform::IoResult result = platform::Send(socket_, data.subspan(sent));
        if (result.status == platform::IoStatus::Done && result.length > 0) {
            sent += result.length;
            continue;
        }
        if (result.status == platform::IoStatus::WouldBlock) {
            // Each wait is bounded, as in ReadData: a peer that keeps taking bytes keeps it going.
            if (platform::WaitUntilReady(socket_, platform::kPollWritable, kWaitMs)) continue;
        } else {
            app::DebugLog("CTCPTransport::WriteData(): error: %d", result.error);
        }
        app::DebugLog("CTCPTransport::WriteData(): NO RESPONSE!");
        Disconnect();
        return kIoFailed;
    }
    return kOk;
}

int CTCPTransport::ReadData(std::uint8_t* buffer, std::size_t count) {
    if (!connected_) return kIoFailed;
    std::size_t received = 0;
    while (received < count) {
        const platform::IoResult got =
            platform::ReceiveStream(socket_, std::span(buffer + received, count - received));
        if (got.status == platform::IoStatus::Done) {
            app::DebugLogHexRows("CTCPTransport::ReadData() ",
                                 std::span(buffer + received, got.length));
            received += got.length;
            continue;
        }
        if (got.status == platform::IoStatus::Closed) {
            app::DebugLog("CTCPTransport::ReadData(): CLOSED!");
        } else if (got.status == platform::IoStatus::Failed) {
            app::DebugLog("CTCPTransport::ReadData(): error: %d", got.error);
        } else if (platform::WaitUntilReady(socket_, platform::kPollReadable, kWaitMs)) {
            continue;
        } else {
            app::DebugLog("CTCPTransport::ReadData(): NO RESPONSE!");
        }
        Disconnect();
        return kIoFailed;
    }
    return kOk;
}

}  // namespace protocol
