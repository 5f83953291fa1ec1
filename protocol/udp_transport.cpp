#include "protocol/udp_transport.h"

#include <span>

#include "app/debug_log.h"
#include "platform/poller.h"

namespace protocol {

CUDPTransport::~CUDPTransport() { Close(); }

void CUDPTransport::SetAddress(std::uint32_t address, int port, std::uint32_t localAddress) {
    if (addressSet_) Close();
    remoteAddress_ = address;
    remotePort_ = port;
    localAddress_ = localAddress;
    addressSet_ = true;
}

int CUDPTransport::Open() {
    if (open_) return kOk;
    const platform::SocketHandle socket = platform::OpenUdpSocket();
    if (socket == platform::kInvalidSocket) return kOpenFailed;
    if (!platform::SetReuseAddress(socket) || !platform::SetNonBlocking(socket) ||
        !platform::Bind(socket, localAddress_, 0) ||
        !platform::Connect(socket, remoteAddress_,
                           static_cast<std::uint16_t>(remotePort_ & 0xFFFF))) {
        platform::CloseSocket(socket);
        return kOpenFailed;
    }
    socket_ = socket;
    open_ = true;
    return kOk;
}

void CUDPTransport::Close() {
    if (!open_) return;
    platform::CloseSocket(socket_);
    socket_ = platform::kInvalidSocket;
    open_ = false;
}

int CUDPTransport::WriteData(const std::uint8_t* bytes, std::size_t count) {
    if (!open_ && Open() != kOk) return kOpenFailed;
    const platform::IoResult sent = platform::Send(socket_, std::span(bytes, count));
    // A datagram the system would not queue is dropped; the reply wait then fails and the
    // caller sends it again.
    if (platform::SentWhole(sent, count) || sent.status == platform::IoStatus::WouldBlock)
        return kOk;
    app::DebugLog("CUDPTransport::WriteData(): ERROR %d", sent.error);
    Close();
    return kSendFailed;
}

std::size_t CUDPTransport::ReadData(std::uint8_t* buffer, std::size_t size) {
    if (!open_ || !platform::WaitUntilReady(socket_, platform::kPollReadable, kReadWaitMs))
        return 0;
    // A datagram longer than the buffer is refused whole rather than taken cut.
    const platform::IoResult got = platform::ReceiveDatagram(socket_, std::span(buffer, size));
    return got.status == platform::IoStatus::Done && !got.cut ? got.length : 0;
}

}  // namespace protocol
