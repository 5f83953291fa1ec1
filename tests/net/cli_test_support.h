#pragma once
// What the command-line tests share beyond running the program.
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "netconfig/wire_layout.h"

namespace nettest {

// Sockets that hold both ports of a local address without sharing them, so no exchange from
// that address can bind, and nothing can be sent from it.
class BlockedPorts {
public:
    explicit BlockedPorts(std::uint32_t local) {
        for (const std::uint16_t port : netconfig::wire::kPorts) {
            const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(port);
            address.sin_addr.s_addr = local;
            if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
                ++bound_;
            fds_.push_back(fd);
        }
    }
    ~BlockedPorts() {
        for (const int fd : fds_)
            if (fd >= 0) close(fd);
    }
    bool AllBound() const { return bound_ == netconfig::wire::kPorts.size(); }

private:
    std::vector<int> fds_;
    std::size_t bound_ = 0;
};

}  // namespace nettest
