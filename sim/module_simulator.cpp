#include "sim/module_simulator.h"

#include <cerrno>
#include <cstdio>

#include "netconfig/address_text.h"
#include "netconfig/wire_layout.h"
#include "platform/poller.h"
#include "platform/tick.h"

namespace sim {

namespace {

constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFFu;
// A flood of datagrams on one socket must not starve the others.
constexpr int kMaxDatagramsPerWake = 64;

void Warn(const std::string& message) {
    std::fprintf(stderr, "vantrel-modsim: %s\n", message.c_str());
}

std::string DescribeEndpoint(std::uint32_t address, std::uint16_t port) {
    return netconfig::FormatIpAddress(address) + ":" + std::to_string(port);
}

platform::SocketHandle OpenBoundSocket(std::uint32_t address, std::uint16_t port, bool shared,
                                       std::string& error) {
    const platform::SocketHandle socket = platform::OpenUdpSocket();
    // No SO_REUSEADDR unless the module shares its address: a module's own address never
    // overlaps the panel's, and without it a second simulator on the same address is refused
    // instead of silently sharing the port. Sharing modules bind the same address and port,
    // and the kernel hands a unicast to one of them.
    // Broadcast and arrival interface: a module answering by broadcast sends its hello out
    // through the interface the request came in on.
    if (socket != platform::kInvalidSocket && platform::SetNonBlocking(socket) &&
        (!shared || platform::SetReuseAddress(socket)) && platform::SetBroadcast(socket) &&
        platform::SetReceiveArrivalInterface(socket) && platform::Bind(socket, address, port))
        return socket;
    error =
        "cannot bind " + DescribeEndpoint(address, port) + ": " + platform::SocketErrorText(errno);
    platform::CloseSocket(socket);
    return platform::kInvalidSocket;
}

}  // namespace

ModuleSimulator::~ModuleSimulator() { CloseAll(); }

bool ModuleSimulator::Start(const std::vector<ModuleConfig>& modules, bool hearBroadcasts,
                            CaptureLog* capture, std::string& error) {
    CloseAll();
    capture_ = capture;
    startTick_ = platform::TickCount();
    for (const ModuleConfig& config : modules) {
        modules_.emplace_back();
        modules_.back().config = config;
        if (!OpenModuleSockets(modules_.back(), error)) {
            CloseAll();
            return false;
        }
    }
    if (!controls_.Start(modules, capture, startTick_, error)) {
        CloseAll();
        return false;
    }
    if (hearBroadcasts) {
        for (std::size_t port = 0; port < netconfig::wire::kPorts.size(); ++port) {
            broadcastSockets_[port] =
                OpenBoundSocket(kLimitedBroadcast, netconfig::wire::kPorts[port], false, error);
            if (broadcastSockets_[port] == platform::kInvalidSocket) {
                CloseAll();
                return false;
            }
        }
    }
    return true;
}

bool ModuleSimulator::OpenModuleSockets(SimulatedModule& module, std::string& error) {
    const std::array<bool, 2> answers = {module.config.answersPortA, module.config.answersPortB};
    for (std::size_t port = 0; port < netconfig::wire::kPorts.size(); ++port) {
        if (!answers[port]) continue;
        module.sockets[port] = OpenBoundSocket(module.config.ip, netconfig::wire::kPorts[port],
                                               module.config.sharesIp, error);
        if (module.sockets[port] == platform::kInvalidSocket) {
            CloseModuleSockets(module);
            return false;
        }
    }
    return true;
}

void ModuleSimulator::CloseModuleSockets(SimulatedModule& module) {
    for (auto& socket : module.sockets) {
        platform::CloseSocket(socket);
        socket = platform::kInvalidSocket;
    }
}

void ModuleSimulator::CloseAll() {
    for (SimulatedModule& module : modules_) CloseModuleSockets(module);
    modules_.clear();
    for (auto& socket : broadcastSockets_) {
        platform::CloseSocket(socket);
        socket = platform::kInvalidSocket;
    }
    pending_.clear();
    controls_.Close();
}

std::uint32_t ModuleSimulator::Elapsed() const { return platform::ElapsedSince(startTick_); }

void ModuleSimulator::Serve(unsigned waitMs) {
    std::vector<platform::SocketHandle> sockets;
    std::vector<SocketOwner> owners;
    for (std::size_t i = 0; i < modules_.size(); ++i) {
        for (std::size_t port = 0; port < netconfig::wire::kPorts.size(); ++port) {
            if (modules_[i].sockets[port] == platform::kInvalidSocket) continue;
            sockets.push_back(modules_[i].sockets[port]);
            owners.push_back({i, port});
        }
    }
    for (std::size_t port = 0; port < netconfig::wire::kPorts.size(); ++port) {
        if (broadcastSockets_[port] == platform::kInvalidSocket) continue;
        sockets.push_back(broadcastSockets_[port]);
        owners.push_back({kNoModule, port});
    }
    const std::size_t firstControl = sockets.size();
    controls_.AppendSockets(sockets);
    const unsigned wait = controls_.MillisecondsUntilDue(MillisecondsUntilNextReply(waitMs));
    std::vector<platform::PollEntry> entries(sockets.size());
    for (std::size_t i = 0; i < sockets.size(); ++i) entries[i].socket = sockets[i];
    if (platform::Poll(entries, wait) > 0) {
        std::vector<bool> readable(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) readable[i] = entries[i].ready != 0;
        // A move during this pass replaces sockets, so every handle is checked against its
        // owner's current one before it is read.
        for (std::size_t i = 0; i < firstControl; ++i) {
            if (!readable[i]) continue;
            const SocketOwner owner = owners[i];
            const platform::SocketHandle current = owner.module == kNoModule
                                                       ? broadcastSockets_[owner.port]
                                                       : modules_[owner.module].sockets[owner.port];
            if (current == sockets[i]) DrainSocket(current, owner);
        }
        controls_.Serve(sockets, readable, firstControl);
    }
    SendDueReplies();
    controls_.SendDue();
}

void ModuleSimulator::DrainSocket(platform::SocketHandle socket, SocketOwner owner) {
    std::array<std::uint8_t, kMaxReplyLength + 1> buffer{};
    const std::uint16_t portNumber = netconfig::wire::kPorts[owner.port];
    for (int count = 0; count < kMaxDatagramsPerWake; ++count) {
        const platform::IoResult received = platform::ReceiveDatagram(socket, buffer);
        // An error on an unconnected socket concerns an earlier reply; the socket stays in use.
        if (received.status != platform::IoStatus::Done) return;
        const std::span<const std::uint8_t> datagram(buffer.data(), received.length);
        const Endpoint from{received.fromAddress, received.fromPort};
        const Endpoint to{
            owner.module == kNoModule ? kLimitedBroadcast : modules_[owner.module].config.ip,
            portNumber};
        if (capture_ != nullptr) capture_->Record(Elapsed(), from, to, datagram);
        // A module's own broadcast hello comes back to the broadcast socket with no source.
        if (owner.module == kNoModule && from.address == 0) continue;
        if (!IsTestNetworkAddress(from.address)) {
            if (!warnedForeignPeer_)
                Warn("not answering " + netconfig::FormatIpAddress(from.address) +
                     ", which is neither on loopback nor on the test network");
            warnedForeignPeer_ = true;
            continue;
        }
        if (owner.module != kNoModule) {
            Deliver(owner.module, owner.port, from, received.arrivalInterface, datagram);
            continue;
        }
        // A broadcast reaches every module that answers on its port, in configuration order.
        for (std::size_t i = 0; i < modules_.size(); ++i)
            if (modules_[i].sockets[owner.port] != platform::kInvalidSocket)
                Deliver(i, owner.port, from, received.arrivalInterface, datagram);
    }
}

void ModuleSimulator::Deliver(std::size_t moduleIndex, std::size_t port, Endpoint from,
                              unsigned arrivalInterface, std::span<const std::uint8_t> datagram) {
    const ModuleResponse response =
        RespondToDatagram(modules_[moduleIndex].config, netconfig::wire::kPorts[port], datagram);
    if (response.takeNetwork) MoveModule(moduleIndex, response);
    const Endpoint to = response.toBroadcast ? Endpoint{kLimitedBroadcast, from.port} : from;
    const unsigned through = response.toBroadcast ? arrivalInterface : 0;
    for (const Datagram& reply : response.replies) {
        if (response.delayMs == 0) {
            Send(moduleIndex, port, to, reply, through);
        } else {
            pending_.push_back(
                {platform::TickCount() + response.delayMs, moduleIndex, port, to, reply, through});
        }
    }
}

void ModuleSimulator::Send(std::size_t moduleIndex, std::size_t port, Endpoint to,
                           const Datagram& bytes, unsigned throughInterface) {
    const platform::SocketHandle socket = modules_[moduleIndex].sockets[port];
    if (socket == platform::kInvalidSocket) return;
    const platform::IoResult sent = throughInterface == 0
                                        ? platform::SendTo(socket, bytes, to.address, to.port)
                                        : platform::SendToThroughInterface(
                                              socket, bytes, to.address, to.port, throughInterface);
    if (!platform::SentWhole(sent, bytes.size()))
        Warn("a reply to " + DescribeEndpoint(to.address, to.port) +
             " could not be sent: " + platform::SocketErrorText(sent.error));
}

void ModuleSimulator::MoveModule(std::size_t moduleIndex, const ModuleResponse& response) {
    SimulatedModule& module = modules_[moduleIndex];
    const std::uint32_t oldIp = module.config.ip;
    if (response.newIp != oldIp) {
        if (!IsModuleAddressAllowed(response.newIp)) {
            Warn("module " + netconfig::FormatIpAddress(oldIp) + " refuses to move to " +
                 netconfig::FormatIpAddress(response.newIp) +
                 ", outside loopback and the test network");
            return;
        }
        for (const SimulatedModule& other : modules_) {
            if (other.config.ip == response.newIp) {
                Warn("module " + netconfig::FormatIpAddress(oldIp) + " cannot move to " +
                     netconfig::FormatIpAddress(response.newIp) + ": another module is there");
                return;
            }
        }
        CloseModuleSockets(module);
        module.config.ip = response.newIp;
        std::string error;
        if (!OpenModuleSockets(module, error)) {
            Warn("module " + netconfig::FormatIpAddress(oldIp) + " stays where it was: " + error);
            module.config.ip = oldIp;
            if (!OpenModuleSockets(module, error)) Warn(error);
            return;
        }
    }
    module.config.mask = response.newMask;
    module.config.gateway = response.newGateway;
}

void ModuleSimulator::SendDueReplies() {
    const std::uint32_t now = platform::TickCount();
    for (std::size_t i = 0; i < pending_.size();) {
        if (static_cast<std::int32_t>(now - pending_[i].dueTick) < 0) {
            ++i;
            continue;
        }
        Send(pending_[i].module, pending_[i].port, pending_[i].to, pending_[i].bytes,
             pending_[i].throughInterface);
        pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

unsigned ModuleSimulator::MillisecondsUntilNextReply(unsigned limit) const {
    const std::uint32_t now = platform::TickCount();
    unsigned wait = limit;
    for (const PendingReply& reply : pending_) {
        const std::int32_t left = static_cast<std::int32_t>(reply.dueTick - now);
        if (left <= 0) return 0;
        if (static_cast<unsigned>(left) < wait) wait = static_cast<unsigned>(left);
    }
    return wait;
}

}  // namespace sim
