#include "sim/control_config.h"

#include <array>
#include <utility>

namespace sim {

namespace {

struct FaultName {
    std::string_view name;
    ControlFault fault;
    bool takesCount;
};

constexpr std::array<FaultName, 17> kFaults = {{
    {"none", ControlFault::None, false},
    {"busy", ControlFault::Busy, true},
    {"status", ControlFault::Status, true},
    {"wrong-sequence", ControlFault::WrongSequence, false},
    {"short", ControlFault::ShortReply, false},
    {"long", ControlFault::LongReply, false},
    {"silent", ControlFault::Silent, false},
    {"bad-crc", ControlFault::BadCrc, false},
    {"bad-sync", ControlFault::BadSync, false},
    {"status-bit-clear", ControlFault::StatusBitClear, false},
    {"wrong-command", ControlFault::WrongCommand, false},
    {"wrong-type", ControlFault::WrongType, false},
    {"other-address", ControlFault::OtherAddress, false},
    {"close", ControlFault::CloseOnRequest, false},
    {"partial", ControlFault::PartialReply, false},
    {"trickle", ControlFault::Trickle, true},
    {"not-listening", ControlFault::NotListening, false},
}};

bool ParseCount(std::string_view text, unsigned& count) {
    if (text.empty() || text.size() > 5) return false;
    unsigned value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > kMaxFaultCount) return false;
    count = value;
    return true;
}

}  // namespace

bool ParseControlFault(std::string_view text, ControlConfig& control, std::string& expected) {
    const auto colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    for (const FaultName& entry : kFaults) {
        if (entry.name != name) continue;
        unsigned count = 0;
        const bool hasCount = colon != std::string_view::npos;
        if (hasCount && (!entry.takesCount || !ParseCount(text.substr(colon + 1), count))) break;
        // A status or a trickle needs its number; busy without one is busy for good.
        if (!hasCount && entry.takesCount && entry.fault != ControlFault::Busy) break;
        control.fault = entry.fault;
        control.count = count;
        control.enabled = true;
        return true;
    }
    expected = "one of none, busy[:N], status:N, wrong-sequence, short, long, silent, bad-crc, "
               "bad-sync, status-bit-clear, wrong-command, wrong-type, other-address, close, "
               "partial, trickle:MS, not-listening (N and MS up to " +
               std::to_string(kMaxFaultCount) + ")";
    return false;
}

}  // namespace sim
