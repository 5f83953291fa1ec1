// RefreshDeviceList over a long list: the rebuild alone, and the rebuild with the one repaint
// that follows it. The window runs offscreen with a loopback adapter; nothing is sent.
#include <memory>

#include <QApplication>
#include <QTemporaryDir>

#include "bench/bench_support.h"
#include "bench/ui_bench_window.h"

namespace {

// The window on a list of range(0) devices.
std::unique_ptr<CControlPanelDlg> OpenWindowWithDevices(benchmark::State& state,
                                                        QTemporaryDir& dir) {
    const int devices = static_cast<int>(state.range(0));
    QByteArray text = "[Layout]\nLanguage=0\n[List]\nTotal=" + QByteArray::number(devices) + "\n";
    for (int n = 0; n < devices; ++n) {
        const quint32 address = 10u | (1u << 8) | (static_cast<quint32>(n / 250) << 16) |
                                (static_cast<quint32>(2 + n % 250) << 24);
        text += "IP" + QByteArray::number(n) + "=" +
                QByteArray::number(static_cast<qint32>(address)) + "\n";
        text += "MAC" + QByteArray::number(n) +
                "=00:0A:1B:2C:" + QByteArray::number(n / 256 % 100).rightJustified(2, '0') + ":" +
                QByteArray::number(n % 100).rightJustified(2, '0') + "\n";
    }
    return bench::OpenMainWindow(state, dir.filePath(QStringLiteral("bench-%1.ini").arg(devices)),
                                 text,
                                 0x0100007Fu);  // 127.0.0.1
}

void BM_RefreshDeviceList(benchmark::State& state) {
    QTemporaryDir dir;
    auto window = OpenWindowWithDevices(state, dir);
    if (!window) return;
    for (auto _ : state) window->RefreshDeviceList(-1);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RefreshDeviceList)->Arg(128)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_RefreshDeviceListAndRepaint(benchmark::State& state) {
    QTemporaryDir dir;
    auto window = OpenWindowWithDevices(state, dir);
    if (!window) return;
    for (auto _ : state) {
        window->RefreshDeviceList(static_cast<int>(state.range(0)) - 1);
        window->repaint();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_RefreshDeviceListAndRepaint)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    bench::UseOffscreenPlatformByDefault();
    QApplication application(argc, argv);
    return bench::Main(argc, argv);
}
