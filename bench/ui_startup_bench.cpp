// From the start of a process to the main window's first paint, and the resident memory of the
// idle window. Each iteration starts this program again as a child that runs the panel's own
// start-up (RunControlPanel) on a settings file with 20 devices and a loopback adapter; the
// child reports its first paint and, after a second of idling, its VmRSS, then closes the
// window. In the same iteration a second child shows only an empty QDialog, the least a Qt
// program does before its first paint; the panel's time is reported as a multiple of it
// (panel_per_empty_dialog, goal at most 1.5), which holds on machines of any speed and load.
// Offscreen unless QT_QPA_PLATFORM says otherwise; nothing is sent.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include "app/control_panel_app.h"
#include "bench/bench_support.h"
#include "platform/paths.h"
#include "ui/panel_startup.h"

extern char** environ;

namespace {

constexpr const char* kChildFlag = "--panel-child";
constexpr const char* kDialogChildFlag = "--empty-dialog-child";
constexpr int kChildBoundMs = 15000;
constexpr std::uint32_t kLoopbackAdapter = 0x0100007Fu;  // 127.0.0.1, network byte order

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

int RunChild(int argc, char** argv, const char* settingsPath) {
    PanelRunOptions options;
    options.settingsPath = settingsPath;
    options.adapters = [](std::vector<std::uint32_t>& list) {
        list = {kLoopbackAdapter};
        return true;
    };
    options.afterFirstPaint = [](CControlPanelDlg& window) {
        std::printf("painted\n");
        std::fflush(stdout);
        QTimer::singleShot(1000, &window, [&window] {
            std::printf("rss %ld\n", ResidentKilobytes());
            std::fflush(stdout);
            window.reject();
        });
    };
    return RunControlPanel(argc, argv, options);
}

// Prints "painted" once the widget has been painted, then ends the event loop.
class PaintReport : public QObject {
public:
    explicit PaintReport(QDialog& dialog) : dialog_(dialog) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &dialog_ && event->type() == QEvent::Paint && !reported_) {
            reported_ = true;
            QTimer::singleShot(0, &dialog_, [this] {
                std::printf("painted\nrss 0\n");
                std::fflush(stdout);
                dialog_.reject();
            });
        }
        return false;
    }

private:
    QDialog& dialog_;
    bool reported_ = false;
};

int RunEmptyDialogChild(char* programName) {
    int qtArgc = 1;
    char* qtArgv[] = {programName, nullptr};
    QApplication application(qtArgc, qtArgv);
    QDialog dialog;
    PaintReport report(dialog);
    dialog.installEventFilter(&report);
    return dialog.exec() == QDialog::Rejected ? 0 : 1;
}

struct ChildRun {
    bool ok = false;
    double firstPaintMs = 0;
    long rssKb = -1;
};

// Reads lines from fd until `prefix` starts one, or the bound passes.
bool ReadLine(int fd, std::string& buffer, const std::string& prefix, std::string& line,
              int boundMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    for (;;) {
        const auto newline = buffer.find('\n');
        if (newline != std::string::npos) {
            line = buffer.substr(0, newline);
            buffer.erase(0, newline + 1);
            if (line.rfind(prefix, 0) == 0) return true;
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd wait{fd, POLLIN, 0};
        if (poll(&wait, 1, static_cast<int>(left.count())) <= 0) return false;
        char chunk[256];
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0) return false;
        buffer.append(chunk, static_cast<std::size_t>(got));
    }
}

ChildRun StartChild(const char* flag, const std::string& settingsPath) {
    ChildRun run;
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string self = platform::ExecutablePath();
    char* args[] = {const_cast<char*>(self.c_str()), const_cast<char*>(flag),
                    const_cast<char*>(settingsPath.c_str()), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return run;
    }
    std::string buffer;
    std::string line;
    if (ReadLine(pipeFds[0], buffer, "painted", line, kChildBoundMs)) {
        run.firstPaintMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (ReadLine(pipeFds[0], buffer, "rss ", line, kChildBoundMs)) {
            run.rssKb = std::strtol(line.c_str() + 4, nullptr, 10);
            run.ok = true;
        }
    }
    close(pipeFds[0]);
    int status = 0;
    for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; waited += 10) {
        if (waited > 5000) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            run.ok = false;
            break;
        }
        usleep(10000);
    }
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::string WriteSettings(const std::string& folder) {
    const std::string path = folder + "/panel.ini";
    std::ofstream file(path, std::ios::trunc);
    // The adapter the child is given is the one stored, as at every start after the first.
    file << "[Layout]\nLanguage=0\n[Config]\nLocalIP="
         << static_cast<std::int32_t>(kLoopbackAdapter) << "\n[List]\nTotal=20\n";
    for (int n = 0; n < 20; ++n)
        file << "IP" << n << "="
             << static_cast<std::int32_t>(10u | (1u << 8) | (1u << 16) |
                                          (static_cast<unsigned>(n + 2) << 24))
             << "\nMAC" << n << "=00:0A:1B:2C:3D:" << (n < 10 ? "0" : "") << n << "\n";
    return path;
}

void BM_StartToFirstPaintAndIdleMemory(benchmark::State& state) {
    char folder[] = "/tmp/vantrel-startup-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    // The child's instance lock and settings stay in this folder, away from a running panel.
    setenv("XDG_RUNTIME_DIR", folder, 1);
    const std::string settings = WriteSettings(folder);
    double worstMs = 0;
    long worstRssKb = 0;
    std::vector<double> panelMs;
    std::vector<double> dialogMs;
    for (auto _ : state) {
        // Side by side, so both see the same load and the same warm caches.
        const ChildRun dialog = StartChild(kDialogChildFlag, settings);
        const ChildRun run = StartChild(kChildFlag, settings);
        if (!run.ok || !dialog.ok) {
            state.SkipWithError("a child did not report its first paint and memory");
            break;
        }
        state.SetIterationTime(run.firstPaintMs / 1000.0);
        worstMs = std::max(worstMs, run.firstPaintMs);
        worstRssKb = std::max(worstRssKb, run.rssKb);
        panelMs.push_back(run.firstPaintMs);
        dialogMs.push_back(dialog.firstPaintMs);
    }
    if (panelMs.empty()) return;
    const double panel = Median(panelMs);
    const double empty = Median(dialogMs);
    state.counters["worst_first_paint_ms"] = worstMs;
    state.counters["median_first_paint_ms"] = panel;
    state.counters["empty_dialog_first_paint_ms"] = empty;
    state.counters["panel_per_empty_dialog"] = empty > 0 ? panel / empty : 0;
    state.counters["idle_rss_MB"] = static_cast<double>(worstRssKb) / 1024.0;
    std::remove(settings.c_str());
    std::remove(
        platform::InstanceLock::LockFilePath(app::CControlPanelApp::kInstanceGuardName).c_str());
    rmdir(folder);
}
BENCHMARK(BM_StartToFirstPaintAndIdleMemory)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    bench::UseOffscreenPlatformByDefault();
    if (argc >= 3 && std::strcmp(argv[1], kChildFlag) == 0) {
        return RunChild(1, argv, argv[2]);
    }
    if (argc >= 2 && std::strcmp(argv[1], kDialogChildFlag) == 0)
        return RunEmptyDialogChild(argv[0]);
    return bench::Main(argc, argv);
}
