// vantrel-modsim: stands in for the devices' Ethernet modules on UDP 9100 and 9101.
#include <cstdio>
#include <string>
#include <vector>

#include "app/program_version.h"
#include "platform/stop_request.h"
#include "platform/tick.h"
#include "sim/modsim_options.h"
#include "sim/module_keys.h"
#include "sim/module_simulator.h"

namespace {

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "vantrel-modsim: %s\n", message.c_str());
    return code;
}

constexpr unsigned kServeSliceMs = 100;

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    sim::ModsimOptions options;
    std::string error;
    if (!sim::ParseModsimArguments(args, options, error)) {
        std::fputs(sim::ModsimUsage().c_str(), stderr);
        return Fail(2, error);
    }
    if (options.help) {
        std::fputs(sim::ModsimUsage().c_str(), stdout);
        return 0;
    }
    if (options.listKeys) {
        std::fputs(sim::ListKeysText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::fputs(app::VersionLine("vantrel-modsim").c_str(), stdout);
        return 0;
    }
    std::vector<sim::ModuleConfig> modules;
    if (!sim::LoadModules(options, modules, error)) return Fail(2, error);
    if (options.broadcast && !sim::CheckBroadcastAllowedHere(error)) return Fail(2, error);

    sim::CaptureLog capture;
    if (!options.capturePath.empty() && !capture.Open(options.capturePath, error))
        return Fail(1, error);
    platform::CatchStopRequests();
    sim::ModuleSimulator simulator;
    if (!simulator.Start(modules, options.broadcast, capture.IsOpen() ? &capture : nullptr, error))
        return Fail(1, error);
    std::fputs("vantrel-modsim: ready\n", stdout);
    std::fflush(stdout);

    const std::uint32_t start = platform::TickCount();
    while (!platform::StopRequested()) {
        unsigned slice = kServeSliceMs;
        if (options.durationMs != 0) {
            const std::uint32_t elapsed = platform::ElapsedSince(start);
            if (elapsed >= options.durationMs) break;
            if (options.durationMs - elapsed < slice) slice = options.durationMs - elapsed;
        }
        simulator.Serve(slice);
    }
    return 0;
}
