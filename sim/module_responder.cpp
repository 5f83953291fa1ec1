#include "sim/module_responder.h"

#include <algorithm>

#include "netconfig/wire_layout.h"

namespace sim {

namespace {

void PutMac(Datagram& datagram, std::size_t offset, const netconfig::MacAddress& mac) {
    std::copy(mac.begin(), mac.end(), datagram.begin() + static_cast<std::ptrdiff_t>(offset));
}

// A reply built in full and then cut or filled up to the configured length.
Datagram FitToLength(Datagram datagram, std::size_t length, std::size_t patternFrom) {
    const std::size_t built = datagram.size();
    datagram.resize(length, 0);
    for (std::size_t i = std::max(built, patternFrom); i < length; ++i)
        datagram[i] = PatternByte(i);
    return datagram;
}

void ApplyReplyMode(ReplyMode mode, std::vector<Datagram>& replies) {
    for (Datagram& reply : replies) {
        switch (mode) {
            case ReplyMode::WrongStatus:
                // A switcher reply cut to 8 bytes (switcher-length) has no byte 8 to spoil.
                if (reply.size() > netconfig::wire::kSwitcherReplyStatusA &&
                    (netconfig::wire::HasMagic(reply, netconfig::wire::kSwitcherReplyMagic) ||
                     netconfig::wire::HasMagic(reply, netconfig::wire::kSwitcherReplyAltMagic)))
                    reply[netconfig::wire::kSwitcherReplyStatusA] = kWrongSwitcherStatus;
                break;
            case ReplyMode::WrongMagic:
                if (reply.size() >= netconfig::wire::kMagicLength)
                    netconfig::wire::PutMagic(reply, kWrongMagic);
                break;
            case ReplyMode::Short: reply.resize(std::min(reply.size(), kShortReplyLength)); break;
            case ReplyMode::Trailing:
                reply.insert(reply.end(), kTrailingLength, kTrailingByte);
                break;
            default: break;
        }
    }
    if (mode == ReplyMode::Twice) {
        const std::size_t count = replies.size();
        for (std::size_t i = 0; i < count; ++i) replies.push_back(replies[i]);
    }
    if (mode == ReplyMode::Silent) replies.clear();
}

}  // namespace

Datagram BuildSwitcherReply(const ModuleConfig& module) {
    Datagram reply(netconfig::wire::kSwitcherReplyFieldsEnd, 0);
    netconfig::wire::PutMagic(reply, module.switchReplyMagic
                                         ? netconfig::wire::kSwitcherReplyAltMagic
                                         : netconfig::wire::kSwitcherReplyMagic);
    reply[netconfig::wire::kSwitcherReplyStatusA] = netconfig::wire::kSwitcherReplyStatusValues[0];
    reply[netconfig::wire::kSwitcherReplyStatusB] = netconfig::wire::kSwitcherReplyStatusValues[1];
    netconfig::wire::PutAddress(reply, netconfig::wire::kSwitcherReplyAddress, module.switcher);
    // Filled with zeros, not the pattern: a longer reply must not look like another address.
    return FitToLength(std::move(reply), module.switcherLength, module.switcherLength);
}

Datagram BuildPassportReply(const ModuleConfig& module) {
    Datagram reply(netconfig::wire::kPassportFieldsEnd, 0);
    netconfig::wire::PutMagic(reply, netconfig::wire::kPassportReplyMagic);
    PutMac(reply, netconfig::wire::kPassportMac, module.mac);
    if (!module.hasPassportData) return FitToLength(std::move(reply), module.passportLength, 0);
    reply.insert(reply.end(), module.passportData.begin(), module.passportData.end());
    // Given data is padded with zeros, not the pattern, so it reads as the module would keep it.
    return FitToLength(std::move(reply), module.passportLength, module.passportLength);
}

Datagram BuildHelloReply(const ModuleConfig& module) {
    Datagram reply(netconfig::wire::kHelloFieldsEnd, 0);
    netconfig::wire::PutMagic(reply, netconfig::wire::kHelloMagic);
    PutMac(reply, netconfig::wire::kHelloMac, module.mac);
    netconfig::wire::PutAddress(reply, netconfig::wire::kHelloIp, module.ip);
    netconfig::wire::PutAddress(reply, netconfig::wire::kHelloMask, module.mask);
    netconfig::wire::PutAddress(reply, netconfig::wire::kHelloGateway, module.gateway);
    // Bytes 26-29 are zero, as the panel does not read them; the pattern starts after the record.
    return FitToLength(std::move(reply), module.helloLength, netconfig::wire::kHelloMinLength);
}

ModuleResponse RespondToDatagram(ModuleConfig& module, std::uint16_t port,
                                 std::span<const std::uint8_t> datagram) {
    ModuleResponse response;
    if (netconfig::wire::HasMagic(datagram, netconfig::wire::kReadSwitcherMagic)) {
        response.replies.push_back(BuildSwitcherReply(module));
    } else if (netconfig::wire::HasMagic(datagram, netconfig::wire::kReadPassportMagic)) {
        response.replies.push_back(BuildPassportReply(module));
    } else if (netconfig::wire::HasMagic(datagram, netconfig::wire::kListMagic)) {
        response.replies.push_back(BuildHelloReply(module));
        response.toBroadcast = module.helloByBroadcast;
    } else if (netconfig::wire::HasMagic(datagram, netconfig::wire::kWriteSwitcherMagic)) {
        if (datagram.size() >= netconfig::wire::kWriteSwitcherFieldsEnd)
            module.switcher =
                netconfig::wire::GetAddress(datagram, netconfig::wire::kWriteSwitcherAddress);
    } else if (netconfig::wire::HasMagic(datagram, netconfig::wire::kSetNetworkMagic)) {
        if (datagram.size() >= netconfig::wire::kSetNetworkLength && !module.ignoresSettings &&
            std::equal(module.mac.begin(), module.mac.end(),
                       datagram.begin() + netconfig::wire::kSetNetworkMac)) {
            response.takeNetwork = true;
            response.newIp = netconfig::wire::GetAddress(datagram, netconfig::wire::kSetNetworkIp);
            response.newMask =
                netconfig::wire::GetAddress(datagram, netconfig::wire::kSetNetworkMask);
            response.newGateway =
                netconfig::wire::GetAddress(datagram, netconfig::wire::kSetNetworkGateway);
        }
    }
    const ReplyBehaviour behaviour = module.ReplyOn(port);
    ApplyReplyMode(behaviour.mode, response.replies);
    if (behaviour.mode == ReplyMode::Delayed) response.delayMs = behaviour.delayMs;
    return response;
}

}  // namespace sim
