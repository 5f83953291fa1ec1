// The concurrent check on the private test network against vantrel-modsim playing 128 modules:
// answering ones, then silent ones, each set checked in one call, and the one-after-another
// check for comparison. Runs inside vtl-panel only:
//   scripts/testnet up && scripts/testnet panel build/<dir>/bin/exchange_check_bench
#include <optional>

#include "bench/bench_support.h"
#include "bench/exchange_timing.h"
#include "netconfig/parallel_check.h"

namespace {

constexpr std::size_t kModules = 128;

std::string DeviceText(std::size_t n) { return "198.18.0." + std::to_string(2 + n); }

std::vector<std::uint32_t> Devices(std::size_t count) {
    std::vector<std::uint32_t> devices;
    for (std::size_t n = 0; n < count; ++n) devices.push_back(bench::Address(DeviceText(n)));
    return devices;
}

// The simulator of the benchmark running now: kModules modules on 198.18.0.2 onwards, all
// answering or all silent; replaced when a benchmark wants the other kind.
std::optional<harness::ModsimProcess> simulator;
bool simulatorSilent = false;

bool PlayModules(bool silent) {
    if (simulator && simulatorSilent == silent) return true;
    simulator.emplace();
    if (!bench::StartSimulator(*simulator, bench::ModuleArgs(kModules, DeviceText, silent ? 1 : 0),
                               true)) {
        simulator.reset();
        return false;
    }
    simulatorSilent = silent;
    return true;
}

// range(0): devices checked, range(1): jobs, range(2): 1 for silent modules.
void BM_CheckSwitchers(benchmark::State& state) {
    const bool silent = state.range(2) != 0;
    if (!PlayModules(silent)) {
        state.SkipWithError("the simulator did not start");
        return;
    }
    const auto devices = Devices(static_cast<std::size_t>(state.range(0)));
    const auto jobs = static_cast<std::size_t>(state.range(1));
    const std::uint32_t panel = bench::Address(harness::kPanelAddressText);
    bench::ExchangeTimes().Measure(state, [&] {
        const auto results = netconfig::CheckSwitchers(panel, devices, jobs);
        for (const auto& result : results)
            if (result.online == silent) return false;
        return true;
    });
}

// What every run of BM_CheckSwitchers shares; each set of runs adds its arguments and as many
// iterations as its time allows.
void CheckRuns(benchmark::internal::Benchmark* runs) {
    runs->ArgNames({"devices", "jobs", "silent"})->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_CheckSwitchers)
    ->Apply(CheckRuns)
    ->Args({128, 128, 0})
    ->Args({128, 64, 0})
    ->Args({128, 1, 0})
    ->Iterations(20);
BENCHMARK(BM_CheckSwitchers)
    ->Apply(CheckRuns)
    ->Args({128, 128, 1})
    ->Args({128, 64, 1})
    ->Iterations(3);
// One after another each silent device costs the whole deadline; four show the rate.
BENCHMARK(BM_CheckSwitchers)->Apply(CheckRuns)->Args({4, 1, 1})->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    const int result = bench::Main(argc, argv, bench::InsideTestNetwork);
    simulator.reset();
    return result;
}
