#pragma once
// The add-device wizard: finds the modules on the chosen adapter's segment, lets the operator
// pick one that is not listed yet (and give it new network settings) or type an address, and
// hands back one hello record from which the main window makes the new device. Four pages; each
// Next chooses its target, Back always returns to the list page. The run ends only through
// Cancel (pages 1-3) or Finish (page 4): Enter, Escape and the window's close box do nothing.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <QWizard>

#include "netconfig/discovery.h"

class CPageTibboAddList;
class CPageTibboAddDirect;
class CPageTibboAddConfigure;
class CPageTibboAddFinish;

// The two broadcast commands the wizard runs; tests give their own.
struct ModuleSource {
    std::function<bool(std::uint32_t localAddress, std::uint16_t queryCode,
                       std::vector<netconfig::ModuleHelloRecord>& modules)>
        listModules = &netconfig::ListModules;
    std::function<bool(std::uint32_t localAddress, const netconfig::MacAddress& mac,
                       std::uint32_t ip, std::uint32_t mask, std::uint32_t gateway)>
        setModuleNetwork = [](std::uint32_t localAddress, const netconfig::MacAddress& mac,
                              std::uint32_t ip, std::uint32_t mask, std::uint32_t gateway) {
            return netconfig::SetModuleNetwork(localAddress, mac, ip, mask, gateway);
        };
};

class CTibboAddWizard : public QWizard {
    Q_OBJECT

public:
    explicit CTibboAddWizard(QWidget* parent, ModuleSource source = {});
    ~CTibboAddWizard() override;

    // Set by the main window before the run.
    std::uint16_t queryCode = 0;
    std::vector<std::uint32_t> knownAddresses;  // network byte order
    std::vector<std::string> knownMacs;         // only non-empty texts
    std::uint32_t localAdapter = 0;             // the chosen adapter's address
    // Read by the main window after the run.
    std::uint32_t deviceAdded = 0;
    netconfig::ModuleHelloRecord helloRecord;

    // Called by the Direct and Configure pages when their Next is accepted: the device counts
    // as added, and the Finish page follows.
    void MarkDeviceAdded() { deviceAdded = 1; }

    // True when a listed device has this address; the caller tells the operator.
    bool IsKnownAddress(std::uint32_t address) const;
    bool IsKnownMac(const netconfig::MacAddress& mac) const;

    const ModuleSource& Source() const { return source_; }
    CPageTibboAddList& ListPage() const { return *listPage_; }
    CPageTibboAddDirect& DirectPage() const { return *directPage_; }
    CPageTibboAddConfigure& ConfigurePage() const { return *configurePage_; }

    int nextId() const override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void OnPageChanged(int id);

    ModuleSource source_;
    CPageTibboAddList* listPage_;
    CPageTibboAddDirect* directPage_;
    CPageTibboAddConfigure* configurePage_;
    CPageTibboAddFinish* finishPage_;
};

// First octet 1-126 or 128-223 and last octet 1-254; the middle octets may be anything.
// Network byte order: the first octet in the lowest byte.
bool IsValidDeviceAddress(std::uint32_t address);
