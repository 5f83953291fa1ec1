#pragma once
// Plays a set of modules on real UDP sockets: per module one socket per answered port, bound
// to the module's own address, and with broadcast reception on, one socket per port that hears
// 255.255.255.255. Replies always leave from the module's own socket, so they come from the
// module's address and the port the request went to.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/socket.h"
#include "sim/capture_log.h"
#include "sim/control_module.h"
#include "sim/module_responder.h"

namespace sim {

class ModuleSimulator {
public:
    ModuleSimulator() = default;
    ModuleSimulator(const ModuleSimulator&) = delete;
    ModuleSimulator& operator=(const ModuleSimulator&) = delete;
    ~ModuleSimulator();

    // Binds every socket. False, with `error` naming the address and port, when one cannot be
    // bound; nothing stays open then. `capture` may be null and must outlive the simulator.
    bool Start(const std::vector<ModuleConfig>& modules, bool hearBroadcasts, CaptureLog* capture,
               std::string& error);

    // Handles every datagram that arrives and every delayed reply that falls due within
    // waitMs, then returns; returns early when a signal interrupts the wait.
    void Serve(unsigned waitMs);

private:
    static constexpr std::size_t kNoModule = static_cast<std::size_t>(-1);

    struct SimulatedModule {
        ModuleConfig config;
        std::array<platform::SocketHandle, 2> sockets{platform::kInvalidSocket,
                                                      platform::kInvalidSocket};
    };
    struct PendingReply {
        std::uint32_t dueTick = 0;
        std::size_t module = 0;
        std::size_t port = 0;  // index into netconfig::wire::kPorts
        Endpoint to;
        Datagram bytes;
        unsigned throughInterface = 0;
    };
    // Which socket of the poll list belongs to whom.
    struct SocketOwner {
        std::size_t module = kNoModule;  // kNoModule for a broadcast socket
        std::size_t port = 0;
    };

    bool OpenModuleSockets(SimulatedModule& module, std::string& error);
    static void CloseModuleSockets(SimulatedModule& module);
    void CloseAll();
    void DrainSocket(platform::SocketHandle socket, SocketOwner owner);
    void Deliver(std::size_t moduleIndex, std::size_t port, Endpoint from,
                 unsigned arrivalInterface, std::span<const std::uint8_t> datagram);
    // throughInterface 0: as routed; otherwise out through that interface (broadcast replies).
    void Send(std::size_t moduleIndex, std::size_t port, Endpoint to, const Datagram& bytes,
              unsigned throughInterface);
    void MoveModule(std::size_t moduleIndex, const ModuleResponse& response);
    void SendDueReplies();
    unsigned MillisecondsUntilNextReply(unsigned limit) const;
    std::uint32_t Elapsed() const;

    std::vector<SimulatedModule> modules_;
    std::array<platform::SocketHandle, 2> broadcastSockets_{platform::kInvalidSocket,
                                                            platform::kInvalidSocket};
    std::vector<PendingReply> pending_;
    ControlModules controls_;  // port 9000 of the modules with control=on
    CaptureLog* capture_ = nullptr;
    std::uint32_t startTick_ = 0;
    bool warnedForeignPeer_ = false;
};

}  // namespace sim
