#include "wizard/page_tibbo_add_direct.h"

#include "widgets/ip_address_edit.h"
#include "widgets/localized_message_box.h"
#include "wizard/tibbo_add_wizard.h"

using namespace add_wizard;

bool ReadAddressField(const CIpAddressEdit& field, std::uint32_t& address) {
    if (field.FilledFieldCount() != CIpAddressEdit::kFieldCount) return false;
    address = AddressFromIpFieldValue(field.Address());
    return true;
}

bool AcceptNewDeviceAddress(const CTibboAddWizard& sheet, std::uint32_t address) {
    if (!IsValidDeviceAddress(address)) {
        LocalizedMessageBox(kInvalidAddressMessageId, MessageStyle::Error);
        return false;
    }
    if (sheet.IsKnownAddress(address)) {
        LocalizedMessageBox(kAddressUsedMessageId, MessageStyle::Warning);
        return false;
    }
    return true;
}

CPageTibboAddDirect::CPageTibboAddDirect(CTibboAddWizard& sheet)
    : sheet_(sheet),
      controls_(BuildPageControls(*this, kDirectControls)),
      address_(static_cast<CIpAddressEdit*>(controls_.at(kAddressField))) {
    RecaptionControls(controls_);
}

QWidget* CPageTibboAddDirect::Control(int id) const { return FindControl(controls_, id); }

void CPageTibboAddDirect::initializePage() { FocusForTyping(*address_); }

bool CPageTibboAddDirect::validatePage() {
    std::uint32_t address = 0;
    // An unfinished field, or 0.0.0.0, is not an answer yet: the page waits without a word.
    if (!ReadAddressField(*address_, address) || address == 0) return false;
    if (!AcceptNewDeviceAddress(sheet_, address)) return false;
    // A device typed by hand has no MAC the panel knows. A module looked at on the list earlier
    // in this run is not this device: keeping its MAC would list it under a foreign address and
    // hide that module from every later search.
    sheet_.helloRecord = netconfig::ModuleHelloRecord{};
    sheet_.helloRecord.SetIp(address);
    sheet_.MarkDeviceAdded();
    return true;
}
