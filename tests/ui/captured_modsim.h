#pragma once
// vantrel-modsim on loopback that records every datagram it receives, so a window test can tell
// which requests the window actually sent.
#include <string>
#include <vector>

#include <QFile>
#include <QTemporaryDir>

#include "sim/harness/modsim_process.h"
#include "tests/ui/ui_test_support.h"

namespace uitest {

// The first eight bytes of each request, as the capture writes them.
inline constexpr const char* kReadSwitcherHex = "57695A6E496E5472";   // "WiZnInTr"
inline constexpr const char* kWriteSwitcherHex = "57695A6E496E5477";  // "WiZnInTw"
inline constexpr const char* kReadPassportHex = "57695A6E47704173";   // "WiZnGpAs"

class CapturedModsim {
public:
    explicit CapturedModsim(const std::vector<std::string>& modules) {
        std::vector<std::string> args{"--capture", CapturePath().toStdString(), "--duration",
                                      "120"};
        for (const std::string& module : modules) {
            args.push_back("--module");
            args.push_back(module);
        }
        ready_ = process_.Start(args, error_);
    }
    ~CapturedModsim() { Stop(); }

    bool Ready() const { return ready_; }
    const char* Error() const { return error_.c_str(); }
    void Stop() {
        if (ready_ && !stopped_) process_.Stop();
        stopped_ = true;
    }
    // How many received datagrams start with the given request (capture lines end in the bytes).
    int Count(const char* requestHex) const {
        QFile file(CapturePath());
        if (!file.open(QIODevice::ReadOnly)) return 0;
        int count = 0;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() == 4 && fields[3].startsWith(requestHex)) ++count;
        }
        return count;
    }

private:
    QString CapturePath() const { return dir_.filePath(QStringLiteral("capture.txt")); }

    QTemporaryDir dir_;
    harness::ModsimProcess process_;
    bool ready_ = false;
    bool stopped_ = false;
    std::string error_;
};

// One module played at 127.0.0.2 and listed as the only device of a main window that works from
// 127.0.0.1, with its row selected.
struct OneDeviceWindow {
    explicit OneDeviceWindow(const std::string& module)
        : modsim({module}), settings(DeviceListText({Loopback(2)})) {
        if (!modsim.Ready()) return;
        window = OpenWindow(AdapterList({Loopback(1)}));
        if (window) SelectRow(*window, 0);
    }
    bool Ready() const { return modsim.Ready() && window != nullptr; }

    CapturedModsim modsim;
    TempSettings settings;
    std::unique_ptr<CControlPanelDlg> window;
};

}  // namespace uitest
