#include "netconfig/exchange_sockets.h"

ExchangeSockets::~ExchangeSockets() {
    for (const auto handle : handles_) platform::CloseSocket(handle);
    for (const auto handle : listeners_) platform::CloseSocket(handle);
}

void ExchangeSockets::OpenListener(std::size_t i, std::uint16_t port, unsigned interfaceIndex) {
    constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFFu;
    if (interfaceIndex == 0) return;
    listenInterface_ = interfaceIndex;
    const auto socket = platform::OpenUdpSocket();
    if (socket != platform::kInvalidSocket && platform::SetReuseAddress(socket) &&
        platform::SetNonBlocking(socket) && platform::SetReceiveArrivalInterface(socket) &&
        platform::Bind(socket, kLimitedBroadcast, port)) {
        listeners_[i] = socket;
        return;
    }
    platform::CloseSocket(socket);
}

void ExchangeSockets::DropListener(std::size_t i) {
    platform::CloseSocket(listeners_[i]);
    listeners_[i] = platform::kInvalidSocket;
}

void ExchangeSockets::OpenConnected(std::size_t i, std::uint32_t localAddress,
                                    std::uint32_t deviceAddress,
                                    std::span<const std::uint8_t> request) {
    const std::uint16_t port = wire::kPorts[i];
    const auto socket = handles_[i] = platform::OpenUdpSocket();
    usable_[i] = socket != platform::kInvalidSocket && platform::SetReuseAddress(socket) &&
                 platform::SetNonBlocking(socket) && platform::Bind(socket, localAddress, port) &&
                 platform::Connect(socket, deviceAddress, port) &&
                 platform::Send(socket, request) == static_cast<long>(request.size());
}

void ExchangeSockets::OpenBroadcast(std::size_t i, std::uint32_t localAddress,
                                    std::span<const std::uint8_t> request) {
    constexpr std::uint32_t kLimitedBroadcast = 0xFFFFFFFFu;
    const std::uint16_t port = wire::kPorts[i];
    const auto socket = handles_[i] = platform::OpenUdpSocket();
    usable_[i] = socket != platform::kInvalidSocket && platform::SetBroadcast(socket) &&
                 platform::SetReuseAddress(socket) && platform::SetNonBlocking(socket) &&
                 platform::Bind(socket, localAddress, port) &&
                 platform::SendTo(socket, request, kLimitedBroadcast, port) ==
                     static_cast<long>(request.size());
}

bool ExchangeSockets::AnyUsable() const {
    for (const bool usable : usable_)
        if (usable) return true;
    return false;
}

bool ExchangeSockets::WaitAnyReadable() const {
    std::array<platform::SocketHandle, 2 * kCount> waiting{};
    for (std::size_t i = 0; i < kCount; ++i) {
        waiting[2 * i] = usable_[i] ? handles_[i] : platform::kInvalidSocket;
        waiting[2 * i + 1] = usable_[i] ? listeners_[i] : platform::kInvalidSocket;
    }
    return platform::WaitReadable(waiting, kPollStepMs) != 0;
}

bool ExchangeSockets::WaitOneReadable(std::size_t i) const {
    const platform::SocketHandle port[2] = {handles_[i], listeners_[i]};
    return platform::WaitReadable(port, kPollStepMs) != 0;
}
