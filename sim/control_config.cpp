#include "sim/control_config.h"

#include <algorithm>
#include <utility>

#include "app/number_text.h"

namespace sim {

namespace {

constexpr ControlFaultName kFaults[] = {
    {"none", ControlFault::None, "", "answers every request as it should"},
    {"busy", ControlFault::Busy, "[:N]", "says busy to every answer, or to the next N"},
    {"status", ControlFault::Status, ":N", "every answer carries status N (framed: low 3 bits)"},
    {"wrong-sequence", ControlFault::WrongSequence, "", "datagram replies carry the sequence + 1"},
    {"short", ControlFault::ShortReply, "", "datagram replies of 3 bytes"},
    {"long", ControlFault::LongReply, "", "datagram replies longer than the panel's buffer"},
    {"silent", ControlFault::Silent, "", "hears and records everything, answers nothing"},
    {"bad-crc", ControlFault::BadCrc, "", "framed replies with a broken CRC"},
    {"bad-sync", ControlFault::BadSync, "", "framed replies with a wrong second sync byte"},
    {"status-bit-clear", ControlFault::StatusBitClear, "", "framed replies without the reply flag"},
    {"wrong-command", ControlFault::WrongCommand, "", "framed replies with another command byte"},
    {"wrong-type", ControlFault::WrongType, "", "framed replies from another device type"},
    {"other-address", ControlFault::OtherAddress, "", "framed replies from another device address"},
    {"close", ControlFault::CloseOnRequest, "", "closes the connection at a framed request"},
    {"partial", ControlFault::PartialReply, "", "the start of each framed reply, then nothing"},
    {"trickle", ControlFault::Trickle, ":MS", "sends framed replies one byte every MS ms"},
    {"not-listening", ControlFault::NotListening, "", "no TCP port at all; datagrams are answered"},
};

bool ParseCount(std::string_view text, unsigned& count) {
    std::uint64_t value = 0;
    if (!app::ParseDecimal(text, 5, kMaxFaultCount, value)) return false;
    count = static_cast<unsigned>(value);
    return true;
}

// One fault without "+"; false when the name or its number is not understood.
bool ParseOneFault(std::string_view text, FaultStep& step) {
    const auto colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    for (const ControlFaultName& entry : kFaults) {
        if (entry.name != name) continue;
        unsigned count = 0;
        const bool hasCount = colon != std::string_view::npos;
        const bool takesCount = !entry.argument.empty();
        if (hasCount && (!takesCount || !ParseCount(text.substr(colon + 1), count))) return false;
        // A status or a trickle needs its number; busy without one is busy for good.
        if (!hasCount && entry.argument.starts_with(':')) return false;
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
        ok = ParseOneFault(text.substr(start, plus == std::string_view::npos ? plus : plus - start),
                           step);
        steps.push_back(step);
        if (plus == std::string_view::npos) break;
        start = plus + 1;
    }
    if (ok && steps.size() > 1) {
        for (const FaultStep& step : steps) ok = ok && FitsOneRequest(step);
    }
    if (!ok) {
        expected = "one of ";
        for (const ControlFaultName& entry : kFaults) {
            if (&entry != &kFaults[0]) expected += ", ";
            expected.append(entry.name).append(entry.argument);
        }
        expected += " (N and MS up to " + std::to_string(kMaxFaultCount) +
                    "), or one fault per request joined by + (without busy:N, trickle or "
                    "not-listening)";
        return false;
    }
    control.fault = steps.front().fault;
    control.count = steps.front().count;
    if (steps.size() > 1)
        control.steps = std::move(steps);
    else
        control.steps.clear();
    control.enabled = true;
    return true;
}

std::span<const ControlFaultName> ControlFaults() { return kFaults; }

ControlConfig ForRequest(const ControlConfig& config, unsigned request) {
    if (config.steps.empty()) return config;
    const FaultStep& step = config.steps[std::min<std::size_t>(request, config.steps.size() - 1)];
    return {config.enabled, config.deviceAddress, step.fault, step.count, {}};
}

}  // namespace sim
