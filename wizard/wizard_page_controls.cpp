#include "wizard/wizard_page_controls.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "app/localized_strings.h"
#include "widgets/dialog_units.h"
#include "widgets/ip_address_edit.h"

using namespace add_wizard;

QString LocalizedText(int id) { return QString::fromStdString(app::LoadLocalizedString(id)); }

void FocusForTyping(QWidget& field) {
    QMetaObject::invokeMethod(
        &field, [&field] { field.setFocus(Qt::TabFocusReason); }, Qt::QueuedConnection);
}

QWidget* FindControl(const PageControls& controls, int id) {
    const auto found = controls.find(id);
    return found == controls.end() ? nullptr : found->second;
}

namespace {

QWidget* MakeControl(QWidget& page, ControlKind kind) {
    switch (kind) {
        case ControlKind::Text: {
            auto* text = new QLabel(&page);
            text->setWordWrap(true);
            text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return text;
        }
        case ControlKind::Label: return new QLabel(&page);
        case ControlKind::Button: {
            auto* button = new QPushButton(&page);
            button->setAutoDefault(false);
            return button;
        }
        case ControlKind::CheckBox: return new QCheckBox(&page);
        case ControlKind::ModuleList: {
            auto* list = new QTreeWidget(&page);
            list->setRootIsDecorated(false);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setSelectionBehavior(QAbstractItemView::SelectRows);
            list->setUniformRowHeights(true);
            list->setSortingEnabled(false);
            list->header()->setSectionsClickable(false);
            list->header()->setStretchLastSection(false);
            list->setColumnCount(2);
            list->setHeaderLabels({QString::fromStdString(app::LoadTableString(kMacHeadingId)),
                                   QString::fromStdString(app::LoadTableString(kIpHeadingId))});
            for (int column = 0; column < 2; ++column) {
                list->setColumnWidth(column, kColumnWidth);
                list->headerItem()->setTextAlignment(column, Qt::AlignLeft | Qt::AlignVCenter);
            }
            return list;
        }
        case ControlKind::AddressField: return new CIpAddressEdit(&page);
    }
    return nullptr;
}

}  // namespace

PageControls BuildPageControls(QWidget& page, std::span<const ControlTemplate> controls) {
    page.setFont(DialogFont());
    const DialogBaseUnits units = BaseUnitsFor(page.font());
    page.setFixedSize(DialogSizeToPixels(units, kPageWidth, kPageHeight));
    PageControls built;
    QLabel* pendingLabel = nullptr;
    for (const ControlTemplate& control : controls) {
        QWidget* widget = MakeControl(page, control.kind);
        widget->setGeometry(
            DialogRectToPixels(units, control.x, control.y, control.width, control.height));
        built[control.id] = widget;
        if (control.kind == ControlKind::Label) pendingLabel = static_cast<QLabel*>(widget);
        if (control.kind == ControlKind::AddressField && pendingLabel != nullptr) {
            pendingLabel->setBuddy(widget);
            pendingLabel = nullptr;
        }
    }
    return built;
}

void RecaptionControls(const PageControls& controls) {
    for (const auto& [id, widget] : controls) {
        const QString text = LocalizedText(id);
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->setText(text);
            if (auto* field = qobject_cast<CIpAddressEdit*>(label->buddy()))
                field->SetFieldNames(text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setText(text);
        }
    }
}
