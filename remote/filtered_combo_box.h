#pragma once
// An editable combo box whose edit field takes only characters from a given set. A typed change
// that fails is undone (the last good text comes back, caret at its end) and nobody is told; an
// accepted change, and every choice of a list item, is reported through textAccepted with the
// control's id.
#include <QComboBox>
#include <QString>

class CFilteredComboBox : public QComboBox {
    Q_OBJECT

public:
    CFilteredComboBox(int controlId, const QString& allowed, QWidget* parent = nullptr);

    int ControlId() const { return controlId_; }
    const QString& LastGoodText() const { return lastGood_; }

signals:
    void textAccepted(int controlId, const QString& text);

protected:
    void focusInEvent(QFocusEvent* event) override;

private:
    void EditChanged(const QString& text);
    void ItemChosen(int index);

    int controlId_;
    QString allowed_;
    QString lastGood_;
};
