#include "ui/switcher_address_dlg.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "app/localized_strings.h"
#include "ui/switcher_address_template.h"
#include "widgets/dialog_units.h"
#include "widgets/ip_address_edit.h"

using namespace switcher_dialog;

namespace {

QString Localized(int id) { return QString::fromStdString(app::LoadLocalizedString(id)); }

}  // namespace

CSwitcherAddressDlg::CSwitcherAddressDlg(QWidget* parent) : QDialog(parent) {
    // A fixed modal frame: caption and close box, nothing to minimize or maximize. Without the
    // customize hint the window manager would add its default buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    CreateControls();
    setWindowTitle(Localized(kTitleId));
}

void CSwitcherAddressDlg::CreateControls() {
    setFont(DialogFont());
    const DialogBaseUnits units = BaseUnitsFor(font());
    setFixedSize(DialogSizeToPixels(units, kClientWidth, kClientHeight));

    for (const ControlTemplate& control : kControls) {
        QWidget* widget = nullptr;
        switch (control.kind) {
            case ControlKind::Label: {
                auto* label = new QLabel(Localized(control.id), this);
                label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                widget = label;
                break;
            }
            case ControlKind::AddressField:
                widget = addressField_ = new CIpAddressEdit(this);
                break;
            case ControlKind::EtchedLine: {
                auto* line = new QFrame(this);
                line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
                widget = line;
                break;
            }
            case ControlKind::DefaultButton:
            case ControlKind::Button: {
                const bool isOk = control.kind == ControlKind::DefaultButton;
                auto* button =
                    new QPushButton(QString::fromLatin1(isOk ? kOkCaption : kCancelCaption), this);
                button->setDefault(isOk);
                connect(button, &QPushButton::clicked, this,
                        isOk ? &QDialog::accept : &QDialog::reject);
                widget = button;
                break;
            }
        }
        widget->setGeometry(
            DialogRectToPixels(units, control.x, control.y, control.width, control.height));
        controls_[control.id] = widget;
    }
    auto* label = static_cast<QLabel*>(Control(kAddressLabel));
    label->setBuddy(addressField_);
    addressField_->SetFieldNames(label->text());
}

QWidget* CSwitcherAddressDlg::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void CSwitcherAddressDlg::showEvent(QShowEvent* event) {
    if (!opened_) {
        opened_ = true;
        // 0 means none: the four fields stay blank.
        if (address != 0) addressField_->SetAddress(IpFieldValueFromAddress(address));
        addressField_->setFocus(Qt::TabFocusReason);
    }
    QDialog::showEvent(event);
}

void CSwitcherAddressDlg::accept() {
    if (addressField_->FilledFieldCount() != CIpAddressEdit::kFieldCount) return;
    address = AddressFromIpFieldValue(addressField_->Address());
    QDialog::accept();
}
