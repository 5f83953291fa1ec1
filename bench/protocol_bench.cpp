// The module command protocol against vantrel-modsim's control module on loopback. Targets: a
// datagram command (401) and a framed read (202) on a kept connection each under 0.2 ms
// (median); a 65,535-byte block write (303) under 250 ms; DebugLog with the log off under 5 ns.
#include <vector>

#include "app/debug_log.h"
#include "bench/bench_support.h"
#include "bench/exchange_timing.h"
#include "protocol/module_interface.h"

namespace {

using bench::Address;

const std::uint32_t kControl = Address("127.0.0.160");

bool Run(protocol::CModuleInterface& module, int command, std::vector<std::uint8_t>& buffer,
         int length) {
    std::uint32_t count = 0;
    return module.DoCommand(count, 0x20, command, 0, length, buffer.data()) ==
           protocol::ModuleResult::Ok;
}

void BM_DatagramCommand401(benchmark::State& state) {
    protocol::CModuleInterface module(kControl);
    std::vector<std::uint8_t> buffer(2048, 0x5A);
    bench::ExchangeTimes().Measure(state, [&] { return Run(module, 401, buffer, 5); });
}
BENCHMARK(BM_DatagramCommand401)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(2000);

void BM_FramedRead202OnAKeptConnection(benchmark::State& state) {
    protocol::CModuleInterface module(kControl);
    std::vector<std::uint8_t> buffer(2048, 0);
    Run(module, 202, buffer, 0);  // connects once, outside the measured calls
    bench::ExchangeTimes().Measure(state, [&] { return Run(module, 202, buffer, 0); });
}
BENCHMARK(BM_FramedRead202OnAKeptConnection)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(2000);

void BM_BlockWrite65535(benchmark::State& state) {
    protocol::CModuleInterface module(kControl);
    std::vector<std::uint8_t> buffer(65535);
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<std::uint8_t>(i * 7);
    bench::ExchangeTimes().Measure(state, [&] { return Run(module, 303, buffer, 65535); });
}
BENCHMARK(BM_BlockWrite65535)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_DebugLogWithTheLogOff(benchmark::State& state) {
    app::UseDebugLogSettings("");
    app::DebugLog("read the switches once");
    for (auto _ : state) app::DebugLog("CModuleInterface::DoCommand(%d to %02X)", 401, 0);
}
BENCHMARK(BM_DebugLogWithTheLogOff);

}  // namespace

int main(int argc, char** argv) {
    app::UseDebugLogSettings("");  // the log stays off: the figures are the protocol's own
    harness::ModsimProcess simulator;
    return bench::Main(argc, argv, [&] {
        return bench::StartSimulator(simulator, {"--module", "ip=127.0.0.160,control=on"});
    });
}
