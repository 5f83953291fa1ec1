#include "ui/device_list_view.h"

#include <QKeyEvent>

DeviceListView::DeviceListView(QWidget* parent) : QTreeWidget(parent) {}

int DeviceListView::RowForKey(const QKeyEvent& key) const {
    const int rows = topLevelItemCount();
    // With a modifier the key means something else (Ctrl+Space toggles, Shift extends).
    if (rows == 0 || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return -1;
    const bool nothingSelected = selectionModel()->selectedRows().isEmpty();
    switch (key.key()) {
        case Qt::Key_Down:
        case Qt::Key_Up:
        case Qt::Key_Home:
        case Qt::Key_PageDown:
        case Qt::Key_PageUp: return nothingSelected ? 0 : -1;
        case Qt::Key_End: return nothingSelected ? rows - 1 : -1;
        case Qt::Key_Space: return currentIndex().isValid() ? currentIndex().row() : -1;
        default: return -1;
    }
}

void DeviceListView::keyPressEvent(QKeyEvent* event) {
    const int row = RowForKey(*event);
    if (row < 0) {
        QTreeWidget::keyPressEvent(event);
        return;
    }
    QTreeWidgetItem* item = topLevelItem(row);
    setCurrentItem(item, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollToItem(item);
    event->accept();
}
