#pragma once
// The main window as the window benchmarks open it: on a settings file of the benchmark's own
// text, with one adapter, shown offscreen and exposed.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QWindow>

#include "app/control_panel_app.h"
#include "ui/control_panel_dlg.h"

namespace bench {

// Null, with the benchmark skipped, when the file cannot be written or the window does not open
// within 5 s.
inline std::unique_ptr<CControlPanelDlg> OpenMainWindow(benchmark::State& state,
                                                        const QString& settingsPath,
                                                        const QByteArray& settingsText,
                                                        std::uint32_t adapter) {
    QFile file(settingsPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        state.SkipWithError("cannot write the settings file");
        return nullptr;
    }
    file.write(settingsText);
    file.close();
    app::TheApp().SetSettingsPath(settingsPath.toStdString());
    auto window = std::make_unique<CControlPanelDlg>([adapter](std::vector<std::uint32_t>& list) {
        list = {adapter};
        return true;
    });
    window->show();
    QElapsedTimer waited;
    waited.start();
    while (window->windowHandle() == nullptr || !window->windowHandle()->isExposed()) {
        if (waited.elapsed() > 5000) {
            state.SkipWithError("the window did not open");
            return nullptr;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return window;
}

}  // namespace bench
