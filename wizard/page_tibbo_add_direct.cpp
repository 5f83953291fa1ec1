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
    return !sheet.IsKnownAddress(address);
}

CPageTibboAddDirect::CPageTibboAddDirect(CTibboAddWizard& sheet)
    : sheet_(sheet), controls_(BuildPageControls(*this, kDirectControls)),
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
    // Only the address: a module picked earlier in this run keeps its other bytes.
    sheet_.helloRecord.SetIp(address);
    sheet_.MarkDeviceAdded();
    return true;
}
