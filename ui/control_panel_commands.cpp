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
    app::DeviceRecord& device = *devices_[position];
    std::uint32_t switcher = 0;
    if (!netconfig::ReadSwitcherAddress(localAddress_, device.address, switcher)) return false;
    device.switcherAddress = switcher;
    return true;
}

void CControlPanelDlg::OnCheck() {
    if (ExchangeScope::Active()) return;
    ExchangeScope exchange(*this);
    const int position = SelectedPosition();
    if (position < 0 || static_cast<std::size_t>(position) >= devices_.size()) return;
    app::DeviceRecord& device = *devices_[static_cast<std::size_t>(position)];
    if (CheckDevice(static_cast<std::size_t>(position))) {
        device.online = 1;
    } else {
        device.online = 0;
        LocalizedMessageBox(app::string_ids::kNotResponding, MessageStyle::Error);
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
            app::DeviceRecord& device = *devices_[position];
            device.online = CheckDevice(position) ? 1 : 0;
            device.tested = 1;
        }
    }
    RefreshDeviceList(-1);
}

std::size_t CControlPanelDlg::CheckAllJobs() const {
    const std::int32_t written = app::panel_settings::ReadCheckJobs(app::TheApp().Settings());
    const auto bounded = static_cast<std::size_t>(
        std::clamp<std::int32_t>(written, static_cast<std::int32_t>(netconfig::kMinCheckJobs),
                                 static_cast<std::int32_t>(netconfig::kMaxCheckJobs)));
    const std::size_t jobs = std::min(bounded, std::max<std::size_t>(devices_.size(), 1));
    // Each running exchange holds its own sockets: a low open-file limit runs fewer at a time
    // rather than failing devices that answer.
    return netconfig::JobsThatFit(
        jobs, platform::RaiseDescriptorLimit(jobs * netconfig::kDescriptorsPerCheck +
                                             netconfig::kReservedDescriptors));
}

void CControlPanelDlg::CheckAllAtOnce(std::size_t jobs) {
    std::vector<std::uint32_t> addresses;
    addresses.reserve(devices_.size());
    for (const auto& device : devices_) addresses.push_back(device->address);
    // Input is held off meanwhile, so the list keeps its devices until the last answer.
    netconfig::CheckSwitchers(
        localAddress_, addresses, jobs,
        [this](std::size_t position, const netconfig::SwitcherCheck& result) {
            app::DeviceRecord& device = *devices_[position];
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
        netconfig::FormatIpAddress(devices_[static_cast<std::size_t>(position)]->address);
    const std::string question =
        app::FormatWithText(app::LoadLocalizedString(app::string_ids::kRemoveQuestion), address);
    if (LocalizedMessageBoxText(question, MessageStyle::Question) != MessageAnswer::Yes) return;
    app::RemoveDeviceAt(devices_, static_cast<std::size_t>(position));
    app::SaveDeviceList(app::TheApp().Settings(), devices_);
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
    app::DeviceRecord& device = *devices_[static_cast<std::size_t>(position)];
    // A device that answered before is not asked again.
    if (device.online == 0) {
        ExchangeScope exchange(*this);
        device.tested = 1;
        device.online = CheckDevice(static_cast<std::size_t>(position)) ? 1 : 0;
        RefreshDeviceList(position);
        if (device.online == 0) {
            LocalizedMessageBox(app::string_ids::kNotResponding, MessageStyle::Error);
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
        netconfig::WriteSwitcherAddress(localAddress_, device.address, device.switcherAddress);
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
    wizard.queryCode = netconfig::kWizardQueryCode;
    for (const auto& device : devices_) {
        wizard.knownAddresses.push_back(device->address);
        if (!device->mac.empty()) wizard.knownMacs.push_back(device->mac);
    }
    wizard.exec();
    if (wizard.deviceAdded == 0) return;

    auto device = std::make_unique<app::DeviceRecord>();
    device->address = wizard.helloRecord.Ip();
    // Six zero bytes (an address typed by hand) format as the empty text.
    device->mac = netconfig::FormatMacAddress(wizard.helloRecord.Mac());
    app::AppendDevice(devices_, std::move(device));
    app::SaveDeviceList(app::TheApp().Settings(), devices_);
    RefreshDeviceList(static_cast<int>(devices_.size()) - 1);
    OnCheck();
}

void CControlPanelDlg::OnPassport() {
    if (ExchangeScope::Active()) return;
    const int position = SelectedPosition();
    if (position < 0 || static_cast<std::size_t>(position) >= devices_.size()) return;
    const std::uint32_t address = devices_[static_cast<std::size_t>(position)]->address;
    netconfig::PassportBuffer passport{};
    {
        ExchangeScope exchange(*this);
        if (!netconfig::ReadModulePassport(localAddress_, address, passport)) {
            LocalizedMessageBox(app::string_ids::kNotResponding, MessageStyle::Error);
            return;
        }
    }
    // The exchange is over: the operator chooses the file under the normal cursor.
    if (!SavePassportFile(this, address, passport,
                          app::LoadLocalizedString(app::string_ids::kPassportFileFilter)))
        LocalizedMessageBox(app::string_ids::kFileSaveFailed, MessageStyle::Error);
}

void CControlPanelDlg::OnLanguageChanged(int index) {
    const int language = index == 1 ? app::kRussian : app::kEnglish;
    app::SetLanguage(language);
    UsePlatformTexts(language);
    Recaption();
    // The "Online" column shows the answer texts, so the rows follow the language as well.
    RefreshDeviceList(SelectedPosition());
    app::panel_settings::WriteLanguage(app::TheApp().Settings(), language);
}

void CControlPanelDlg::OnAdapterChanged(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= adapterList_.size()) return;
    chosenAdapter_ = index;
    localAddress_ = adapterList_[static_cast<std::size_t>(index)];
    app::panel_settings::WriteLocalAdapter(app::TheApp().Settings(), localAddress_);
}

void CControlPanelDlg::OnListSelectionChanged() { UpdateCommandStates(); }

void CControlPanelDlg::OnListDoubleClicked() {
    if (chosenAdapter_ != -1) OnSetup();
}
