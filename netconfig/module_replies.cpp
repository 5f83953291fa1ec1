#include "netconfig/module_replies.h"

#include <algorithm>

namespace netconfig {

ReadSwitcherRequest BuildReadSwitcherRequest() {
    ReadSwitcherRequest request{};
    wire::PutMagic(request, wire::kReadSwitcherMagic);
    return request;
}

WriteSwitcherRequest BuildWriteSwitcherRequest(std::uint32_t switcherAddress) {
    WriteSwitcherRequest request{};
    wire::PutMagic(request, wire::kWriteSwitcherMagic);
    request[wire::kWriteSwitcherFlag] = wire::kWriteSwitcherFlagValue;
    wire::PutAddress(request, wire::kWriteSwitcherAddress, switcherAddress);
    return request;
}

ReadPassportRequest BuildReadPassportRequest() {
    ReadPassportRequest request{};
    wire::PutMagic(request, wire::kReadPassportMagic);
    return request;
}

bool TakeSufficientDatagram(std::span<const std::uint8_t> datagram, std::size_t minimumLength,
                            std::span<std::uint8_t> reply, std::size_t& stored) {
    if (datagram.size() < minimumLength) return false;
    const std::size_t count = std::min(datagram.size(), reply.size());
    std::copy_n(datagram.begin(), count, reply.begin());
    stored = count;
    return true;
}

bool CheckSwitcherReply(std::span<const std::uint8_t> reply, std::uint32_t& switcherAddress) {
    if (reply.size() < wire::kSwitcherReplyMinLength) return false;
    if (!wire::HasMagic(reply, wire::kSwitcherReplyMagic) &&
        !wire::HasMagic(reply, wire::kSwitcherReplyAltMagic))
        return false;
    if (reply[wire::kSwitcherReplyStatusB] != wire::kSwitcherReplyStatusValues[1] ||
        reply[wire::kSwitcherReplyStatusA] != wire::kSwitcherReplyStatusValues[0])
        return false;
    // A short reply is read as if the rest of a cleared buffer followed it.
    std::array<std::uint8_t, wire::kSwitcherReplyFieldsEnd> head{};
    std::copy_n(reply.begin(), std::min(reply.size(), head.size()), head.begin());
    switcherAddress = wire::GetAddress(head, wire::kSwitcherReplyAddress);
    return true;
}

bool CheckPassportReply(std::span<const std::uint8_t> passport) {
    return wire::HasMagic(passport, wire::kPassportReplyMagic);
}

bool AcceptPassportDatagram(std::span<const std::uint8_t> datagram, PassportBuffer& passport) {
    passport.fill(0);
    std::size_t stored = 0;
    return TakeSufficientDatagram(datagram, wire::kPassportReplyMinLength, passport, stored) &&
           CheckPassportReply(passport);
}

}  // namespace netconfig
