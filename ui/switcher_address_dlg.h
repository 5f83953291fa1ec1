#pragma once
// The small modal dialog in which Setup edits a device's switcher address. It exchanges nothing
// with the device: the caller sets `address`, runs it and sends what it holds after OK.
#include <cstdint>
#include <map>

#include <QDialog>

class CIpAddressEdit;

class CSwitcherAddressDlg : public QDialog {
    Q_OBJECT

public:
    explicit CSwitcherAddressDlg(QWidget* parent);

    // IPv4 address in network byte order, 0 for none. Set by the caller before the dialog runs;
    // after OK it holds the operator's address, after cancel the caller's.
    std::uint32_t address = 0;

    // The control with that template id, or nullptr.
    QWidget* Control(int id) const;
    CIpAddressEdit* AddressField() const { return addressField_; }

    // OK: closes only when all four number fields are filled in; otherwise stays open silently.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();

    std::map<int, QWidget*> controls_;
    CIpAddressEdit* addressField_ = nullptr;
    bool opened_ = false;
};
