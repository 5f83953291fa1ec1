// Unicast exchange latency against vantrel-modsim on loopback (panel side 127.0.0.1). Targets:
// a Check of a module answering on 9100 well under 1 ms (median); a silent device 3000 ms plus
// at most one polling pass; a device whose two sockets both fail (port unreachable) under 50 ms.
#include <benchmark/benchmark.h>
#include <cstdio>

#include "bench/exchange_timing.h"
#include "netconfig/address_text.h"
#include "netconfig/module_exchange.h"
#include "sim/harness/modsim_process.h"

namespace {

std::uint32_t Address(const char* text) {
    std::uint32_t address = 0;
    ParseIpAddress(text, address);
    return address;
}

const std::uint32_t kLocal = Address("127.0.0.1");
const std::uint32_t kAnswering = Address("127.0.0.150");
const std::uint32_t kSilent = Address("127.0.0.151");
const std::uint32_t kNobody = Address("127.0.0.152");  // no socket: port unreachable on both

bool Check(std::uint32_t device) {
    std::uint32_t switcher = 0;
    return ReadSwitcherAddress(kLocal, device, switcher);
}

void BM_CheckAnsweringModule(benchmark::State& state) {
    bench::ExchangeTimes().Measure(state, [] { return Check(kAnswering); });
}
BENCHMARK(BM_CheckAnsweringModule)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_CheckSilentModule(benchmark::State& state) {
    bench::ExchangeTimes().Measure(state, [] { return !Check(kSilent); });
}
BENCHMARK(BM_CheckSilentModule)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CheckWithBothSocketsFailing(benchmark::State& state) {
    bench::ExchangeTimes().Measure(state, [] { return !Check(kNobody); });
}
BENCHMARK(BM_CheckWithBothSocketsFailing)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    harness::ModsimProcess simulator;
    std::string error;
    if (!simulator.Start({"--module", "ip=127.0.0.150,switcher=10.1.1.1", "--module",
                          "ip=127.0.0.151,reply=silent"},
                         error)) {
        std::fprintf(stderr, "exchange_bench: %s\n", error.c_str());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
