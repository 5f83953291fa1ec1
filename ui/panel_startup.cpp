#include "ui/panel_startup.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include "app/control_panel_app.h"
#include "ui/control_panel_dlg.h"

namespace {

// Reports the main window's first paint once, after the paint has finished.
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(CControlPanelDlg& window, std::function<void(CControlPanelDlg&)> callback)
        : window_(window), callback_(std::move(callback)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Paint && !reported_) {
            reported_ = true;
            QTimer::singleShot(0, &window_, [this] { callback_(window_); });
        }
        return false;
    }

private:
    CControlPanelDlg& window_;
    std::function<void(CControlPanelDlg&)> callback_;
    bool reported_ = false;
};

}  // namespace

int RunControlPanel(int& argc, char** argv, const PanelRunOptions& options) {
    CControlPanelApp& app = TheApp();
    // The guard comes first: a second copy ends before it opens a display or reads a setting.
    if (!app.AcquireInstanceGuard()) return kPanelAlreadyRunning;
    if (options.settingsPath.empty()) app.UseExecutableSettingsPath();
    else app.SetSettingsPath(options.settingsPath);

    QApplication application(argc, argv);
    {
        CControlPanelDlg window(options.adapters);
        std::unique_ptr<FirstPaintWatch> watch;
        if (options.afterFirstPaint) {
            watch = std::make_unique<FirstPaintWatch>(window, options.afterFirstPaint);
            window.installEventFilter(watch.get());
        }
        window.exec();
        // The window saves its place as it is destroyed here.
    }
    app.ReleaseInstanceGuard();
    return 0;
}
