#include "remote/filtered_edit.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

#include "remote/input_filter.h"

CFilteredEdit::CFilteredEdit(const QString& allowed, QWidget* parent)
    : QLineEdit(parent), allowed_(allowed) {
    // Dropped text would bypass the filter.
    setAcceptDrops(false);
}

void CFilteredEdit::Paste() {
    if (isReadOnly()) return;
    const QString text = QGuiApplication::clipboard()->text();
    if (!PassesFilter(text, allowed_)) return;
    // insert() replaces the selection, so an empty clipboard deletes it.
    insert(text);
}

void CFilteredEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        Paste();
        event->accept();
        return;
    }
    const QString text = event->text();
    const bool control = !text.isEmpty() && text.front().unicode() < 32;
    if (!text.isEmpty() && !control && !PassesFilter(text, allowed_)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CFilteredEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste")) {
            action->disconnect();
            connect(action, &QAction::triggered, this, &CFilteredEdit::Paste);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// The X11 selection paste of the middle button would bypass the filter.
void CFilteredEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}
