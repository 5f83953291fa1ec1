#pragma once
// An edit field that takes only characters from a given set. Control characters (backspace,
// tab, Ctrl combinations) keep their usual meaning; any other typed character outside the set is
// dropped silently. A paste inserts the clipboard's text only when all of it passes, and an
// empty clipboard deletes the selection.
#include <QLineEdit>
#include <QString>

class CFilteredEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit CFilteredEdit(const QString& allowed, QWidget* parent = nullptr);

    const QString& Allowed() const { return allowed_; }

public slots:
    void Paste();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QString allowed_;
};
