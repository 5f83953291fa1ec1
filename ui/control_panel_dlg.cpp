// The main window: its controls, how it opens, the list and the availability rules.
#include "ui/control_panel_dlg.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "app/control_panel_app.h"
#include "app/localized_strings.h"
#include "app/panel_settings.h"
#include "netconfig/address_text.h"
#include "netconfig/local_adapters.h"
#include "widgets/exchange_scope.h"
#include "widgets/localized_message_box.h"
#include "widgets/platform_texts.h"
#include "ui/device_columns.h"
#include "ui/device_list_view.h"
#include "ui/main_dialog_template.h"
#include "ui/status_images.h"

using namespace main_dialog;

namespace {

QString Localized(int id) { return QString::fromStdString(app::LoadLocalizedString(id)); }

}  // namespace

CControlPanelDlg::CControlPanelDlg(AdapterSource adapterSource, QWidget* parent)
    : QDialog(parent), adapterSource_(std::move(adapterSource)) {
    if (!adapterSource_) adapterSource_ = &netconfig::GetLocalAdapters;
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    CreateControls();
    ChooseLanguage();
    SetUpList();
    Recaption();
    setWindowTitle(QString::fromLatin1(kWindowTitle));
    setWindowIcon(LoadWindowIcon());
    RestorePlacement();
    app::LoadDeviceList(app::TheApp().Settings(), devices_);
    RefreshDeviceList(-1);
    Control(kSetupButton)->show();
    Control(kIpOutputButton)->hide();
    ChooseAdapter();
    UpdateCommandStates();
    WireSignals();
}

CControlPanelDlg::~CControlPanelDlg() {
    app::FreeDeviceList(devices_);
    SavePlacement();
}

void CControlPanelDlg::CreateControls() {
    setFont(DialogFont());
    baseUnits_ = BaseUnitsFor(font());

    QWidget* previous = nullptr;
    for (const ControlTemplate& control : kControls) {
        QWidget* widget = nullptr;
        switch (control.kind) {
            case ControlKind::List: widget = list_ = new DeviceListView(this); break;
            case ControlKind::DropDown: {
                auto* box = new QComboBox(this);
                if (control.id == kLanguageBox) {
                    // Fixed in this order, in both languages.
                    box->addItem(QStringLiteral("English"));
                    box->addItem(QStringLiteral("Russian"));
                    languageBox_ = box;
                } else {
                    adapterBox_ = box;
                }
                widget = box;
                break;
            }
            case ControlKind::Button: {
                auto* button = new QPushButton(this);
                // Enter never presses a button of this window.
                button->setAutoDefault(false);
                widget = button;
                break;
            }
        }
        QRect rect =
            DialogRectToPixels(baseUnits_, control.x, control.y, control.width, control.height);
        if (control.kind == ControlKind::DropDown) rect.setHeight(widget->sizeHint().height());
        widget->setGeometry(rect);
        widget->setObjectName(QStringLiteral("control%1").arg(control.id));
        controls_[control.id] = widget;
        if (previous != nullptr) setTabOrder(previous, widget);
        previous = widget;
    }
    Control(kSetupButton)->hide();
    Control(kRemoteButton)->hide();

    const QSize client = DialogSizeToPixels(baseUnits_, kClientWidth, kClientHeight);
    resize(client);
    // The controls stand where the template puts them for this size; any later size, the
    // minimum's included, moves them from here.
    previousClientSize_ = client;
    ApplyMinimumSize();
}

void CControlPanelDlg::ChooseLanguage() {
    const int language =
        app::panel_settings::ReadLanguage(app::TheApp().Settings(), app::DefaultLanguage());
    app::SetLanguage(language);
    UsePlatformTexts(language);
    languageBox_->setCurrentIndex(language != 0 ? 1 : 0);
}

void CControlPanelDlg::SetUpList() {
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->setSortingEnabled(false);
    list_->setIconSize(QSize(kStatusImageSize, kStatusImageSize));
    list_->header()->setSectionsClickable(false);
    list_->header()->setSectionsMovable(false);
    list_->header()->setStretchLastSection(false);
    statusImages_ = LoadStatusImages();

    list_->setColumnCount(static_cast<int>(kDeviceColumns.size()));
    for (int column = 0; column < static_cast<int>(kDeviceColumns.size()); ++column) {
        list_->headerItem()->setText(column, QString());
        // Scaled with the dialog font, so a MAC address fits its column as it did in the design.
        const int width = kDeviceColumns[static_cast<std::size_t>(column)].width;
        list_->setColumnWidth(
            column, (width * baseUnits_.x + kTemplateFontCharWidth / 2) / kTemplateFontCharWidth);
    }
}

void CControlPanelDlg::Recaption() {
    for (int id : kCaptionedButtons) static_cast<QPushButton*>(Control(id))->setText(Localized(id));
    for (int column = 0; column < static_cast<int>(kDeviceColumns.size()); ++column)
        list_->headerItem()->setText(
            column, Localized(kDeviceColumns[static_cast<std::size_t>(column)].headerId));
    answerYes_ = app::LoadLocalizedString(app::string_ids::kAnswerYes);
    answerNo_ = app::LoadLocalizedString(app::string_ids::kAnswerNo);
}

