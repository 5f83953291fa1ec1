#pragma once
// How a simulated module's control module (port 9000) behaves: on or off, its device address,
// and one fault mode, so that every failure path of the module command protocol can be met on
// a real socket.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class ControlFault {
    None,
    Busy,            // the next `count` answers (every one when count is 0) say busy
    Status,          // every answer carries `count` as its status (framed: its low 3 bits)
    WrongSequence,   // datagram replies carry another sequence number
    ShortReply,      // datagram replies of 3 bytes
    LongReply,       // datagram replies longer than the panel's 2048-byte buffer
    Silent,          // hears everything, answers nothing
    BadCrc,          // framed replies with a broken CRC
    BadSync,         // framed replies with a wrong second sync byte
    StatusBitClear,  // framed replies without the reply flag
    WrongCommand,    // framed replies with another command byte
    WrongType,       // framed replies from another device type
    OtherAddress,    // framed replies from device address 7
    CloseOnRequest,  // the connection is closed when a framed request arrives
    PartialReply,    // the first 5 bytes of a framed reply, then silence
    Trickle,         // framed replies one byte every `count` ms
    NotListening,    // no TCP port at all; datagrams are answered
};

// One request's fault in a sequence such as "bad-crc+status:7+none".
struct FaultStep {
    ControlFault fault = ControlFault::None;
    unsigned count = 0;
};

struct ControlConfig {
    bool enabled = false;
    std::uint8_t deviceAddress = 1;
    ControlFault fault = ControlFault::None;
    unsigned count = 0;
    // Empty for a single fault; otherwise the n-th request gets the n-th step and every later
    // request the last, so that an answer can follow a failed attempt.
    std::vector<FaultStep> steps;
};

inline constexpr unsigned kMaxFaultCount = 65535;

// One fault mode of `control-fault`: its name, the number it takes ("[:N]" when it may, ":N" or
// ":MS" when it must, "" for none) and its help.
struct ControlFaultName {
    std::string_view name;
    ControlFault fault;
    std::string_view argument;
    std::string_view help;
};
std::span<const ControlFaultName> ControlFaults();

// "busy", "busy:3", "status:5", "trickle:20", "silent" ..., or a sequence of one-request faults
// joined by "+" ("bad-crc+status:7+none"). False for anything else; `expected` then names what
// is understood.
bool ParseControlFault(std::string_view text, ControlConfig& control, std::string& expected);

// How the control module answers its request numbered `request` (counted from 0).
ControlConfig ForRequest(const ControlConfig& config, unsigned request);

}  // namespace sim
