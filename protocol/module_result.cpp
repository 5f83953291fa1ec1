#include "protocol/module_result.h"

#include "protocol/packet_layout.h"

std::optional<std::uint16_t> ResultOfFramedStatus(std::uint8_t statusCode) {
    switch (statusCode) {
        case 0:
        case 1: return kModuleOk;
        case 2:
        case 6: return kModuleDeviceBusy;
        case 3: return kModuleDeviceError;
        case 4:
        case 5: return kModuleRefused;
        default: return std::nullopt;
    }
}

std::uint16_t ResultOfDatagramStatus(std::uint16_t status) {
    if (status == packet::kStatusOk) return kModuleOk;
    return status == packet::kStatusBusy ? kModuleDeviceBusy : kModuleDeviceError;
}

const char* ModuleResultMeaning(std::uint16_t result) {
    switch (result) {
        case kModuleOk: return "success";
        case kModuleBadRequest: return "data do not fit the command";
        case kModuleNoAnswer: return "no answer";
        case kModuleInvalidReply: return "invalid reply";
        case kModuleDeviceError: return "device error";
        case kModuleDeviceBusy: return "device busy";
        case kModuleRefused: return "refused by the device";
        default: return "unknown result";
    }
}
