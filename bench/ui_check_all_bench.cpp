// The main window's Check All over a site's list on the private test network: 128 devices,
// of which 16 are switched off (silent), asked with the default Config/CheckJobs and with
// CheckJobs=1 for comparison. The window runs offscreen; vantrel-modsim plays the modules.
// Runs inside vtl-panel only:
//   scripts/testnet up && scripts/testnet panel build/<dir>/bin/ui_check_all_bench
#include <memory>
#include <optional>
#include <string>

#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>

#include "app/settings_file.h"
#include "bench/bench_support.h"
#include "bench/exchange_timing.h"
#include "bench/ui_bench_window.h"
#include "ui/main_dialog_template.h"

namespace {

constexpr std::size_t kDevices = 128;
constexpr std::size_t kSilentEvery = 8;  // 16 of 128

std::string DeviceText(std::size_t n) { return "198.18.0." + std::to_string(2 + n); }

using bench::Address;

// The window on the site's list, with Config/CheckJobs range(0).
std::unique_ptr<CControlPanelDlg> OpenWindow(benchmark::State& state, QTemporaryDir& dir) {
    const int jobs = static_cast<int>(state.range(0));
    QByteArray text = "[Layout]\nLanguage=0\n[Config]\nCheckJobs=" + QByteArray::number(jobs) +
                      "\n[List]\nTotal=" + QByteArray::number(kDevices) + "\n";
    for (std::size_t n = 0; n < kDevices; ++n)
        text += "IP" + QByteArray::number(n) + "=" +
                QByteArray::number(app::AddressToSettingInt(Address(DeviceText(n)))) + "\n";
    return bench::OpenMainWindow(state, dir.filePath(QStringLiteral("check-all-%1.ini").arg(jobs)),
                                 text, Address(harness::kPanelAddressText));
}

void BM_CheckAll(benchmark::State& state) {
    QTemporaryDir dir;
    auto window = OpenWindow(state, dir);
    if (!window) return;
    auto* checkAll = static_cast<QPushButton*>(window->Control(main_dialog::kCheckAllButton));
    bench::ExchangeTimes().Measure(state, [&] {
        checkAll->click();
        std::size_t silent = 0;
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
    bench::UseOffscreenPlatformByDefault();
    harness::ModsimProcess simulator;
    std::optional<QApplication> application;
    return bench::Main(argc, argv, [&] {
        if (!bench::InsideTestNetwork() ||
            !bench::StartSimulator(simulator, bench::ModuleArgs(kDevices, DeviceText, kSilentEvery),
                                   true))
            return false;
        application.emplace(argc, argv);
        return true;
    });
}
