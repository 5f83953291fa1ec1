#pragma once
// vantrel-modsim as the window tests run it, and a main window on modules it plays.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QString>
#include <QTemporaryDir>

#include "sim/harness/modsim_process.h"
#include "tests/ui/ui_test_support.h"
#include "ui/control_panel_dlg.h"

namespace uitest {

// The first eight bytes of each request, as the capture writes them.
inline constexpr const char* kReadSwitcherHex = "57695A6E496E5472";   // "WiZnInTr"
inline constexpr const char* kWriteSwitcherHex = "57695A6E496E5477";  // "WiZnInTw"
inline constexpr const char* kReadPassportHex = "57695A6E47704173";   // "WiZnGpAs"

// vantrel-modsim for one test, playing the given modules for two minutes at most; stopped when
// the object goes. Every datagram it receives is recorded in CapturePath(), so a test can tell
// which requests were actually sent.
class Modsim {
public:
    enum class Where {
        kLoopback,
        kTestNetwork,  // the test network's device side, hearing broadcasts
    };
    explicit Modsim(const std::vector<std::string>& modules, Where where = Where::kLoopback);
    ~Modsim();
    bool Ready() const { return ready_; }
    const char* Error() const { return error_.c_str(); }
    void Stop();

    QString CapturePath() const { return dir_.filePath(QStringLiteral("capture.txt")); }
    // How many received datagrams start with the given request (capture lines end in the bytes).
    int Count(const char* requestHex) const;

private:
    QTemporaryDir dir_;
    harness::ModsimProcess process_;
    bool ready_ = false;
    bool stopped_ = false;
    std::string error_;
};

// The modules played and a main window on settings of its own (`settingsText`) that works from
// the given adapters; the window is null when it did not open.
struct ModsimWindow {
    ModsimWindow(const std::vector<std::string>& modules, const QString& settingsText,
                 std::vector<std::uint32_t> adapters = {Loopback(1)},
                 Modsim::Where where = Modsim::Where::kLoopback);
    bool Ready() const { return modsim.Ready() && window != nullptr; }
    // What is not ready, for the failure report.
    const char* Why() const { return modsim.Ready() ? "the window did not open" : modsim.Error(); }

    Modsim modsim;
    TempSettings settings;
    std::unique_ptr<CControlPanelDlg> window;
};

// One module played at 127.0.0.2 and listed as the only device of a main window that works from
// 127.0.0.1, with its row selected.
struct OneDeviceWindow : ModsimWindow {
    explicit OneDeviceWindow(const std::string& module);
};

}  // namespace uitest
