#include "netconfig/module_exchange.h"

#include <span>

#include "netconfig/exchange_sockets.h"
#include "netconfig/module_replies.h"

namespace {
constexpr std::uint32_t kUnicastDeadlineMs = 3000;
}

bool ExchangeModuleDatagram(std::uint32_t localAddress, std::uint32_t deviceAddress,
                            const std::uint8_t* request, std::size_t requestLength,
                            std::uint8_t* replyBuffer, std::size_t replyCapacity,
                            std::size_t minimumReplyLength, std::size_t* replyLength) {
    if (request == nullptr || requestLength == 0) return false;
    if (replyCapacity > 0 && replyBuffer == nullptr) return false;
    const std::span<const std::uint8_t> requestBytes(request, requestLength);

    ExchangeSockets sockets;
    for (std::size_t i = 0; i < ExchangeSockets::kCount; ++i)
        sockets.OpenConnected(i, localAddress, deviceAddress, requestBytes);
    if (replyCapacity == 0) return true;

    const std::span<std::uint8_t> reply(replyBuffer, replyCapacity);
    std::array<std::uint8_t, wire::kReceiveBufferSize> datagram{};
    const std::uint32_t start = platform::TickCount();
    return PollUntil(sockets, start, kUnicastDeadlineMs, [&](std::size_t i) {
        const auto received = platform::Receive(sockets.Handle(i), datagram);
        if (received.status == platform::ReceiveStatus::Failed) {
            sockets.MarkFailed(i);
            return false;
        }
        if (received.status != platform::ReceiveStatus::Received) return false;
        std::size_t stored = 0;
        if (!TakeSufficientDatagram(std::span(datagram).first(received.length),
                                    minimumReplyLength, reply, stored))
            return false;
        if (replyLength != nullptr) *replyLength = stored;
        return true;
    });
}

bool ReadSwitcherAddress(std::uint32_t localAddress, std::uint32_t deviceAddress,
                         std::uint32_t& switcherAddress) {
    const auto request = BuildReadSwitcherRequest();
    std::array<std::uint8_t, wire::kReceiveBufferSize> reply{};
    std::size_t stored = 0;
    if (!ExchangeModuleDatagram(localAddress, deviceAddress, request.data(), request.size(),
                                reply.data(), reply.size(), wire::kSwitcherReplyMinLength,
                                &stored))
        return false;
    return CheckSwitcherReply(std::span(reply).first(stored), switcherAddress);
}

bool WriteSwitcherAddress(std::uint32_t localAddress, std::uint32_t deviceAddress,
                          std::uint32_t switcherAddress) {
    const auto request = BuildWriteSwitcherRequest(switcherAddress);
    ExchangeModuleDatagram(localAddress, deviceAddress, request.data(), request.size(), nullptr,
                           0, 0);
    return true;
}

bool ReadModulePassport(std::uint32_t localAddress, std::uint32_t deviceAddress,
                        PassportBuffer& passport) {
    passport.fill(0);
    const auto request = BuildReadPassportRequest();
    return ExchangeModuleDatagram(localAddress, deviceAddress, request.data(), request.size(),
                                  passport.data(), passport.size(),
                                  wire::kPassportReplyMinLength) &&
           CheckPassportReply(passport);
}
