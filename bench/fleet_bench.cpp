// The fleet commands end to end on the private test network, as their users run them: a site
// of 200 modules that all change address (site plan, then site apply --yes with verification),
// and a sweep of a /22 behind the router at 2000 requests a second. Runs inside vtl-panel; the
// sweep needs the routed part too:
//   scripts/testnet up && scripts/testnet routed up
//   scripts/testnet panel build/<dir>/bin/fleet_bench
#include <chrono>
#include <cstdio>
#include <fstream>

#include "bench/bench_support.h"
#include "sim/harness/child_process.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr int kSiteModules = 200;
constexpr unsigned kCommandTimeoutMs = 60000;

std::string Hex(int value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

// The modules at factory addresses 198.18.1.2-201; the site gives them 198.18.0.20-219.
std::vector<std::string> FactoryModules() {
    std::vector<std::string> args = {"--broadcast"};
    for (int i = 0; i < kSiteModules; ++i)
        args.insert(args.end(),
                    {"--module", "ip=198.18.1." + std::to_string(2 + i) +
                                     ",mac=00:0A:1B:2C:40:" + Hex(i) + ",gateway=198.18.1.1"});
    return args;
}

std::string WriteSite(const test_support::TempFolder& folder) {
    const std::string path = folder.File("site.csv");
    std::ofstream site(path);
    site << "mac,ip,mask,gateway,switcher\n";
    for (int i = 0; i < kSiteModules; ++i)
        site << "00:0A:1B:2C:40:" << Hex(i) << ",198.18.0." << 20 + i
             << ",255.255.255.0,198.18.0.1,198.18.0.100\n";
    return path;
}

// Runs vantrel-cli and sets the iteration's time to its wall time; fails the benchmark when
// the command does not end with `exitCode`.
void TimeCli(benchmark::State& state, const std::vector<std::string>& args, int exitCode) {
    std::vector<std::string> command = {harness::CliPath()};
    command.insert(command.end(), args.begin(), args.end());
    const auto start = std::chrono::steady_clock::now();
    const auto result = harness::RunProgram(command, kCommandTimeoutMs);
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (result.exitCode != exitCode)
        state.SkipWithError(("vantrel-cli " + args[0] + " ended " +
                             std::to_string(result.exitCode) + ": " + result.err)
                                .c_str());
}

void BM_SitePlan200(benchmark::State& state) {
    const test_support::TempFolder folder("vantrel-fleet");
    const std::string site = WriteSite(folder);
    harness::ModsimProcess modules;
    std::string error;
    if (!modules.Start(FactoryModules(), error, true)) state.SkipWithError(error.c_str());
    for (auto _ : state) TimeCli(state, {"site", "plan", site, "--from", "198.18.0.1"}, 3);
}
BENCHMARK(BM_SitePlan200)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Each round starts from modules at their factory addresses again.
void BM_SiteApply200(benchmark::State& state) {
    const test_support::TempFolder folder("vantrel-fleet");
    const std::string site = WriteSite(folder);
    for (auto _ : state) {
        state.PauseTiming();
        harness::ModsimProcess modules;
        std::string error;
        if (!modules.Start(FactoryModules(), error, true)) {
            state.SkipWithError(error.c_str());
            break;
        }
        state.ResumeTiming();
        TimeCli(state, {"site", "apply", site, "--from", "198.18.0.1", "--yes"}, 0);
    }
}
BENCHMARK(BM_SiteApply200)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Sweep22(benchmark::State& state) {
    harness::ModsimProcess far;
    std::string error;
    if (!far.StartIn(harness::FarNamespace(),
                     {"--module", "ip=198.18.64.10", "--module", "ip=198.18.67.20"}, error)) {
        state.SkipWithError(
            ("the routed part is down (scripts/testnet routed up): " + error).c_str());
        return;
    }
    for (auto _ : state)
        TimeCli(state, {"sweep", "198.18.64.0/22", "--from", "198.18.2.1", "--rate", "2000"}, 0);
}
BENCHMARK(BM_Sweep22)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv, bench::InsideTestNetwork); }
