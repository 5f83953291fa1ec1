#include "sim/module_responder.h"

#include <algorithm>

#include "netconfig/wire_layout.h"

namespace sim {

namespace {

void PutMac(Datagram& datagram, std::size_t offset, const MacAddress& mac) {
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
                if (reply.size() > wire::kSwitcherReplyStatusA &&
                    (wire::HasMagic(reply, wire::kSwitcherReplyMagic) ||
                     wire::HasMagic(reply, wire::kSwitcherReplyAltMagic)))
                    reply[wire::kSwitcherReplyStatusA] = kWrongSwitcherStatus;
                break;
            case ReplyMode::WrongMagic:
                if (reply.size() >= wire::kMagicLength) wire::PutMagic(reply, kWrongMagic);
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
    Datagram reply(wire::kSwitcherReplyFieldsEnd, 0);
    wire::PutMagic(
        reply, module.switchReplyMagic ? wire::kSwitcherReplyAltMagic : wire::kSwitcherReplyMagic);
    reply[wire::kSwitcherReplyStatusA] = wire::kSwitcherReplyStatusValues[0];
    reply[wire::kSwitcherReplyStatusB] = wire::kSwitcherReplyStatusValues[1];
    wire::PutAddress(reply, wire::kSwitcherReplyAddress, module.switcher);
    // Filled with zeros, not the pattern: a longer reply must not look like another address.
    return FitToLength(std::move(reply), module.switcherLength, module.switcherLength);
}

Datagram BuildPassportReply(const ModuleConfig& module) {
    Datagram reply(wire::kPassportFieldsEnd, 0);
    wire::PutMagic(reply, wire::kPassportReplyMagic);
    PutMac(reply, wire::kPassportMac, module.mac);
    if (!module.hasPassportData) return FitToLength(std::move(reply), module.passportLength, 0);
    reply.insert(reply.end(), module.passportData.begin(), module.passportData.end());
    // Given data is padded with zeros, not the pattern, so it reads as the module would keep it.
    return FitToLength(std::move(reply), module.passportLength, module.passportLength);
}

Datagram BuildHelloReply(const ModuleConfig& module) {
    Datagram reply(wire::kHelloFieldsEnd, 0);
    wire::PutMagic(reply, wire::kHelloMagic);
    PutMac(reply, wire::kHelloMac, module.mac);
    wire::PutAddress(reply, wire::kHelloIp, module.ip);
    wire::PutAddress(reply, wire::kHelloMask, module.mask);
    wire::PutAddress(reply, wire::kHelloGateway, module.gateway);
    // Bytes 26-29 are zero, as the panel does not read them; the pattern starts after the record.
    return FitToLength(std::move(reply), module.helloLength, wire::kHelloMinLength);
}

ModuleResponse RespondToDatagram(ModuleConfig& module, std::uint16_t port,
                                 std::span<const std::uint8_t> datagram) {
    ModuleResponse response;
    if (wire::HasMagic(datagram, wire::kReadSwitcherMagic)) {
        response.replies.push_back(BuildSwitcherReply(module));
    } else if (wire::HasMagic(datagram, wire::kReadPassportMagic)) {
        response.replies.push_back(BuildPassportReply(module));
    } else if (wire::HasMagic(datagram, wire::kListMagic)) {
        response.replies.push_back(BuildHelloReply(module));
        response.toBroadcast = module.helloByBroadcast;
    } else if (wire::HasMagic(datagram, wire::kWriteSwitcherMagic)) {
        if (datagram.size() >= wire::kWriteSwitcherFieldsEnd)
            module.switcher = wire::GetAddress(datagram, wire::kWriteSwitcherAddress);
    } else if (wire::HasMagic(datagram, wire::kSetNetworkMagic)) {
        if (datagram.size() >= wire::kSetNetworkLength && !module.ignoresSettings &&
            std::equal(module.mac.begin(), module.mac.end(),
                       datagram.begin() + wire::kSetNetworkMac)) {
            response.takeNetwork = true;
            response.newIp = wire::GetAddress(datagram, wire::kSetNetworkIp);
            response.newMask = wire::GetAddress(datagram, wire::kSetNetworkMask);
            response.newGateway = wire::GetAddress(datagram, wire::kSetNetworkGateway);
        }
    }
    const ReplyBehaviour behaviour = module.ReplyOn(port);
    ApplyReplyMode(behaviour.mode, response.replies);
    if (behaviour.mode == ReplyMode::Delayed) response.delayMs = behaviour.delayMs;
    return response;
}

}  // namespace sim
