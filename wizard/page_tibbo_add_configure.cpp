#include "wizard/page_tibbo_add_configure.h"

#include "widgets/exchange_scope.h"
#include "widgets/ip_address_edit.h"
#include "wizard/page_tibbo_add_direct.h"
#include "wizard/tibbo_add_wizard.h"

using namespace add_wizard;

CPageTibboAddConfigure::CPageTibboAddConfigure(CTibboAddWizard& sheet)
    : sheet_(sheet),
      controls_(BuildPageControls(*this, kConfigureControls)),
      address_(static_cast<CIpAddressEdit*>(controls_.at(kAddressField))),
      mask_(static_cast<CIpAddressEdit*>(controls_.at(kMaskField))),
      gateway_(static_cast<CIpAddressEdit*>(controls_.at(kGatewayField))) {
    RecaptionControls(controls_);
}

QWidget* CPageTibboAddConfigure::Control(int id) const { return FindControl(controls_, id); }

void CPageTibboAddConfigure::initializePage() {
    const netconfig::ModuleHelloRecord& record = sheet_.helloRecord;
    address_->SetAddress(IpFieldValueFromAddress(record.Ip()));
    mask_->SetAddress(IpFieldValueFromAddress(record.Mask()));
    gateway_->SetAddress(IpFieldValueFromAddress(record.Gateway()));
    // Ready for typing a new address over the current one.
    FocusForTyping(*address_);
}

bool CPageTibboAddConfigure::validatePage() {
    std::uint32_t address = 0;
    std::uint32_t mask = 0;
    std::uint32_t gateway = 0;
    // A mask or gateway of 0.0.0.0 is a setting; an IP address of 0.0.0.0 is not.
    if (!ReadAddressField(*address_, address) || !ReadAddressField(*mask_, mask) ||
        !ReadAddressField(*gateway_, gateway) || address == 0)
        return false;
    // Also for the module's current address: a listed device has it already.
    if (!AcceptNewDeviceAddress(sheet_, address)) return false;
    netconfig::ModuleHelloRecord& record = sheet_.helloRecord;
    if (address != record.Ip() || mask != record.Mask() || gateway != record.Gateway()) {
        record.SetIp(address);
        record.SetMask(mask);
        record.SetGateway(gateway);
        ExchangeScope exchange(*window());
        // Nothing confirms the settings; the Check after Add tells whether the module took them.
        sheet_.Source().setModuleNetwork(sheet_.localAdapter, record.Mac(), address, mask, gateway);
    }
    sheet_.MarkDeviceAdded();
    return true;
}
