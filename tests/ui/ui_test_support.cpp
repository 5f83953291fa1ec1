#include "tests/ui/ui_test_support.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "app/control_panel_app.h"
#include "ui/main_dialog_template.h"

namespace uitest {

std::uint32_t Loopback(int lastByte) {
    // Network byte order: the first number of the dotted form in the lowest byte.
    return 127u | (static_cast<std::uint32_t>(lastByte) << 24);
}

CControlPanelDlg::AdapterSource AdapterList(std::vector<std::uint32_t> adapters) {
    return [adapters](std::vector<std::uint32_t>& list) {
        list = adapters;
        return !list.empty();
    };
}

CControlPanelDlg::AdapterSource NoAdapter() { return AdapterList({}); }

QString SettingsInt(std::uint32_t address) {
    return QString::number(static_cast<std::int32_t>(address));
}

TempSettings::TempSettings(const QString& text) {
    app::TheApp().SetSettingsPath(Path().toStdString());
    if (!text.isEmpty()) Write(text);
}

QString TempSettings::Path() const { return dir_.filePath(QStringLiteral("vantrel-panel.ini")); }

QString TempSettings::Text() const {
    QFile file(Path());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll());
}

void TempSettings::Write(const QString& text) const {
    QFile file(Path());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(text.toUtf8());
}

QString SectionValue(const QString& text, const QString& section, const QString& key) {
    bool inSection = false;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inSection =
                line.mid(1, line.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        const auto equals = line.indexOf(QLatin1Char('='));
        if (inSection && equals > 0 &&
            line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return line.mid(equals + 1).trimmed();
    }
    return {};
}

QString DeviceListText(const std::vector<std::uint32_t>& addresses) {
    QString text = QStringLiteral("[List]\nTotal=%1\n").arg(addresses.size());
    for (std::size_t n = 0; n < addresses.size(); ++n)
        text += QStringLiteral("IP%1=%2\nMAC%1=02:00:00:00:00:%3\n")
                    .arg(n)
                    .arg(SettingsInt(addresses[n]))
                    .arg(n % 256, 2, 16, QLatin1Char('0'));
    return text;
}

ModalOperator::ModalOperator(QMessageBox::StandardButton answer, Action action, int boundMs)
    : answer_(answer), action_(action), boundMs_(boundMs) {
    timer_.setInterval(20);
    connect(&timer_, &QTimer::timeout, this, &ModalOperator::Look);
    timer_.start();
}

ModalOperator::~ModalOperator() { timer_.stop(); }

void ModalOperator::Look() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    if (box == current_.data()) {
        // Still open after it was answered: give up on it once the bound has passed.
        waitedMs_ += timer_.interval();
        if (waitedMs_ > boundMs_) box->reject();
        return;
    }
    current_ = box;
    waitedMs_ = 0;
    SeenBox seen;
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttons = box->standardButtons();
    for (QMessageBox::StandardButton button : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No})
        if (box->button(button) != nullptr) seen.buttonTexts << box->button(button)->text();
    if (box->defaultButton() != nullptr)
        seen.defaultButton = box->standardButton(box->defaultButton());
    seen_.push_back(seen);
    if (action_ == Action::PressEnter) {
        QTest::keyClick(box, Qt::Key_Return);
    } else if (QAbstractButton* button = box->button(answer_)) {
        button->click();
    } else {
        box->reject();
    }
}

std::unique_ptr<CControlPanelDlg> OpenWindow(CControlPanelDlg::AdapterSource adapters) {
    auto window = std::make_unique<CControlPanelDlg>(std::move(adapters));
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get())) return nullptr;
    return window;
}

namespace {
QTreeWidget* List(const CControlPanelDlg& window) {
    return static_cast<QTreeWidget*>(window.Control(main_dialog::kDeviceList));
}
}  // namespace

QStringList RowTexts(const CControlPanelDlg& window, int row) {
    QStringList texts;
    QTreeWidgetItem* item = List(window)->topLevelItem(row);
    if (item == nullptr) return texts;
    for (int column = 0; column < item->columnCount(); ++column) texts << item->text(column);
    return texts;
}

Diamond RowDiamond(const CControlPanelDlg& window, int row) {
    QTreeWidgetItem* item = List(window)->topLevelItem(row);
    if (item == nullptr || item->icon(0).isNull()) return Diamond::None;
    const QColor centre = item->icon(0).pixmap(16, 16).toImage().pixelColor(8, 8);
    if (centre == QColor(0, 255, 0)) return Diamond::Green;
    if (centre == QColor(192, 192, 192)) return Diamond::Grey;
    if (centre == QColor(255, 0, 0)) return Diamond::Red;
    return Diamond::Other;
}

bool RowImageCornerTransparent(const CControlPanelDlg& window, int row) {
    QTreeWidgetItem* item = List(window)->topLevelItem(row);
    if (item == nullptr) return false;
    return item->icon(0).pixmap(16, 16).toImage().pixelColor(0, 0).alpha() == 0;
}

void SelectRow(CControlPanelDlg& window, int row) {
    QTreeWidget* list = List(window);
    QTreeWidgetItem* item = list->topLevelItem(row);
    if (item == nullptr) return;
    list->scrollToItem(item);
    // Click the row as the operator does: on its IP column, inside the viewport.
    const QRect cell = list->visualItemRect(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(list->columnWidth(0) + 20, cell.center().y()));
}

void ClickButton(CControlPanelDlg& window, int id) {
    QTest::mouseClick(window.Control(id), Qt::LeftButton);
}

}  // namespace uitest
