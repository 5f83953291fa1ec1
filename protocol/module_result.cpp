#include "protocol/module_result.h"

#include "protocol/packet_layout.h"

namespace protocol {

std::optional<ModuleResult> ResultOfFramedStatus(std::uint8_t statusCode) {
    switch (statusCode) {
        case 0:
        case 1: return ModuleResult::Ok;
        case packet::kFramedStatusBusy:
        case 6: return ModuleResult::DeviceBusy;
        case packet::kFramedStatusError: return ModuleResult::DeviceError;
        case 4:
        case 5: return ModuleResult::Refused;
        default: return std::nullopt;
    }
}

ModuleResult ResultOfDatagramStatus(std::uint16_t status) {
    if (status == packet::kStatusOk) return ModuleResult::Ok;
    return status == packet::kStatusBusy ? ModuleResult::DeviceBusy : ModuleResult::DeviceError;
}

const char* ModuleResultMeaning(ModuleResult result) {
    switch (result) {
        case ModuleResult::Ok: return "success";
        case ModuleResult::BadRequest: return "data do not fit the command";
        case ModuleResult::NoAnswer: return "no answer";
        case ModuleResult::InvalidReply: return "invalid reply";
        case ModuleResult::DeviceError: return "device error";
        case ModuleResult::DeviceBusy: return "device busy";
        case ModuleResult::Refused: return "refused by the device";
    }
    return "unknown result";
}

}  // namespace protocol
