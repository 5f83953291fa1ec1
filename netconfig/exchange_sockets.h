#pragma once
// The two sockets every configuration exchange works with, one per port (9100, then 9101), and
// the polling pass that reads them. Used by the unicast and the broadcast exchanges alike.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "netconfig/wire_layout.h"
#include "platform/idle_hook.h"
#include "platform/tick.h"
#include "platform/udp_socket.h"

// How long one select of a polling pass waits.
constexpr unsigned kPollStepMs = 100;
// How long a unicast exchange waits for its reply.
constexpr std::uint32_t kUnicastDeadlineMs = 3000;

class ExchangeSockets {
public:
    static constexpr std::size_t kCount = wire::kPorts.size();

    ExchangeSockets() = default;
    // Closes every socket, so no return path of an exchange leaves one open.
    ~ExchangeSockets();
    ExchangeSockets(const ExchangeSockets&) = delete;
    ExchangeSockets& operator=(const ExchangeSockets&) = delete;

    // Unicast set-up of socket i: create, SO_REUSEADDR, non-blocking, bind to the local address
    // and the port, connect to the device on the same port, send the request whole. A failing
    // step leaves the socket unusable and skips the rest.
    void OpenConnected(std::size_t i, std::uint32_t localAddress, std::uint32_t deviceAddress,
                       std::span<const std::uint8_t> request);
    // Broadcast set-up of socket i: create, SO_BROADCAST, SO_REUSEADDR, non-blocking, bind, and
    // send the request whole to 255.255.255.255 on the port.
    void OpenBroadcast(std::size_t i, std::uint32_t localAddress,
                       std::span<const std::uint8_t> request);

    // Broadcast reception for port i: a socket bound to 255.255.255.255 that takes only what
    // arrived on interface `interfaceIndex` (the adapter's). A module still on a foreign subnet
    // answers by limited broadcast, which Linux never hands to the adapter-bound socket. Without
    // a listener (the port is taken, the interface unknown) the exchange goes on as before.
    void OpenListener(std::size_t i, std::uint16_t port, unsigned interfaceIndex);
    platform::SocketHandle Listener(std::size_t i) const { return listeners_[i]; }
    // A datagram from the listener of a port counts only when it came in on the adapter.
    bool FromAdapter(const platform::ReceiveResult& received) const {
        return received.arrivalInterface == listenInterface_;
    }
    void DropListener(std::size_t i);

    bool Usable(std::size_t i) const { return usable_[i]; }
    bool AnyUsable() const;
    // A failed socket takes no further part; it stays open until the exchange ends.
    void MarkFailed(std::size_t i) { usable_[i] = false; }
    platform::SocketHandle Handle(std::size_t i) const { return handles_[i]; }

    // One polling pass: wait up to 100 ms for any usable socket; if one became readable, then
    // for each usable socket in port order wait up to 100 ms for it (or its port's listener)
    // alone and, when readable,
    // call onReadable(i). onReadable returns true to end the exchange, which ends the pass.
    // Returns true when onReadable did. Runs the idle hook once, so a window can repaint.
    template <typename OnReadable>
    bool PollPass(OnReadable&& onReadable) {
        platform::RunIdleHook();
        if (!WaitAnyReadable()) return false;
        for (std::size_t i = 0; i < kCount; ++i) {
            if (!usable_[i] || !WaitOneReadable(i)) continue;
            if (onReadable(i)) return true;
        }
        return false;
    }

private:
    bool WaitAnyReadable() const;
    bool WaitOneReadable(std::size_t i) const;

    std::array<platform::SocketHandle, kCount> handles_{platform::kInvalidSocket,
                                                        platform::kInvalidSocket};
    std::array<bool, kCount> usable_{};
    std::array<platform::SocketHandle, kCount> listeners_{platform::kInvalidSocket,
                                                          platform::kInvalidSocket};
    unsigned listenInterface_ = 0;
};

// Runs the exchange's polling passes until onReadable ends it (true), the deadline passes or no
// socket is usable (false). The deadline is measured on the wrapping millisecond tick and tested
// between passes, so a pass that has begun always finishes.
template <typename OnReadable>
bool PollUntil(ExchangeSockets& sockets, std::uint32_t startTick, std::uint32_t deadlineMs,
               OnReadable&& onReadable) {
    while (platform::ElapsedSince(startTick) < deadlineMs && sockets.AnyUsable()) {
        if (sockets.PollPass(onReadable)) return true;
    }
    return false;
}
