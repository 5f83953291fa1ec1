// Any configuration text and any --module text: parsed or refused with a message, never a
// crash, and every module that is accepted sits on an address the simulator may use.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sim/module_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<sim::ModuleConfig> modules;
    std::string error;
    const bool parsed = sim::ParseConfigText(text, "fuzz.ini", modules, error);
    if (!parsed && error.empty()) std::abort();
    sim::ModuleConfig module;
    if (sim::ParseModuleSpec(text, module, error)) modules.push_back(module);
    for (const sim::ModuleConfig& accepted : modules)
        if (!sim::IsModuleAddressAllowed(accepted.ip) ||
            accepted.passportLength > sim::kMaxReplyLength)
            std::abort();
    return 0;
}
