#pragma once
// The results of the module commands, with the numbers the command interface has always
// returned, and what the devices' status values turn into.
#include <cstdint>
#include <optional>

namespace protocol {

enum class ModuleResult : std::uint16_t {
    Ok = 0,            // also the result of a command number not in the table
    BadRequest = 1,    // more (or, for 501/503, fewer) data than the command carries
    NoAnswer = 3,      // sending failed, or no usable reply within the attempts
    InvalidReply = 4,  // the last framed reply failed validation
    DeviceError = 5,   // framed status 3, or a datagram error status
    DeviceBusy = 6,    // framed status 2 or 6, or datagram status 0x8001
    Refused = 8,       // framed status 4 or 5
};

// The 16-bit number of a result, as logs, exit texts and JSON show it.
constexpr std::uint16_t ResultCode(ModuleResult result) {
    return static_cast<std::uint16_t>(result);
}

// A short English name of a result for people: "success", "no answer" ...; "unknown result" for
// a number that is none of them.
const char* ModuleResultMeaning(ModuleResult result);

// The result of a valid framed reply's status code (0-7); none for 7, which sets no outcome.
std::optional<ModuleResult> ResultOfFramedStatus(std::uint8_t statusCode);
// The result of a matching datagram reply's status word.
ModuleResult ResultOfDatagramStatus(std::uint16_t status);

}  // namespace protocol
