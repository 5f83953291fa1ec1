#pragma once
// What the command-line tests share beyond running the program.
#include <cstdint>
#include <vector>

#include "netconfig/wire_layout.h"
#include "platform/socket.h"

namespace nettest {

// Sockets that hold both ports of a local address without sharing them, so no exchange from
// that address can bind, and nothing can be sent from it.
class BlockedPorts {
public:
    explicit BlockedPorts(std::uint32_t local) {
        for (const std::uint16_t port : netconfig::wire::kPorts) {
            const platform::SocketHandle socket = platform::OpenUdpSocket();
            if (socket != platform::kInvalidSocket && platform::Bind(socket, local, port)) ++bound_;
            sockets_.push_back(socket);
        }
    }
    ~BlockedPorts() {
        for (const platform::SocketHandle socket : sockets_) platform::CloseSocket(socket);
    }
    bool AllBound() const { return bound_ == netconfig::wire::kPorts.size(); }

private:
    std::vector<platform::SocketHandle> sockets_;
    std::size_t bound_ = 0;
};

}  // namespace nettest
