#include "wizard/tibbo_add_wizard.h"

#include <algorithm>

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

#include "netconfig/address_text.h"
#include "wizard/page_tibbo_add_configure.h"
#include "wizard/page_tibbo_add_direct.h"
#include "wizard/page_tibbo_add_finish.h"
#include "wizard/page_tibbo_add_list.h"

using namespace add_wizard;

namespace {

constexpr std::array<QWizard::WizardButton, 4> kSheetButtons = {
    QWizard::BackButton, QWizard::NextButton, QWizard::FinishButton, QWizard::CancelButton};

bool IsEnterOrEscape(const QEvent& event) {
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::ShortcutOverride) return false;
    const int key = static_cast<const QKeyEvent&>(event).key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

}  // namespace

bool IsValidDeviceAddress(std::uint32_t address) {
    const auto first = static_cast<std::uint8_t>(address);
    const auto last = static_cast<std::uint8_t>(address >> 24);
    return first != 0 && first != 127 && first < 224 && last != 0 && last != 255;
}

CTibboAddWizard::CTibboAddWizard(QWidget* parent, ModuleSource source)
    : QWizard(parent),
      source_(std::move(source)),
      listPage_(new CPageTibboAddList(*this)),
      directPage_(new CPageTibboAddDirect(*this)),
      configurePage_(new CPageTibboAddConfigure(*this)),
      finishPage_(new CPageTibboAddFinish) {
    setWizardStyle(QWizard::ClassicStyle);
    setOptions(QWizard::NoBackButtonOnLastPage | QWizard::NoDefaultButton);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setPage(kListPage, listPage_);
    setPage(kDirectPage, directPage_);
    setPage(kConfigurePage, configurePage_);
    setPage(kFinishPage, finishPage_);
    setStartId(kListPage);
    setWindowTitle(LocalizedText(kCaptionId));
    for (const WizardButton which : kSheetButtons) {
        if (auto* pushButton = qobject_cast<QPushButton*>(button(which)))
            pushButton->setAutoDefault(false);
        button(which)->installEventFilter(this);
    }
    connect(this, &QWizard::currentIdChanged, this, &CTibboAddWizard::OnPageChanged);
}

CTibboAddWizard::~CTibboAddWizard() = default;

int CTibboAddWizard::nextId() const {
    switch (currentId()) {
        case kListPage: return listPage_->NotListed() ? kDirectPage : kConfigurePage;
        case kDirectPage:
        case kConfigurePage: return kFinishPage;
        default: return -1;
    }
}

bool CTibboAddWizard::IsKnownAddress(std::uint32_t address) const {
    return std::find(knownAddresses.begin(), knownAddresses.end(), address) != knownAddresses.end();
}

bool CTibboAddWizard::IsKnownMac(const netconfig::MacAddress& mac) const {
    const std::string text = netconfig::FormatMacAddress(mac);
    return std::find(knownMacs.begin(), knownMacs.end(), text) != knownMacs.end();
}

void CTibboAddWizard::OnPageChanged(int id) {
    // The device is in the list now: there is nothing left to cancel.
    button(CancelButton)->setEnabled(id != kFinishPage);
}

void CTibboAddWizard::showEvent(QShowEvent* event) {
    // The caption follows the language the wizard opens in.
    setWindowTitle(LocalizedText(kCaptionId));
    // The pages have the template's fixed size; the sheet is as large as they need and no
    // larger, as a property sheet is.
    setFixedSize(sizeHint());
    QWizard::showEvent(event);
}

void CTibboAddWizard::keyPressEvent(QKeyEvent* event) {
    // Enter and Escape belong to the focused control; they never press Next, Finish or Cancel.
    if (IsEnterOrEscape(*event)) {
        event->accept();
        return;
    }
    QWizard::keyPressEvent(event);
}

bool CTibboAddWizard::eventFilter(QObject* watched, QEvent* event) {
    // A focused push button would click on Enter: the sheet's buttons ignore it.
    if (event->type() == QEvent::KeyPress && IsEnterOrEscape(*event)) {
        for (const WizardButton which : kSheetButtons)
            if (watched == button(which)) {
                event->accept();
                return true;
            }
    }
    return QWizard::eventFilter(watched, event);
}

void CTibboAddWizard::closeEvent(QCloseEvent* event) {
    // The close box, the window menu's Close and Alt+F4 do not end the run.
    event->ignore();
}
