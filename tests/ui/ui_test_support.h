#pragma once
// What the window tests share: a settings file of their own, an operator who answers the modal
// message boxes, adapter lists for the window, and the window's rows as drawn.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QMessageBox>
#include <QStringList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <QTimer>

#include "ui/control_panel_dlg.h"

namespace uitest {

// Every exchange a window test makes goes from this address to modules on 127.0.0.x.
std::uint32_t Loopback(int lastByte);
CControlPanelDlg::AdapterSource AdapterList(std::vector<std::uint32_t> adapters);
CControlPanelDlg::AdapterSource NoAdapter();

// The settings integer for an address, as the file stores it.
QString SettingsInt(std::uint32_t address);

// A settings file in a fresh folder, made the application's settings path.
class TempSettings {
public:
    explicit TempSettings(const QString& text = {});
    QString Path() const;
    QString Text() const;
    void Write(const QString& text) const;

private:
    QTemporaryDir dir_;
};

// The value of `key` in `section` of a settings text, read by hand so that a value written into
// the wrong section is not found; a null string when the section holds no such key.
QString SectionValue(const QString& text, const QString& section, const QString& key);

// "[List]" text for devices at the given addresses.
QString DeviceListText(const std::vector<std::uint32_t>& addresses);

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::StandardButtons buttons;
    QStringList buttonTexts;  // OK, Yes, No, those the box has, in this order
};

// Answers every modal message box that opens while it lives: it notes what the box showed,
// then presses `answer` (or, with Qt::Key_Return as answer, the Enter key). A box still open
// after the bound is rejected, so a failing test never hangs.
class ModalOperator : public QObject {
public:
    enum class Action { PressButton, PressEnter };
    explicit ModalOperator(QMessageBox::StandardButton answer = QMessageBox::Ok,
                           Action action = Action::PressButton, int boundMs = 15000);
    ~ModalOperator() override;

    const std::vector<SeenBox>& Seen() const { return seen_; }

private:
    void Look();

    QMessageBox::StandardButton answer_;
    Action action_;
    int boundMs_;
    int waitedMs_ = 0;
    QTimer timer_;
    QPointer<QMessageBox> current_;
    std::vector<SeenBox> seen_;
};

// A main window on its own settings, shown and exposed.
std::unique_ptr<CControlPanelDlg> OpenWindow(CControlPanelDlg::AdapterSource adapters);

// Row texts of the device list, as on screen.
QStringList RowTexts(const CControlPanelDlg& window, int row);
// The status image of a row as drawn: the colour at its centre, and whether its corner (the
// magenta background) is transparent.
enum class Diamond { None, Green, Grey, Red, Other };
Diamond RowDiamond(const CControlPanelDlg& window, int row);
bool RowImageCornerTransparent(const CControlPanelDlg& window, int row);

void SelectRow(CControlPanelDlg& window, int row);
void ClickButton(CControlPanelDlg& window, int id);

}  // namespace uitest
