#include "sim/control_config.h"

#include <algorithm>
#include <array>
#include <utility>

#include "app/number_text.h"

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
    std::uint64_t value = 0;
    if (!ParseDecimal(text, 5, kMaxFaultCount, value)) return false;
    count = static_cast<unsigned>(value);
    return true;
}

// One fault without "+"; false when the name or its number is not understood.
bool ParseOneFault(std::string_view text, FaultStep& step) {
    const auto colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    for (const FaultName& entry : kFaults) {
        if (entry.name != name) continue;
        unsigned count = 0;
        const bool hasCount = colon != std::string_view::npos;
        if (hasCount && (!entry.takesCount || !ParseCount(text.substr(colon + 1), count))) return false;
        // A status or a trickle needs its number; busy without one is busy for good.
        if (!hasCount && entry.takesCount && entry.fault != ControlFault::Busy) return false;
        step = {entry.fault, count};
        return true;
    }
    return false;
}

// A step lasts one request: busy counts no answers there, and a trickle or a missing port
// belongs to the whole module.
bool FitsOneRequest(const FaultStep& step) {
    return step.fault != ControlFault::Trickle && step.fault != ControlFault::NotListening &&
           !(step.fault == ControlFault::Busy && step.count != 0);
}

}  // namespace

bool ParseControlFault(std::string_view text, ControlConfig& control, std::string& expected) {
    std::vector<FaultStep> steps;
    bool ok = true;
    for (std::size_t start = 0; ok;) {
        const auto plus = text.find('+', start);
        FaultStep step;
        ok = ParseOneFault(text.substr(start, plus == std::string_view::npos ? plus : plus - start), step);
        steps.push_back(step);
        if (plus == std::string_view::npos) break;
        start = plus + 1;
    }
    if (ok && steps.size() > 1) {
        for (const FaultStep& step : steps) ok = ok && FitsOneRequest(step);
    }
    if (!ok) {
        expected = "one of none, busy[:N], status:N, wrong-sequence, short, long, silent, bad-crc, "
                   "bad-sync, status-bit-clear, wrong-command, wrong-type, other-address, close, "
                   "partial, trickle:MS, not-listening (N and MS up to " +
                   std::to_string(kMaxFaultCount) +
                   "), or one fault per request joined by + (without busy:N, trickle or "
                   "not-listening)";
        return false;
    }
    control.fault = steps.front().fault;
    control.count = steps.front().count;
    if (steps.size() > 1) control.steps = std::move(steps);
    else control.steps.clear();
    control.enabled = true;
    return true;
}

ControlConfig ForRequest(const ControlConfig& config, unsigned request) {
    if (config.steps.empty()) return config;
    const FaultStep& step = config.steps[std::min<std::size_t>(request, config.steps.size() - 1)];
    return {config.enabled, config.deviceAddress, step.fault, step.count, {}};
}

}  // namespace sim
