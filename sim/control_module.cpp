#include "sim/control_module.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include "netconfig/address_text.h"
#include "platform/socket.h"
#include "platform/tick.h"
#include "protocol/framed_packet.h"

namespace sim {

namespace {

// A peer that floods one socket must not starve the others.
constexpr int kMaxReadsPerWake = 64;
constexpr std::size_t kMaxConnectionsPerModule = 16;
constexpr std::size_t kStreamChunk = 4096;

bool StartsFramedPacket(const Bytes& bytes) {
    return bytes.size() < 2 || (bytes[protocol::packet::kSync1Offset] == protocol::packet::kSync1 &&
                                bytes[protocol::packet::kSync2Offset] == protocol::packet::kSync2);
}

}  // namespace

ControlModules::~ControlModules() { Close(); }

bool ControlModules::Start(const std::vector<ModuleConfig>& modules, CaptureLog* capture,
                           std::uint32_t startTick, std::string& error) {
    Close();
    capture_ = capture;
    startTick_ = startTick;
    for (const ModuleConfig& module : modules) {
        if (!module.control.enabled) continue;
        Control& control = controls_.emplace_back();
        control.config = module.control;
        control.ip = module.ip;
        const std::string where = netconfig::FormatIpAddress(module.ip) + ":" +
                                  std::to_string(protocol::packet::kModulePort);
        control.datagrams = platform::OpenUdpSocket();
        if (control.datagrams == platform::kInvalidSocket ||
            !platform::SetNonBlocking(control.datagrams) ||
            !platform::Bind(control.datagrams, module.ip, protocol::packet::kModulePort)) {
            error = "cannot bind UDP " + where + ": " + platform::SocketErrorText(errno);
            Close();
            return false;
        }
        if (control.config.fault == ControlFault::NotListening) continue;
        control.listener = platform::OpenListeningSocket(module.ip, protocol::packet::kModulePort);
        if (control.listener == platform::kInvalidSocket) {
            error = "cannot listen on TCP " + where + ": " + platform::SocketErrorText(errno);
            Close();
            return false;
        }
    }
    return true;
}

void ControlModules::Close() {
    for (Control& control : controls_) {
        for (Connection& connection : control.connections) platform::CloseSocket(connection.socket);
        platform::CloseSocket(control.listener);
        platform::CloseSocket(control.datagrams);
    }
    controls_.clear();
}

void ControlModules::AppendSockets(std::vector<platform::SocketHandle>& sockets) const {
    for (const Control& control : controls_) {
        sockets.push_back(control.datagrams);
        if (control.listener != platform::kInvalidSocket) sockets.push_back(control.listener);
        for (const Connection& connection : control.connections)
            sockets.push_back(connection.socket);
    }
}

void ControlModules::Serve(const std::vector<platform::SocketHandle>& sockets,
                           const std::vector<bool>& readable, std::size_t first) {
    auto isReadable = [&](platform::SocketHandle socket) {
        for (std::size_t i = first; i < sockets.size(); ++i)
            if (sockets[i] == socket) return readable[i];
        return false;
    };
    for (Control& control : controls_) {
        if (isReadable(control.datagrams)) ServeDatagrams(control);
        // Connections first: one accepted now was not waited on yet.
        for (std::size_t i = 0; i < control.connections.size();) {
            Connection& connection = control.connections[i];
            if (isReadable(connection.socket) && !ReadConnection(control, connection)) {
                CloseConnection(control, connection);
                control.connections.erase(control.connections.begin() +
                                          static_cast<std::ptrdiff_t>(i));
                continue;
            }
            ++i;
        }
        if (control.listener != platform::kInvalidSocket && isReadable(control.listener))
            Accept(control);
    }
}

void ControlModules::Accept(Control& control) {
    for (int count = 0; count < kMaxReadsPerWake; ++count) {
        Connection connection;
        connection.socket = platform::AcceptConnection(control.listener, connection.peer.address,
                                                       connection.peer.port);
        if (connection.socket == platform::kInvalidSocket) return;
        const Endpoint local{control.ip, protocol::packet::kModulePort};
        // Only peers on loopback or the test network are served, and only a few at a time.
        if (!IsTestNetworkAddress(connection.peer.address) ||
            control.connections.size() >= kMaxConnectionsPerModule) {
            platform::CloseSocket(connection.socket);
            continue;
        }
        Record(connection.peer, local, {}, "tcp-accepted");
        control.connections.push_back(std::move(connection));
    }
}

bool ControlModules::ReadConnection(Control& control, Connection& connection) {
    std::array<std::uint8_t, kStreamChunk> buffer;
    const Endpoint local{control.ip, protocol::packet::kModulePort};
    for (int count = 0; count < kMaxReadsPerWake; ++count) {
        const platform::IoResult got = platform::ReceiveStream(connection.socket, buffer);
        if (got.status == platform::IoStatus::WouldBlock) return true;
        if (got.status != platform::IoStatus::Done) return false;
        const std::span<const std::uint8_t> bytes(buffer.data(), got.length);
        Record(connection.peer, local, bytes, "tcp:");
        connection.inbound.insert(connection.inbound.end(), bytes.begin(), bytes.end());
        bool close = false;
        AnswerStream(control, connection, close);
        if (close) return false;
    }
    return true;
}

void ControlModules::AnswerStream(Control& control, Connection& connection, bool& close) {
    Bytes& inbound = connection.inbound;
    for (;;) {
        // Bytes before a sync pair belong to no packet; a module skips them.
        while (!StartsFramedPacket(inbound)) inbound.erase(inbound.begin());
        if (inbound.size() < protocol::packet::kFramedOverhead) return;
        const std::size_t length = protocol::FramedLength(inbound);
        if (inbound.size() < length) return;
        const Bytes request(inbound.begin(), inbound.begin() + static_cast<std::ptrdiff_t>(length));
        inbound.erase(inbound.begin(), inbound.begin() + static_cast<std::ptrdiff_t>(length));
        const ControlConfig answering = ForRequest(control.config, control.state.requests++);
        if (answering.fault == ControlFault::CloseOnRequest) {
            close = true;
            return;
        }
        const Bytes reply = AnswerFramedRequest(answering, control.state, request);
        if (reply.empty()) continue;
        if (control.config.fault == ControlFault::Trickle) {
            if (connection.trickle.empty())
                connection.nextTrickleTick = platform::TickCount() + control.config.count;
            connection.trickle.insert(connection.trickle.end(), reply.begin(), reply.end());
            continue;
        }
        platform::Send(connection.socket, reply);
    }
}

void ControlModules::ServeDatagrams(Control& control) {
    std::array<std::uint8_t, protocol::packet::kBufferSize * 2> buffer;
    const Endpoint local{control.ip, protocol::packet::kModulePort};
    for (int count = 0; count < kMaxReadsPerWake; ++count) {
        const platform::IoResult received = platform::ReceiveDatagram(control.datagrams, buffer);
        if (received.status != platform::IoStatus::Done) return;
        const std::span<const std::uint8_t> datagram(buffer.data(), received.length);
        const Endpoint from{received.fromAddress, received.fromPort};
        Record(from, local, datagram, {});
        if (!IsTestNetworkAddress(from.address)) continue;
        const Bytes reply = AnswerControlDatagram(
            ForRequest(control.config, control.state.requests++), control.state, datagram);
        if (!reply.empty()) platform::SendTo(control.datagrams, reply, from.address, from.port);
    }
}

void ControlModules::CloseConnection(Control& control, Connection& connection) {
    Record(connection.peer, {control.ip, protocol::packet::kModulePort}, {}, "tcp-closed");
    platform::CloseSocket(connection.socket);
    connection.socket = platform::kInvalidSocket;
}

unsigned ControlModules::MillisecondsUntilDue(unsigned limit) const {
    const std::uint32_t now = platform::TickCount();
    unsigned wait = limit;
    for (const Control& control : controls_) {
        for (const Connection& connection : control.connections) {
            if (connection.trickle.empty()) continue;
            const auto left = static_cast<std::int32_t>(connection.nextTrickleTick - now);
            if (left <= 0) return 0;
            wait = std::min(wait, static_cast<unsigned>(left));
        }
    }
    return wait;
}

void ControlModules::SendDue() {
    const std::uint32_t now = platform::TickCount();
    for (Control& control : controls_) {
        for (Connection& connection : control.connections) {
            if (connection.trickle.empty() ||
                static_cast<std::int32_t>(now - connection.nextTrickleTick) < 0)
                continue;
            const std::uint8_t byte = connection.trickle.front();
            connection.trickle.pop_front();
            platform::Send(connection.socket, std::span(&byte, 1));
            connection.nextTrickleTick = now + control.config.count;
        }
    }
}

void ControlModules::Record(Endpoint from, Endpoint to, std::span<const std::uint8_t> bytes,
                            std::string_view tag) {
    if (capture_ != nullptr)
        capture_->Record(platform::ElapsedSince(startTick_), from, to, bytes, tag);
}

}  // namespace sim
