#include "wizard/page_tibbo_add_list.h"

#include <algorithm>

#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "netconfig/address_text.h"
#include "widgets/exchange_scope.h"
#include "widgets/localized_message_box.h"
#include "wizard/tibbo_add_wizard.h"

using namespace add_wizard;

void FilterAndSortModules(std::vector<netconfig::ModuleHelloRecord>& records,
                          const CTibboAddWizard& sheet) {
    std::erase_if(records, [&](const netconfig::ModuleHelloRecord& record) {
        return sheet.IsKnownMac(record.Mac());
    });
    // Stable, so two modules that report one MAC stay in order of arrival.
    std::stable_sort(records.begin(), records.end(),
                     [](const netconfig::ModuleHelloRecord& a,
                        const netconfig::ModuleHelloRecord& b) { return a.Mac() < b.Mac(); });
}

CPageTibboAddList::CPageTibboAddList(CTibboAddWizard& sheet)
    : sheet_(sheet),
      controls_(BuildPageControls(*this, kListControls)),
      list_(static_cast<QTreeWidget*>(controls_.at(kModuleList))),
      refresh_(static_cast<QPushButton*>(controls_.at(kRefreshButton))),
      notListedBox_(static_cast<QCheckBox*>(controls_.at(kNotListedBox))),
      timer_(new QTimer(this)) {
    RecaptionControls(controls_);
    timer_->setSingleShot(true);
    timer_->setInterval(kFirstSearchDelayMs);
    connect(timer_, &QTimer::timeout, this, &CPageTibboAddList::OnFirstSearch);
    connect(refresh_, &QPushButton::clicked, this, &CPageTibboAddList::RefreshList);
    // toggled, not clicked: assistive technology ticks the box without a click.
    connect(notListedBox_, &QCheckBox::toggled, this, &CPageTibboAddList::OnNotListedToggled);
    connect(list_, &QTreeWidget::itemSelectionChanged, this,
            &CPageTibboAddList::OnSelectionChanged);
    list_->installEventFilter(this);
}

QWidget* CPageTibboAddList::Control(int id) const { return FindControl(controls_, id); }

void CPageTibboAddList::initializePage() {
    if (!refreshed_) timer_->start();
    notListedBox_->setChecked(notListed_);
    UpdateListControls();
}

void CPageTibboAddList::OnFirstSearch() {
    if (refreshed_) return;
    refreshed_ = true;
    RefreshList();
}

void CPageTibboAddList::RefreshList() {
    // One search at a time: a click that reached the page while one runs starts nothing.
    if (ExchangeScope::Active()) return;
    bool ok = true;
    {
        ExchangeScope exchange(*window());
        ok = sheet_.Source().listModules(sheet_.localAdapter, sheet_.queryCode, records_);
        FilterAndSortModules(records_, sheet_);
        FillRows();
        selected_ = -1;
        UpdateListControls();
    }
    if (!ok) LocalizedMessageBox(kAdapterFailedMessageId, MessageStyle::Error);
}

void CPageTibboAddList::FillRows() {
    const QSignalBlocker quiet(list_);
    list_->setUpdatesEnabled(false);
    list_->clear();
    for (const netconfig::ModuleHelloRecord& record : records_) {
        auto* row = new QTreeWidgetItem(list_);
        row->setText(0, QString::fromStdString(netconfig::FormatMacAddress(record.Mac())));
        row->setText(1, QString::fromStdString(netconfig::FormatIpAddress(record.Ip())));
    }
    list_->setUpdatesEnabled(true);
}

void CPageTibboAddList::OnNotListedToggled(bool checked) {
    notListed_ = checked;
    if (checked && selected_ >= 0) {
        list_->clearSelection();
        list_->setCurrentItem(nullptr, 0, QItemSelectionModel::NoUpdate);
    }
    UpdateListControls();
}

void CPageTibboAddList::OnSelectionChanged() {
    const QList<QTreeWidgetItem*> chosen = list_->selectedItems();
    selected_ = chosen.isEmpty() ? -1 : list_->indexOfTopLevelItem(chosen.front());
    UpdateListControls();
}

void CPageTibboAddList::UpdateListControls() {
    list_->setEnabled(!notListed_);
    refresh_->setEnabled(!notListed_);
    emit completeChanged();
}

bool CPageTibboAddList::isComplete() const { return notListed_ || selected_ >= 0; }

bool CPageTibboAddList::validatePage() {
    if (notListed_) return true;
    if (selected_ < 0 || static_cast<std::size_t>(selected_) >= records_.size()) return false;
    sheet_.helloRecord = records_[static_cast<std::size_t>(selected_)];
    return true;
}

bool CPageTibboAddList::eventFilter(QObject* watched, QEvent* event) {
    // A familiar list selects the focused first row on the first arrow key; Qt's would move on
    // to the second one, as it makes row 0 current without selecting it on focus.
    if (watched == list_ && event->type() == QEvent::KeyPress && selected_ < 0 &&
        list_->topLevelItemCount() > 0) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_Space) {
            QTreeWidgetItem* row = list_->currentItem();
            list_->setCurrentItem(row != nullptr ? row : list_->topLevelItem(0));
            list_->currentItem()->setSelected(true);
            return true;
        }
    }
    return QWizardPage::eventFilter(watched, event);
}
