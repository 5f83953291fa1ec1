// The panel's start-up as a process: Qt's own command-line options take no effect, and without
// a display the panel says so in one line and ends with status 1 instead of aborting. This
// program starts itself again as the panel (--panel-child SETTINGS ...), because a process
// builds its Qt application object only once.
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ui/panel_startup.h"

namespace {

constexpr const char* kChildFlag = "--panel-child";
constexpr int kChildBoundMs = 60000;

// The panel on SETTINGS with a loopback adapter: after its first paint it reports what Qt made
// of its command line, then closes.
int RunChild(int argc, char** argv) {
    PanelRunOptions options;
    options.settingsPath = argv[2];
    options.adapters = [](std::vector<std::uint32_t>& list) {
        list = {0x0100007Fu};
        return true;
    };
    options.afterFirstPaint = [](CControlPanelDlg& window) {
        std::printf("arguments %lld\n",
                    static_cast<long long>(QCoreApplication::arguments().size()));
        std::printf("direction %s\n",
                    QApplication::layoutDirection() == Qt::LeftToRight ? "ltr" : "rtl");
        std::printf("style %s\n", qPrintable(QApplication::style()->name()));
        std::printf("platform %s\n", qPrintable(QGuiApplication::platformName()));
        std::fflush(stdout);
        window.reject();
    };
    return RunControlPanel(argc, argv, options);
}

struct ChildResult {
    bool finished = false;
    QProcess::ExitStatus exitStatus = QProcess::CrashExit;
    int exitCode = -1;
    QString out;
    QString err;
};

ChildResult RunPanel(const QStringList& arguments, const QProcessEnvironment& environment) {
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    ChildResult result;
    result.finished = child.waitForFinished(kChildBoundMs);
    if (!result.finished) {
        child.kill();
        child.waitForFinished(kChildBoundMs);
    }
    result.exitStatus = child.exitStatus();
    result.exitCode = child.exitCode();
    result.out = QString::fromUtf8(child.readAllStandardOutput());
    result.err = QString::fromUtf8(child.readAllStandardError());
    return result;
}

// The test's environment without any way to a display, and a runtime folder of the child's own.
QProcessEnvironment ChildEnvironment(const QTemporaryDir& runtime) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    return environment;
}

}  // namespace

class PanelStartupTest : public QObject {
    Q_OBJECT

private slots:
    void qtOptionsOnTheCommandLineTakeNoEffect() {
        QTemporaryDir folder;
        QVERIFY(QFile::setPermissions(folder.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QProcessEnvironment environment = ChildEnvironment(folder);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // Each of these would change the window, or end the program without a display, if Qt
        // read them.
        const ChildResult run =
            RunPanel({kChildFlag, folder.filePath("panel.ini"), "-reverse", "-style", "windows",
                      "-platform", "xcb", "-qwindowgeometry", "10x10+0+0"},
                     environment);
        QVERIFY2(run.finished && run.exitStatus == QProcess::NormalExit, qPrintable(run.err));
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.out.contains(QStringLiteral("arguments 1\n")), qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("direction ltr\n")), qPrintable(run.out));
        QVERIFY2(!run.out.contains(QStringLiteral("style windows")), qPrintable(run.out));
        QVERIFY2(run.out.contains(QStringLiteral("platform offscreen\n")), qPrintable(run.out));
    }

    void withoutADisplayOneLineAndStatusOne_data() {
        QTest::addColumn<QString>("display");
        QTest::newRow("DISPLAY not set") << QString();
        // A local display number nobody serves: the X library looks for its socket only.
        QTest::newRow("no server at DISPLAY") << QStringLiteral(":4711");
    }

    void withoutADisplayOneLineAndStatusOne() {
        QFETCH(QString, display);
        if (!display.isEmpty() && QFile::exists(QStringLiteral("/tmp/.X11-unix/X4711")))
            QSKIP("display :4711 exists on this machine");
        QTemporaryDir folder;
        QVERIFY(QFile::setPermissions(folder.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QProcessEnvironment environment = ChildEnvironment(folder);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        if (!display.isEmpty()) environment.insert(QStringLiteral("DISPLAY"), display);
        const QString settings = folder.filePath("panel.ini");
        const ChildResult run = RunPanel({kChildFlag, settings}, environment);
        QVERIFY(run.finished);
        QCOMPARE(run.exitStatus, QProcess::NormalExit);
        QCOMPARE(run.exitCode, kPanelNoDisplay);
        QCOMPARE(run.err, QString::fromLatin1(kNoDisplayMessage));
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFile::exists(settings));
    }
};

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], kChildFlag) == 0) return RunChild(argc, argv);
    QCoreApplication application(argc, argv);
    PanelStartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "panel_startup_test.moc"
