#pragma once
// Page 2: the address of a device that the search did not find, typed by hand.
#include <QWizardPage>

#include "wizard/wizard_page_controls.h"

class CIpAddressEdit;
class CTibboAddWizard;

class CPageTibboAddDirect : public QWizardPage {
    Q_OBJECT

public:
    explicit CPageTibboAddDirect(CTibboAddWizard& sheet);

    CIpAddressEdit& AddressField() const { return *address_; }
    QWidget* Control(int id) const;

    void initializePage() override;
    // Accepts a valid address that no listed device has, and stores it in the hello record.
    bool validatePage() override;

private:
    CTibboAddWizard& sheet_;
    PageControls controls_;
    CIpAddressEdit* address_;
};

// The field's address in network byte order, when all four numbers are filled in.
bool ReadAddressField(const CIpAddressEdit& field, std::uint32_t& address);
// The checks every typed device address passes on its way into the list: 10107 with the error
// icon for an address no device can have, 10106 with the warning icon for a listed one.
bool AcceptNewDeviceAddress(const CTibboAddWizard& sheet, std::uint32_t address);