void CControlPanelDlg::ChooseAdapter() {
    adapterList_.clear();
    adapterSource_(adapterList_);
    localAddress_ = app::panel_settings::ReadLocalAdapter(app::TheApp().Settings());
    adapterBox_->clear();
    if (adapterList_.empty()) {
        LocalizedMessageBox(app::string_ids::kNoAdapter, MessageStyle::Error);
        return;
    }
    for (std::size_t index = 0; index < adapterList_.size(); ++index) {
        adapterBox_->addItem(
            QString::fromStdString(netconfig::FormatIpAddress(adapterList_[index])));
        if (chosenAdapter_ == -1 && adapterList_[index] == localAddress_)
            chosenAdapter_ = static_cast<int>(index);
    }
    if (chosenAdapter_ == -1) {
        chosenAdapter_ = 0;
        localAddress_ = adapterList_[0];
        app::panel_settings::WriteLocalAdapter(app::TheApp().Settings(), localAddress_);
    }
    adapterBox_->setCurrentIndex(chosenAdapter_);
}

void CControlPanelDlg::WireSignals() {
    auto button = [this](int id) { return static_cast<QPushButton*>(Control(id)); };
    connect(button(kCheckButton), &QPushButton::clicked, this, &CControlPanelDlg::OnCheck);
    connect(button(kCheckAllButton), &QPushButton::clicked, this, &CControlPanelDlg::OnCheckAll);
    connect(button(kRemoveButton), &QPushButton::clicked, this, &CControlPanelDlg::OnRemove);
    connect(button(kCloseButton), &QPushButton::clicked, this, &CControlPanelDlg::OnClose);
    connect(button(kSetupButton), &QPushButton::clicked, this, &CControlPanelDlg::OnSetup);
    connect(button(kAddButton), &QPushButton::clicked, this, &CControlPanelDlg::OnAdd);
    connect(button(kPassportButton), &QPushButton::clicked, this, &CControlPanelDlg::OnPassport);
    // activated, not currentIndexChanged: only the operator's choice is a command.
    connect(languageBox_, &QComboBox::activated, this, &CControlPanelDlg::OnLanguageChanged);
    connect(adapterBox_, &QComboBox::activated, this, &CControlPanelDlg::OnAdapterChanged);
    connect(list_, &QTreeWidget::itemSelectionChanged, this,
            &CControlPanelDlg::OnListSelectionChanged);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &CControlPanelDlg::OnListDoubleClicked);

    // Keys are looked at before the focused control handles them. Not on the window itself: a
    // key the control ignores travels on to the window and must not run its command twice.
    for (const auto& [id, widget] : controls_) widget->installEventFilter(this);
}

QWidget* CControlPanelDlg::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

int CControlPanelDlg::SelectedPosition() const {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CControlPanelDlg::FillRow(QTreeWidgetItem& row, std::size_t position) const {
    const app::DeviceRecord& device = *devices_[position];
    const DeviceRow facts{device, position, answerYes_, answerNo_};
    for (std::size_t column = 0; column < kDeviceColumns.size(); ++column)
        row.setText(static_cast<int>(column),
                    QString::fromStdString(kDeviceColumns[column].text(facts)));
    const int image = device.tested == 0   ? kStatusNotAsked
                      : device.online != 0 ? kStatusAnswered
                                           : kStatusNotAnswered;
    row.setIcon(0, statusImages_[static_cast<std::size_t>(image)]);
}

void CControlPanelDlg::RefreshDeviceList(int selectIndex) {
    list_->setUpdatesEnabled(false);
    {
        // The rebuild's own selection changes are no notifications; the states follow below.
        const QSignalBlocker quiet(list_);
        list_->clear();
        QList<QTreeWidgetItem*> rows;
        rows.reserve(static_cast<qsizetype>(devices_.size()));
        for (std::size_t position = 0; position < devices_.size(); ++position) {
            auto* row = new QTreeWidgetItem;
            FillRow(*row, position);
            rows.append(row);
        }
        list_->addTopLevelItems(rows);
        if (selectIndex >= 0 && static_cast<std::size_t>(selectIndex) < devices_.size()) {
            QTreeWidgetItem* row = list_->topLevelItem(selectIndex);
            list_->setCurrentItem(row, 0,
                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            list_->scrollToItem(row);
        }
    }
    UpdateCommandStates();
    list_->setUpdatesEnabled(true);
}

void CControlPanelDlg::UpdateCommandStates() {
    const bool adapter = chosenAdapter_ != -1;
    const bool selection = SelectedPosition() != -1;
    const std::size_t count = devices_.size();
    adapterBox_->setEnabled(adapter);
    Control(kCheckButton)->setEnabled(adapter && selection);
    Control(kCheckAllButton)->setEnabled(adapter && count >= 1);
    Control(kSetupButton)->setEnabled(adapter && selection);
    Control(kAddButton)->setEnabled(adapter && count < app::kMaxAddedDevices);
    Control(kRemoveButton)->setEnabled(selection);
    Control(kPassportButton)->setEnabled(adapter && selection);
}

bool CControlPanelDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && !ExchangeScope::Active())
        return PreTranslateKey(*static_cast<QKeyEvent*>(event));
    return QDialog::eventFilter(watched, event);
}

bool CControlPanelDlg::PreTranslateKey(const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape: return true;
        case Qt::Key_Insert:
            if (Control(kAddButton)->isEnabled()) OnAdd();
            return false;
        case Qt::Key_Delete: OnRemove(); return false;
        default: return false;
    }
}

void CControlPanelDlg::keyPressEvent(QKeyEvent* event) {
    // Neither Enter nor Escape ends this window.
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape: event->accept(); return;
        default: QDialog::keyPressEvent(event);
    }
}

void CControlPanelDlg::closeEvent(QCloseEvent* event) {
    // The close box ends the window as Close does, but not while an exchange runs: pressed then,
    // it is ignored, and the window stays open with the command's result.
    if (ExchangeScope::Active()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
