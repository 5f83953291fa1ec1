#pragma once
// The control modules of the simulated modules on real sockets: per module with control=on a
// TCP listener and a UDP socket on port 9000 of the module's address. Framed requests are cut
// from each connection's byte stream and answered on it; datagrams are answered to their sender.
// The capture records every connection accepted and closed, the bytes received on it, and
// every datagram.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/socket.h"
#include "sim/capture_log.h"
#include "sim/control_responder.h"
#include "sim/module_config.h"

namespace sim {

class ControlModules {
public:
    ControlModules() = default;
    ControlModules(const ControlModules&) = delete;
    ControlModules& operator=(const ControlModules&) = delete;
    ~ControlModules();

    // Opens the sockets of every module with its control module on. False, with `error`, when
    // one cannot be opened; nothing stays open then.
    bool Start(const std::vector<ModuleConfig>& modules, CaptureLog* capture,
               std::uint32_t startTick, std::string& error);
    void Close();

    // The sockets to wait on, appended.
    void AppendSockets(std::vector<platform::SocketHandle>& sockets) const;
    // Serves every socket from sockets[first] on that is readable (readable[i] for sockets[i]).
    void Serve(const std::vector<platform::SocketHandle>& sockets,
               const std::vector<bool>& readable, std::size_t first);
    // Trickled bytes: how long until the next is due (at most limit), and sending those due.
    unsigned MillisecondsUntilDue(unsigned limit) const;
    void SendDue();

private:
    struct Connection {
        platform::SocketHandle socket = platform::kInvalidSocket;
        Endpoint peer;
        Bytes inbound;
        std::deque<std::uint8_t> trickle;  // reply bytes still to send, one per interval
        std::uint32_t nextTrickleTick = 0;
    };
    struct Control {
        ControlConfig config;
        std::uint32_t ip = 0;
        platform::SocketHandle listener = platform::kInvalidSocket;
        platform::SocketHandle datagrams = platform::kInvalidSocket;
        std::vector<Connection> connections;
        ControlState state;
    };

    void Accept(Control& control);
    // False when the connection was closed and must go.
    bool ReadConnection(Control& control, Connection& connection);
    void AnswerStream(Control& control, Connection& connection, bool& close);
    void ServeDatagrams(Control& control);
    void CloseConnection(Control& control, Connection& connection);
    void Record(Endpoint from, Endpoint to, std::span<const std::uint8_t> bytes,
                std::string_view tag);

    std::vector<Control> controls_;
    CaptureLog* capture_ = nullptr;
    std::uint32_t startTick_ = 0;
};

}  // namespace sim
