#include "ui/panel_startup.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QApplication>
#include <QByteArray>
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

// Qt opens the display while the application object is built, and without one it aborts the
// process after a few lines of plugin detail. While that happens its messages are held back: on
// success they are passed on as they came, and a failure becomes one line for the operator.
class DisplayOpening {
public:
    DisplayOpening() { previous_ = qInstallMessageHandler(&DisplayOpening::Hold); }
    ~DisplayOpening() {
        qInstallMessageHandler(previous_);
        for (const Held& message : held_) {
            const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
            if (previous_ != nullptr)
                previous_(message.type, context, message.text);
            else
                std::fprintf(stderr, "%s\n", qPrintable(message.text));
        }
        held_.clear();
    }
    DisplayOpening(const DisplayOpening&) = delete;
    DisplayOpening& operator=(const DisplayOpening&) = delete;

private:
    struct Held {
        QtMsgType type;
        QByteArray category;
        QString text;
    };

    static void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type == QtFatalMsg) {
            std::fputs(kNoDisplayMessage, stderr);
            std::fflush(stderr);
            // Half-built, the application object cannot be taken down; nothing has been written
            // yet, and the instance guard ends with the process.
            std::_Exit(kPanelNoDisplay);
        }
        held_.push_back(
            {type, QByteArray(context.category != nullptr ? context.category : "default"), text});
    }

    static inline QtMessageHandler previous_ = nullptr;
    static inline std::vector<Held> held_;
};

}  // namespace

int RunControlPanel(int argc, char** argv, const PanelRunOptions& options) {
    app::CControlPanelApp& app = app::TheApp();
    // The guard comes first: a second copy ends before it opens a display or reads a setting.
    if (!app.AcquireInstanceGuard()) return kPanelAlreadyRunning;
    if (options.settingsPath.empty())
        app.UseExecutableSettingsPath();
    else
        app.SetSettingsPath(options.settingsPath);

    // The program reads no arguments, so Qt sees only the program's name: options such as
    // -reverse or -style on the command line change nothing.
    int qtArgc = 1;
    char* qtArgv[] = {argc > 0 && argv[0] != nullptr ? argv[0] : const_cast<char*>("vantrel-panel"),
                      nullptr};
    std::unique_ptr<QApplication> application;
    {
        const DisplayOpening opening;
        application = std::make_unique<QApplication>(qtArgc, qtArgv);
    }
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
