// vantrel-cli watch over a site's list: 500 simulated devices on loopback (25 of them silent,
// so each round waits out one deadline), checked every few seconds for several rounds. Reads
// the watch's peak resident memory (VmHWM) and its processor time (/proc/PID/stat) in the gaps
// between rounds and over the whole run. Ports 9100 and 9101 of 127.0.0.1 must be free, so
// run it in a network namespace of its own:
//   unshare -n sh -c 'ip link set lo up; build/<dir>/bin/watch_bench'
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/device_list.h"
#include "app/settings_file.h"
#include "bench/bench_support.h"
#include "sim/harness/child_process.h"
#include "tests/support/temp_folder.h"

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

constexpr std::size_t kDevices = 500;
constexpr std::size_t kSilentEvery = 20;  // 25 of 500
constexpr unsigned kIntervalMs = 5000;
constexpr unsigned kGaps = 4;
// Kept clear of a round's start and end when measuring a gap, against drift between rounds.
constexpr unsigned kGapMarginMs = 300;
constexpr double kMaxPeakMb = 30.0;
constexpr double kMaxGapCorePercent = 2.0;

void SaveList(const std::string& path) {
    app::SettingsFile settings(path);
    app::SaveDeviceList(settings, bench::DeviceListOf(kDevices, bench::LoopbackSiteAddress));
}

// User plus system time of the process so far, in seconds; negative when it cannot be read.
double ProcessorSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The command name may hold spaces; the fields counted from 3 start after its ')'.
    const auto close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int n = 3; n <= 15 && fields >> field; ++n) {
        if (n == 14) utime = std::stoull(field);
        if (n == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// A line of /proc/PID/status in megabytes, e.g. "VmHWM"; negative when missing.
double StatusMegabytes(pid_t pid, const std::string& key) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key + ":", 0) == 0) return std::stod(line.substr(key.size() + 1)) / 1024.0;
    return -1;
}

std::size_t Lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

void BM_Watch500(benchmark::State& state) {
    const test_support::TempFolder folder("vantrel-watch-bench");
    const std::string list = folder.File("site.ini");
    SaveList(list);
    harness::ModsimProcess simulator;
    if (!bench::StartSimulator(
            simulator, bench::ModuleArgs(kDevices, bench::LoopbackSiteAddress, kSilentEvery))) {
        state.SkipWithError("vantrel-modsim did not start");
        return;
    }
    std::string error;
    const unsigned durationS = (kIntervalMs * (kGaps + 2)) / 1000;
    for (auto _ : state) {
        harness::ChildProcess watch;
        const auto started = Clock::now();
        if (!watch.Start({harness::CliPath(), "watch", "--settings", list, "--from", "127.0.0.1",
                          "--interval", std::to_string(kIntervalMs / 1000), "--duration",
                          std::to_string(durationS)},
                         error) ||
            !watch.WaitForOutput([](const std::string& out) { return Lines(out) >= kDevices; },
                                 kIntervalMs)) {
            state.SkipWithError(
                ("the first round did not report every device: " + error + watch.ErrorText())
                    .c_str());
            return;
        }
        // The first round ends with its last line; every later one starts an interval after
        // the one before and lasts about as long.
        const auto firstEnd = Clock::now();
        const auto roundLength = firstEnd - started;
        const pid_t pid = watch.Pid();
        const double atFirstEnd = ProcessorSeconds(pid);
        double gapSeconds = 0, gapProcessor = 0;
        for (unsigned k = 0; k < kGaps; ++k) {
            const auto roundStart = started + Ms(kIntervalMs) * k;
            std::this_thread::sleep_until(roundStart + roundLength + Ms(kGapMarginMs));
            const auto from = Clock::now();
            const double before = ProcessorSeconds(pid);
            std::this_thread::sleep_until(roundStart + Ms(kIntervalMs - kGapMarginMs));
            gapProcessor += ProcessorSeconds(pid) - before;
            gapSeconds += std::chrono::duration<double>(Clock::now() - from).count();
        }
        const double steadySeconds = std::chrono::duration<double>(Clock::now() - firstEnd).count();
        const double steadyProcessor = ProcessorSeconds(pid) - atFirstEnd;
        const double peakMb = StatusMegabytes(pid, "VmHWM");
        watch.Stop();
        const double gapPercent = 100.0 * gapProcessor / gapSeconds;
        state.counters["first_round_s"] = std::chrono::duration<double>(roundLength).count();
        state.counters["peak_rss_MB"] = peakMb;
        state.counters["gap_core_pct"] = gapPercent;
        state.counters["gaps_s"] = gapSeconds;  // measured; the clock tick is 1/100 s
        state.counters["steady_core_pct"] = 100.0 * steadyProcessor / steadySeconds;
        state.counters["peak_ok"] = peakMb > 0 && peakMb <= kMaxPeakMb;
        state.counters["gap_ok"] = gapPercent < kMaxGapCorePercent;
        std::printf(
            "watch of %zu devices every %u s: peak RSS %.1f MB (target <= %.0f MB: %s); "
            "between rounds %.2f %% of a core (target < %.0f %%: %s); over the rounds "
            "%.2f %% of a core\n",
            kDevices, kIntervalMs / 1000, peakMb, kMaxPeakMb,
            peakMb > 0 && peakMb <= kMaxPeakMb ? "holds" : "MISSED", gapPercent, kMaxGapCorePercent,
            gapPercent < kMaxGapCorePercent ? "holds" : "MISSED",
            100.0 * steadyProcessor / steadySeconds);
    }
}
BENCHMARK(BM_Watch500)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) { return bench::Main(argc, argv); }
