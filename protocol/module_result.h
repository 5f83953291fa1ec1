#pragma once
// The result codes of the module commands and what the devices' status values turn into.
#include <cstdint>
#include <optional>

enum ModuleResult : std::uint16_t {
    kModuleOk = 0,             // also the result of a command number not in the table
    kModuleBadRequest = 1,     // more (or, for 501/503, fewer) data than the command carries
    kModuleNoAnswer = 3,       // sending failed, or no usable reply within the attempts
    kModuleInvalidReply = 4,   // the last framed reply failed validation
    kModuleDeviceError = 5,    // framed status 3, or a datagram error status
    kModuleDeviceBusy = 6,     // framed status 2 or 6, or datagram status 0x8001
    kModuleRefused = 8,        // framed status 4 or 5
};

// The result of a valid framed reply's status code (0-7); none for 7, which sets no outcome.
std::optional<std::uint16_t> ResultOfFramedStatus(std::uint8_t statusCode);
// The result of a matching datagram reply's status word.
std::uint16_t ResultOfDatagramStatus(std::uint16_t status);

// A short English name of a result code for people: "success", "no answer" ...
const char* ModuleResultMeaning(std::uint16_t result);
