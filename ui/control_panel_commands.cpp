// The main window's commands: Check, Check All, Setup, Remove, Passport, Close, and the language
// and adapter choices. Add opens the add-device wizard and is filled in with it.
#include <QPushButton>

#include "app/control_panel_app.h"
#include "app/localized_strings.h"
#include "app/panel_settings.h"
#include "netconfig/address_text.h"
#include "netconfig/module_exchange.h"
#include "ui/control_panel_dlg.h"
#include "ui/passport_save.h"
#include "ui/switcher_address_dlg.h"
#include "widgets/exchange_scope.h"
#include "widgets/localized_message_box.h"
#include "widgets/platform_texts.h"
#include "ui/main_dialog_template.h"

using namespace main_dialog;

bool CControlPanelDlg::CheckDevice(std::size_t position) {
    if (position >= devices_.size()) return false;
    DeviceRecord& device = *devices_[position];
    std::uint32_t switcher = 0;
    if (!ReadSwitcherAddress(localAddress_, device.address, switcher)) return false;
    device.switcherAddress = switcher;
    return true;
}

void CControlPanelDlg::OnCheck() {
    if (ExchangeScope::Active()) return;
    ExchangeScope exchange(*this);
    const int position = SelectedPosition();
    if (position < 0 || static_cast<std::size_t>(position) >= devices_.size()) return;
    DeviceRecord& device = *devices_[static_cast<std::size_t>(position)];
    if (CheckDevice(static_cast<std::size_t>(position))) {
        device.online = 1;
    } else {
        device.online = 0;
        LocalizedMessageBox(string_ids::kNotResponding, MessageStyle::Error);
    }
    device.tested = 1;
    RefreshDeviceList(position);
}

void CControlPanelDlg::OnCheckAll() {
    if (ExchangeScope::Active()) return;
    ExchangeScope exchange(*this);
    for (std::size_t position = 0; position < devices_.size(); ++position) {
        DeviceRecord& device = *devices_[position];
        device.online = CheckDevice(position) ? 1 : 0;
        device.tested = 1;
    }
    RefreshDeviceList(-1);
}

void CControlPanelDlg::OnRemove() {
    if (ExchangeScope::Active()) return;
    const int position = SelectedPosition();
    if (position < 0 || static_cast<std::size_t>(position) >= devices_.size()) return;
    const std::string address = FormatIpAddress(devices_[static_cast<std::size_t>(position)]->address);
    const std::string question = FormatWithText(LoadLocalizedString(string_ids::kRemoveQuestion), address);
    if (LocalizedMessageBoxText(question, MessageStyle::Question) != MessageAnswer::Yes) return;
    RemoveDeviceAt(devices_, static_cast<std::size_t>(position));
    SaveDeviceList(TheApp().Settings(), devices_);
    RefreshDeviceList(-1);
}

void CControlPanelDlg::OnClose() {
    if (ExchangeScope::Active()) return;
    reject();
}

void CControlPanelDlg::OnSetup() {
    if (ExchangeScope::Active()) return;
    const int position = SelectedPosition();
    if (position < 0 || static_cast<std::size_t>(position) >= devices_.size()) return;
    DeviceRecord& device = *devices_[static_cast<std::size_t>(position)];
    // A device that answered before is not asked again.
    if (device.online == 0) {
        ExchangeScope exchange(*this);
        device.tested = 1;
        device.online = CheckDevice(static_cast<std::size_t>(position)) ? 1 : 0;
        RefreshDeviceList(position);
        if (device.online == 0) {
            LocalizedMessageBox(string_ids::kNotResponding, MessageStyle::Error);
            return;
        }
    }

    CSwitcherAddressDlg dialog(this);
    dialog.address = device.switcherAddress;
    if (dialog.exec() != QDialog::Accepted) return;
    if (dialog.address != device.switcherAddress) {
        device.switcherAddress = dialog.address;
        ExchangeScope exchange(*this);
        // Never confirmed by the module: the row shows the address that was sent.
        WriteSwitcherAddress(localAddress_, device.address, device.switcherAddress);
    }
    device.online = 1;
    RefreshDeviceList(position);
}

void CControlPanelDlg::OnAdd() {
    // The add-device wizard's command.
}

void CControlPanelDlg::OnPassport() {
    if (ExchangeScope::Active()) return;
    const int position = SelectedPosition();
    if (position < 0 || static_cast<std::size_t>(position) >= devices_.size()) return;
    const std::uint32_t address = devices_[static_cast<std::size_t>(position)]->address;
    PassportBuffer passport{};
    {
        ExchangeScope exchange(*this);
        if (!ReadModulePassport(localAddress_, address, passport)) {
            LocalizedMessageBox(string_ids::kNotResponding, MessageStyle::Error);
            return;
        }
    }
    // The exchange is over: the operator chooses the file under the normal cursor.
    if (!SavePassportFile(this, address, passport, LoadLocalizedString(string_ids::kPassportFileFilter)))
        LocalizedMessageBox(string_ids::kFileSaveFailed, MessageStyle::Error);
}

void CControlPanelDlg::OnLanguageChanged(int index) {
    const int language = index == 1 ? kRussian : kEnglish;
    SetLanguage(language);
    UsePlatformTexts(language);
    Recaption();
    // The "Online" column shows the answer texts, so the rows follow the language as well.
    RefreshDeviceList(SelectedPosition());
    panel_settings::WriteLanguage(TheApp().Settings(), language);
}

void CControlPanelDlg::OnAdapterChanged(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= adapterList_.size()) return;
    chosenAdapter_ = index;
    localAddress_ = adapterList_[static_cast<std::size_t>(index)];
    panel_settings::WriteLocalAdapter(TheApp().Settings(), localAddress_);
}

void CControlPanelDlg::OnListSelectionChanged() { UpdateCommandStates(); }

void CControlPanelDlg::OnListDoubleClicked() {
    if (chosenAdapter_ != -1) OnSetup();
}
