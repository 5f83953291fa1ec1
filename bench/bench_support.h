#pragma once
// What the benchmark programs share: main() with its one preparation step, the check that a
// program runs inside the private test network, the simulator's module arguments, and device
// lists of many devices.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/device_list.h"
#include "netconfig/address_text.h"
#include "sim/harness/modsim_process.h"
#include "sim/harness/test_network.h"

namespace bench {

// The program's name for its error lines, set by Main.
inline std::string programName = "bench";

inline void ReportFailure(const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", programName.c_str(), why.c_str());
}

// main() of a benchmark program: takes the benchmark options out of the command line, runs
// `prepare` (false ends the program with 1 before any benchmark runs), then the benchmarks the
// options name.
template <typename Prepare>
int Main(int& argc, char** argv, Prepare prepare) {
    const std::string invoked = argc > 0 ? argv[0] : "bench";
    programName = invoked.substr(invoked.find_last_of('/') + 1);
    benchmark::Initialize(&argc, argv);
    if (!prepare()) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
inline int Main(int& argc, char** argv) {
    return Main(argc, argv, [] { return true; });
}

// The window benchmarks draw offscreen unless the environment names a platform.
inline void UseOffscreenPlatformByDefault() {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// A benchmark that broadcasts or reaches 198.18.0.0/15 runs only on the test network's panel
// side; elsewhere it reports why and does not start.
inline bool InsideTestNetwork() {
    std::string why;
    if (harness::InsideTestNetworkPanel(why)) return true;
    ReportFailure(why);
    return false;
}

// Starts vantrel-modsim with these arguments (on the test network's device side when
// `testNetwork`); reports why it did not start.
inline bool StartSimulator(harness::ModsimProcess& simulator, const std::vector<std::string>& args,
                           bool testNetwork = false) {
    std::string error;
    if (simulator.Start(args, error, testNetwork)) return true;
    ReportFailure("vantrel-modsim did not start: " + error);
    return false;
}

inline std::uint32_t Address(const std::string& text) {
    std::uint32_t address = 0;
    netconfig::ParseIpAddress(text, address);
    return address;
}

// With `silentEvery` N, every Nth module of a site is silent (1: all of them, 0: none).
inline bool IsSilent(std::size_t n, std::size_t silentEvery) {
    return silentEvery != 0 && n % silentEvery == silentEvery - 1;
}

// The simulator's arguments for `count` modules at addressOf(0), addressOf(1)..., silent as
// IsSilent says.
template <typename AddressOf>
std::vector<std::string> ModuleArgs(std::size_t count, AddressOf addressOf,
                                    std::size_t silentEvery = 0) {
    std::vector<std::string> args;
    for (std::size_t n = 0; n < count; ++n)
        args.insert(args.end(),
                    {"--module", "ip=" + std::string(addressOf(n)) +
                                     (IsSilent(n, silentEvery) ? ",reply=silent" : "")});
    return args;
}

// A site on loopback: 127.0.2.1 onwards, never a .0 or .255.
inline std::string LoopbackSiteAddress(std::size_t n) {
    return "127.0." + std::to_string(2 + n / 250) + "." + std::to_string(1 + n % 250);
}

// A device list of `count` devices at addressOf(n) (dotted text), each with a MAC of its own.
template <typename AddressOf>
app::DeviceList DeviceListOf(std::size_t count, AddressOf addressOf) {
    app::DeviceList list;
    for (std::size_t n = 0; n < count; ++n) {
        auto record = std::make_unique<app::DeviceRecord>();
        record->address = Address(addressOf(n));
        char mac[18];
        std::snprintf(mac, sizeof mac, "00:0A:%02X:%02X:%02X:%02X", unsigned(n >> 24 & 0xFF),
                      unsigned(n >> 16 & 0xFF), unsigned(n >> 8 & 0xFF), unsigned(n & 0xFF));
        record->mac = mac;
        app::AppendDevice(list, std::move(record));
    }
    return list;
}

}  // namespace bench
