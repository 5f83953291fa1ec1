#include "netconfig/module_exchange.h"

#include <span>

#include "netconfig/exchange_sockets.h"
#include "netconfig/module_replies.h"

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
                         std::uint32_t& switcherAddress, bool* answered) {
    const auto request = BuildReadSwitcherRequest();
    std::array<std::uint8_t, wire::kReceiveBufferSize> reply{};
    std::size_t stored = 0;
    const bool received =
        ExchangeModuleDatagram(localAddress, deviceAddress, request.data(), request.size(),
                               reply.data(), reply.size(), wire::kSwitcherReplyMinLength, &stored);
    if (answered != nullptr) *answered = received;
    return received && CheckSwitcherReply(std::span(reply).first(stored), switcherAddress);
}

bool WriteSwitcherAddress(std::uint32_t localAddress, std::uint32_t deviceAddress,
                          std::uint32_t switcherAddress, bool* sent) {
    const auto request = BuildWriteSwitcherRequest(switcherAddress);
    // Opened here rather than through ExchangeModuleDatagram, whose send-only call reports
    // nothing, so the caller can learn whether any socket sent.
    ExchangeSockets sockets;
    for (std::size_t i = 0; i < ExchangeSockets::kCount; ++i)
        sockets.OpenConnected(i, localAddress, deviceAddress, request);
    if (sent != nullptr) *sent = sockets.AnyUsable();
    return true;
}

bool ReadModulePassport(std::uint32_t localAddress, std::uint32_t deviceAddress,
                        PassportBuffer& passport, bool* answered) {
    passport.fill(0);
    const auto request = BuildReadPassportRequest();
    const bool received =
        ExchangeModuleDatagram(localAddress, deviceAddress, request.data(), request.size(),
                               passport.data(), passport.size(), wire::kPassportReplyMinLength);
    if (answered != nullptr) *answered = received;
    return received && CheckPassportReply(passport);
}
