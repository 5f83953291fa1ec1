// The main window's commands: Check, Check All, Setup, Remove, Passport, Close, and the language
// and adapter choices. Add runs the add-device wizard and lists the device it reports.
#include <algorithm>

#include <QPushButton>
#include <QTreeWidget>

#include "app/control_panel_app.h"
#include "app/localized_strings.h"
#include "app/panel_settings.h"
#include "netconfig/address_text.h"
#include "netconfig/discovery.h"
#include "netconfig/module_exchange.h"
#include "netconfig/parallel_check.h"
#include "platform/descriptor_limit.h"
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
    const std::size_t jobs = CheckAllJobs();
    if (jobs > 1) {
        CheckAllAtOnce(jobs);
    } else {
        for (std::size_t position = 0; position < devices_.size(); ++position) {
            DeviceRecord& device = *devices_[position];
            device.online = CheckDevice(position) ? 1 : 0;
            device.tested = 1;
        }
    }
    RefreshDeviceList(-1);
}

std::size_t CControlPanelDlg::CheckAllJobs() const {
    const std::int32_t written = panel_settings::ReadCheckJobs(TheApp().Settings());
    const auto bounded = static_cast<std::size_t>(
        std::clamp<std::int32_t>(written, static_cast<std::int32_t>(kMinCheckJobs),
                                 static_cast<std::int32_t>(kMaxCheckJobs)));
    const std::size_t jobs = std::min(bounded, std::max<std::size_t>(devices_.size(), 1));
    // Each running exchange holds its own sockets: a low open-file limit runs fewer at a time
    // rather than failing devices that answer.
    return JobsThatFit(
        jobs, platform::RaiseDescriptorLimit(jobs * kDescriptorsPerCheck + kReservedDescriptors));
}

void CControlPanelDlg::CheckAllAtOnce(std::size_t jobs) {
    std::vector<std::uint32_t> addresses;
    addresses.reserve(devices_.size());
    for (const auto& device : devices_) addresses.push_back(device->address);
    // Input is held off meanwhile, so the list keeps its devices until the last answer.
    CheckSwitchers(localAddress_, addresses, jobs,
                   [this](std::size_t position, const SwitcherCheck& result) {
                       DeviceRecord& device = *devices_[position];
                       if (result.online) device.switcherAddress = result.switcher;
                       device.online = result.online ? 1 : 0;
                       device.tested = 1;
                       // The row shows its answer now; selection and buttons stay as they are
                       // until the rebuild at the end.
                       if (QTreeWidgetItem* row = list_->topLevelItem(static_cast<int>(position)))
                           FillRow(*row, position);
                   });
}

void CControlPanelDlg::OnRemove() {
    if (ExchangeScope::Active()) return;
    const int position = SelectedPosition();
    if (position < 0 || static_cast<std::size_t>(position) >= devices_.size()) return;
    const std::string address =
        FormatIpAddress(devices_[static_cast<std::size_t>(position)]->address);
    const std::string question =
        FormatWithText(LoadLocalizedString(string_ids::kRemoveQuestion), address);
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
    if (ExchangeScope::Active() || chosenAdapter_ < 0 ||
        static_cast<std::size_t>(chosenAdapter_) >= adapterList_.size())
        return;
    CTibboAddWizard wizard(this);
    wizard.localAdapter = adapterList_[static_cast<std::size_t>(chosenAdapter_)];
    wizard.queryCode = kWizardQueryCode;
    for (const auto& device : devices_) {
        wizard.knownAddresses.push_back(device->address);
        if (!device->mac.empty()) wizard.knownMacs.push_back(device->mac);
    }
    wizard.exec();
    if (wizard.deviceAdded == 0) return;

    auto device = std::make_unique<DeviceRecord>();
    device->address = wizard.helloRecord.Ip();
    // Six zero bytes (an address typed by hand) format as the empty text.
    device->mac = FormatMacAddress(wizard.helloRecord.Mac());
    AppendDevice(devices_, std::move(device));
    SaveDeviceList(TheApp().Settings(), devices_);
    RefreshDeviceList(static_cast<int>(devices_.size()) - 1);
    OnCheck();
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
    if (!SavePassportFile(this, address, passport,
                          LoadLocalizedString(string_ids::kPassportFileFilter)))
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
