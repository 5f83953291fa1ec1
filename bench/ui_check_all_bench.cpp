// The main window's Check All over a site's list on the private test network: 128 devices,
// of which 16 are switched off (silent), asked with the default Config/CheckJobs and with
// CheckJobs=1 for comparison. The window runs offscreen; vantrel-modsim plays the modules.
// Runs inside vtl-panel only:
//   scripts/testnet up && scripts/testnet panel build/<dir>/bin/ui_check_all_bench
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/settings_file.h"
#include "bench/exchange_timing.h"
#include "bench/ui_bench_window.h"
#include "netconfig/address_text.h"
#include "sim/harness/modsim_process.h"
#include "sim/harness/test_network.h"
#include "ui/main_dialog_template.h"

namespace {

constexpr int kDevices = 128;
constexpr int kSilentEvery = 8;  // 16 of 128

std::string DeviceText(int n) { return "198.18.0." + std::to_string(2 + n); }

std::uint32_t Address(const std::string& text) {
    std::uint32_t address = 0;
    netconfig::ParseIpAddress(text, address);
    return address;
}

std::optional<harness::ModsimProcess> simulator;

bool PlayModules() {
    std::vector<std::string> args;
    for (int n = 0; n < kDevices; ++n)
        args.insert(
            args.end(),
            {"--module", "ip=" + DeviceText(n) +
                             (n % kSilentEvery == kSilentEvery - 1 ? ",reply=silent" : "")});
    simulator.emplace();
    std::string error;
    if (simulator->Start(args, error, true)) return true;
    std::fprintf(stderr, "ui_check_all_bench: %s\n", error.c_str());
    simulator.reset();
    return false;
}

std::unique_ptr<CControlPanelDlg> OpenWindow(QTemporaryDir& dir, int jobs) {
    QByteArray text = "[Layout]\nLanguage=0\n[Config]\nCheckJobs=" + QByteArray::number(jobs) +
                      "\n[List]\nTotal=" + QByteArray::number(kDevices) + "\n";
    for (int n = 0; n < kDevices; ++n)
        text += "IP" + QByteArray::number(n) + "=" +
                QByteArray::number(app::AddressToSettingInt(Address(DeviceText(n)))) + "\n";
    return bench::OpenMainWindow(dir.filePath(QStringLiteral("check-all-%1.ini").arg(jobs)), text,
                                 Address(harness::kPanelAddressText));
}

// range(0): Config/CheckJobs.
void BM_CheckAll(benchmark::State& state) {
    QTemporaryDir dir;
    auto window = OpenWindow(dir, static_cast<int>(state.range(0)));
    if (!window) {
        state.SkipWithError("the window did not open");
        return;
    }
    auto* checkAll = static_cast<QPushButton*>(window->Control(main_dialog::kCheckAllButton));
    bench::ExchangeTimes().Measure(state, [&] {
        checkAll->click();
        int silent = 0;
        for (const auto& device : window->Devices()) silent += device->online == 0 ? 1 : 0;
        return silent == kDevices / kSilentEvery;
    });
}
BENCHMARK(BM_CheckAll)
    ->ArgName("jobs")
    ->Arg(32)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
// One after another each silent device costs the whole 3 s deadline: one run shows it.
BENCHMARK(BM_CheckAll)
    ->ArgName("jobs")
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    benchmark::Initialize(&argc, argv);
    std::string why;
    if (!harness::InsideTestNetworkPanel(why)) {
        std::fprintf(stderr, "ui_check_all_bench: %s\n", why.c_str());
        return 1;
    }
    if (!PlayModules()) return 1;
    QApplication application(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    simulator.reset();
    return 0;
}
