#include "remote/filtered_combo_box.h"

#include <QLineEdit>

#include "remote/input_filter.h"

CFilteredComboBox::CFilteredComboBox(int controlId, const QString& allowed, QWidget* parent)
    : QComboBox(parent), controlId_(controlId), allowed_(allowed) {
    setEditable(true);
    // The list is the dialog's to fill; Enter must not add what was typed to it.
    setInsertPolicy(QComboBox::NoInsert);
    connect(lineEdit(), &QLineEdit::textEdited, this, &CFilteredComboBox::EditChanged);
    connect(this, &QComboBox::activated, this, &CFilteredComboBox::ItemChosen);
}

void CFilteredComboBox::focusInEvent(QFocusEvent* event) {
    QComboBox::focusInEvent(event);
    lastGood_ = currentText();
}

void CFilteredComboBox::EditChanged(const QString& text) {
    if (PassesFilter(text, allowed_)) {
        lastGood_ = text;
        emit textAccepted(controlId_, lastGood_);
        return;
    }
    lineEdit()->setText(lastGood_);
    lineEdit()->setCursorPosition(static_cast<int>(lastGood_.size()));
}

void CFilteredComboBox::ItemChosen(int index) {
    // List items are the dialog's own and are not filtered.
    if (index >= 0) lastGood_ = itemText(index);
    emit textAccepted(controlId_, lastGood_);
}
