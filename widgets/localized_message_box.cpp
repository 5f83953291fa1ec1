#include "widgets/localized_message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "app/control_panel_app.h"
#include "app/localized_strings.h"

MessageAnswer LocalizedMessageBox(int id, MessageStyle style) {
    return LocalizedMessageBoxText(app::LoadLocalizedString(id), style);
}

MessageAnswer LocalizedMessageBoxText(const std::string& text, MessageStyle style) {
    QWidget* owner = QApplication::activeModalWidget();
    if (owner == nullptr) owner = QApplication::activeWindow();

    QMessageBox box(owner);
    box.setWindowTitle(QString::fromStdString(app::TheApp().ApplicationTitle()));
    box.setText(QString::fromStdString(text));
    switch (style) {
        case MessageStyle::Error:
            box.setIcon(QMessageBox::Critical);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageStyle::Warning:
            box.setIcon(QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageStyle::Question:
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::No);
            break;
    }

    // A box shown while an exchange holds the wait cursor takes input, so it shows the arrow.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int pressed = box.exec();
    if (waiting) QApplication::restoreOverrideCursor();

    switch (pressed) {
        case QMessageBox::Yes: return MessageAnswer::Yes;
        case QMessageBox::No: return MessageAnswer::No;
        default: return style == MessageStyle::Question ? MessageAnswer::No : MessageAnswer::Ok;
    }
}
