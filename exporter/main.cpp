// vantrel-exporter: lets Prometheus watch the devices of the panel's list.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "app/program_version.h"
#include "cli/cli_support.h"
#include "exporter/device_watch.h"
#include "exporter/exporter_options.h"
#include "exporter/exporter_routes.h"
#include "exporter/http_server.h"
#include "exporter/probe_runner.h"
#include "netconfig/address_text.h"
#include "netconfig/parallel_check.h"
#include "platform/descriptor_limit.h"
#include "platform/stop_signals.h"

namespace {

constexpr const char* kProgramName = "vantrel-exporter";
// After a stop signal, connections being answered get this long to finish; an exchange still
// waiting for a silent device is not waited for.
constexpr unsigned kStopGraceMs = 400;
constexpr unsigned kStopPollMs = 10;

int Quit(int code, const std::string& message) {
    std::cerr << kProgramName << ": " << message << '\n';
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace exporter;
    ExporterOptions options;
    std::string error;
    if (!ParseExporterOptions({argv + 1, argv + argc}, options, error))
        return Quit(cli::kExitBadArguments, error);
    if (options.help) {
        std::cout << kUsage;
        return cli::kExitOk;
    }
    if (options.version) {
        std::cout << app::VersionLine(kProgramName);
        return cli::kExitOk;
    }
    const std::string settingsPath =
        options.local.settingsPath ? *options.local.settingsPath : cli::DefaultSettingsPath();
    if (!cli::CheckSettingsFile(settingsPath, options.local.settingsPath.has_value(), error))
        return Quit(cli::kExitBadArguments, error);
    const cli::LocalAddressChoice local = cli::ChooseLocalAddress(options.local);
    if (!local.ok) return Quit(cli::kExitBadArguments, local.error);

    const ExporterLimits limits = LimitsForJobs(options.jobs);
    platform::RaiseDescriptorLimit(limits.connections + limits.waitingConnections +
                                   limits.jobs * netconfig::kDescriptorsPerCheck +
                                   netconfig::kReservedDescriptors);
    // Before any thread starts, so that only the wait below takes the signals.
    platform::BlockStopSignals();

    DeviceWatch devices(settingsPath);
    devices.Current();
    ProbeRunner probes(local.address, limits.jobs, limits.queuedProbes);
    ExporterCounters counters;
    ExporterHttpServer server(limits, counters);
    ExporterContext context{devices, probes, counters, options.allow,
                            std::string(app::ProgramVersion())};
    InstallRoutes(server, context);
    const std::string listen = netconfig::FormatIpAddress(options.listenAddress);
    if (!server.Bind(listen, options.listenPort))
        return Quit(cli::kExitFailed,
                    "cannot listen on " + listen + ":" + std::to_string(options.listenPort) +
                        " (not an address of this machine, or the port is taken)");

    std::atomic<bool> served{false};
    std::thread serving([&] {
        server.listen_after_bind();
        served = true;
    });
    std::cout << kProgramName << ": listening on http://" << listen << ":" << options.listenPort
              << "/, probing from " << netconfig::FormatIpAddress(local.address) << std::endl;
    while (!served && !platform::WaitForStopSignal(200)) {
    }
    const int code = served ? cli::kExitFailed : cli::kExitOk;
    server.stop();
    for (unsigned waited = 0; !served && waited < kStopGraceMs; waited += kStopPollMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(kStopPollMs));
    // The exporter keeps nothing that must be written at the end, and an exchange with a silent
    // device may still hold a thread for up to 3 s: the process ends here instead of joining it.
    std::fflush(nullptr);
    std::_Exit(code);
}
