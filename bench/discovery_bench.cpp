// ListModules on the private test network: collection lasts 2000 ms plus at most one polling
// pass, however many modules answer. Broadcasts, so it only runs inside vtl-panel:
//   scripts/testnet up && scripts/testnet panel build/<dir>/bin/discovery_bench
#include <benchmark/benchmark.h>
#include <cstdio>

#include "bench/exchange_timing.h"
#include "netconfig/address_text.h"
#include "netconfig/discovery.h"
#include "sim/harness/modsim_process.h"
#include "sim/harness/test_network.h"

namespace {

constexpr std::size_t kModules = 8;

void BM_ListModules(benchmark::State& state) {
    std::uint32_t panel = 0;
    netconfig::ParseIpAddress(harness::kPanelAddressText, panel);
    bench::ExchangeTimes().Measure(state, [panel] {
        std::vector<netconfig::ModuleHelloRecord> modules;
        return netconfig::ListModules(panel, netconfig::kWizardQueryCode, modules) &&
               modules.size() == kModules;
    });
}
BENCHMARK(BM_ListModules)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::string why;
    if (!harness::InsideTestNetworkPanel(why)) {
        std::fprintf(stderr, "discovery_bench: %s\n", why.c_str());
        return 1;
    }
    std::vector<std::string> args = {"--broadcast"};
    for (std::size_t i = 0; i < kModules; ++i)
        args.insert(args.end(), {"--module", "ip=198.18.0." + std::to_string(10 + i)});
    harness::ModsimProcess simulator;
    std::string error;
    if (!simulator.Start(args, error, true)) {
        std::fprintf(stderr, "discovery_bench: %s\n", error.c_str());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
