// ListModules on the private test network: collection lasts 2000 ms plus at most one polling
// pass, however many modules answer. Broadcasts, so it only runs inside vtl-panel:
//   scripts/testnet up && scripts/testnet panel build/<dir>/bin/discovery_bench
#include "bench/bench_support.h"
#include "bench/exchange_timing.h"
#include "netconfig/discovery.h"

namespace {

constexpr std::size_t kModules = 8;

void BM_ListModules(benchmark::State& state) {
    const std::uint32_t panel = bench::Address(harness::kPanelAddressText);
    bench::ExchangeTimes().Measure(state, [panel] {
        std::vector<netconfig::ModuleHelloRecord> modules;
        return netconfig::ListModules(panel, netconfig::kWizardQueryCode, modules) &&
               modules.size() == kModules;
    });
}
BENCHMARK(BM_ListModules)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    harness::ModsimProcess simulator;
    return bench::Main(argc, argv, [&] {
        std::vector<std::string> args = {"--broadcast"};
        const auto modules = bench::ModuleArgs(
            kModules, [](std::size_t n) { return "198.18.0." + std::to_string(10 + n); });
        args.insert(args.end(), modules.begin(), modules.end());
        return bench::InsideTestNetwork() && bench::StartSimulator(simulator, args, true);
    });
}
