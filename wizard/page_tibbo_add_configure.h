#pragma once
// Page 3: new IP address, network mask and default gateway for the module picked on the list
// page, shown with its current ones; a change is broadcast to the module.
#include <QWizardPage>

#include "wizard/wizard_page_controls.h"

class CIpAddressEdit;
class CTibboAddWizard;

class CPageTibboAddConfigure : public QWizardPage {
    Q_OBJECT

public:
    explicit CPageTibboAddConfigure(CTibboAddWizard& sheet);

    CIpAddressEdit& AddressField() const { return *address_; }
    CIpAddressEdit& MaskField() const { return *mask_; }
    CIpAddressEdit& GatewayField() const { return *gateway_; }
    QWidget* Control(int id) const;

    // Shows the picked module's current settings.
    void initializePage() override;
    // Accepts a valid, unlisted address; sends the settings only when one of them changed.
    bool validatePage() override;

private:
    CTibboAddWizard& sheet_;
    PageControls controls_;
    CIpAddressEdit* address_;
    CIpAddressEdit* mask_;
    CIpAddressEdit* gateway_;
};
