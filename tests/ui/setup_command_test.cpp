// Setup from the main window against vantrel-modsim on loopback: the first check, the switcher
// address dialog typed into as an operator does, and what is sent and shown afterwards.
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "app/localized_strings.h"
#include "netconfig/module_exchange.h"
#include "tests/ui/modal_script.h"
#include "tests/ui/ui_modsim.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_dialog_template.h"
#include "ui/switcher_address_dlg.h"
#include "widgets/ip_address_edit.h"

using namespace uitest;
using namespace main_dialog;

namespace {

// Notes the dialog's fields, types `keys` where the focus is, then presses Enter.
ModalScript::Step TypeInDialog(QStringList& shown, const QString& keys) {
    return [&shown, keys](QWidget& window) {
        auto* dialog = qobject_cast<CSwitcherAddressDlg*>(&window);
        if (dialog == nullptr) {
            window.close();
            return;
        }
        for (int i = 0; i < CIpAddressEdit::kFieldCount; ++i)
            shown << dialog->AddressField()->Field(i)->text();
        for (const QChar c : keys) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // A dialog that refused OK is closed, so the test goes on and fails on what it sees.
        if (dialog->isVisible()) dialog->reject();
    };
}

// The events a real double-click delivers: press, release, double-click, release.
void DoubleClick(QWidget* viewport, QPoint where) {
    QTest::mouseClick(viewport, Qt::LeftButton, {}, where);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, where);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, where);
}

constexpr const char* kModule = "ip=127.0.0.2,switcher=10.1.1.1";

std::uint32_t AskSwitcher(int device) {
    std::uint32_t switcher = 0;
    if (!netconfig::ReadSwitcherAddress(Loopback(1), Loopback(device), switcher)) return 0xFFFFFFFF;
    return switcher;
}

}  // namespace

class SetupCommandTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app::SetLanguage(app::kEnglish); }

    void setupAsksFirstThenSendsTheTypedAddress() {
        OneDeviceWindow device(kModule);
        QVERIFY2(device.Ready(), device.Why());
        auto& [modsim, settings, window] = device;
        QStringList shown;
        ModalScript operatorAnswers({TypeInDialog(shown, QStringLiteral("192.168.1.20"))});
        ClickButton(*window, kSetupButton);
        QCOMPARE(operatorAnswers.Seen(), QStringList{"CSwitcherAddressDlg"});
        // The dialog opened with what the device reported when it was asked first.
        QCOMPARE(shown, (QStringList{"10", "1", "1", "1"}));
        QCOMPARE(RowTexts(*window, 0).mid(3), (QStringList{"Yes", "192.168.1.20"}));
        QCOMPARE(RowDiamond(*window, 0), Diamond::Green);
        QCOMPARE(modsim.Count(kReadSwitcherHex), 2);  // one on each port
        QCOMPARE(AskSwitcher(2), AddressFromIpFieldValue(0xC0A80114));
        QCOMPARE(modsim.Count(kWriteSwitcherHex), 2);
    }

    void setupOnASilentDeviceShowsTheMessageAndNoDialog() {
        TempSettings settings(DeviceListText({Loopback(4)}));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        SelectRow(*window, 0);
        ModalScript operatorAnswers({PressButton(QMessageBox::Ok)});
        ClickButton(*window, kSetupButton);
        QCOMPARE(operatorAnswers.Seen(), QStringList{"Device is not responding!"});
        QCOMPARE(RowTexts(*window, 0).at(3), QStringLiteral("No"));
        QCOMPARE(RowDiamond(*window, 0), Diamond::Red);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void aDeviceThatAnsweredIsNotAskedAgainAndCancelChangesNothing() {
        OneDeviceWindow device(kModule);
        QVERIFY2(device.Ready(), device.Why());
        auto& [modsim, settings, window] = device;
        ClickButton(*window, kCheckButton);
        const QStringList before = RowTexts(*window, 0);
        QCOMPARE(before.mid(3), (QStringList{"Yes", "10.1.1.1"}));
        modsim.Stop();

        QStringList shown;
        ModalScript operatorAnswers({[&shown](QWidget& window) {
            auto& dialog = static_cast<CSwitcherAddressDlg&>(window);
            shown << dialog.AddressField()->Field(0)->text();
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("99"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        }});
        ClickButton(*window, kSetupButton);
        QCOMPARE(operatorAnswers.Seen(), QStringList{"CSwitcherAddressDlg"});
        QCOMPARE(shown, QStringList{"10"});
        QCOMPARE(RowTexts(*window, 0), before);
        QCOMPARE(window->Devices()[0]->switcherAddress, AddressFromIpFieldValue(0x0A010101));
        QCOMPARE(modsim.Count(kReadSwitcherHex), 2);  // only the Check asked
        QCOMPARE(modsim.Count(kWriteSwitcherHex), 0);
    }

    void confirmingTheSameAddressSendsNothing() {
        OneDeviceWindow device(kModule);
        QVERIFY2(device.Ready(), device.Why());
        auto& [modsim, settings, window] = device;
        QStringList shown;
        ModalScript operatorAnswers({TypeInDialog(shown, QString())});
        ClickButton(*window, kSetupButton);
        QCOMPARE(shown, (QStringList{"10", "1", "1", "1"}));
        QCOMPARE(RowTexts(*window, 0).mid(3), (QStringList{"Yes", "10.1.1.1"}));
        QCOMPARE(RowDiamond(*window, 0), Diamond::Green);
        QCOMPARE(modsim.Count(kWriteSwitcherHex), 0);
    }

    void zerosSendNoneAndEmptyTheSwitcherColumn() {
        OneDeviceWindow device(kModule);
        QVERIFY2(device.Ready(), device.Why());
        auto& [modsim, settings, window] = device;
        QStringList shown;
        ModalScript operatorAnswers({TypeInDialog(shown, QStringLiteral("0.0.0.0"))});
        ClickButton(*window, kSetupButton);
        QCOMPARE(RowTexts(*window, 0).mid(3), (QStringList{"Yes", ""}));
        QCOMPARE(AskSwitcher(2), 0u);
    }

    void doubleClickRunsSetupOnlyOnASelectedRowWithAnAdapter() {
        ModsimWindow site({"ip=127.0.0.2,switcher=10.1.1.1"}, DeviceListText({Loopback(2)}));
        QVERIFY2(site.Ready(), site.Why());
        auto& [modsim, settings, window] = site;
        auto* list = static_cast<QTreeWidget*>(window->Control(kDeviceList));
        const QPoint row(list->columnWidth(0) + 20,
                         list->visualItemRect(list->topLevelItem(0)).center().y());
        {
            ModalScript operatorAnswers({Reject()});
            // Below the last row: nothing is selected, nothing happens.
            DoubleClick(list->viewport(), QPoint(row.x(), list->viewport()->height() - 4));
            QVERIFY(operatorAnswers.Seen().isEmpty());
            QCOMPARE(modsim.Count(kReadSwitcherHex), 0);
        }
        QStringList shown;
        ModalScript operatorAnswers({TypeInDialog(shown, QStringLiteral("10.1.1.2"))});
        DoubleClick(list->viewport(), row);
        QCOMPARE(operatorAnswers.Seen(), QStringList{"CSwitcherAddressDlg"});
        QCOMPARE(RowTexts(*window, 0).at(4), QStringLiteral("10.1.1.2"));
    }

    void doubleClickWithoutAnAdapterDoesNothing() {
        TempSettings settings(DeviceListText({Loopback(2)}));
        ModalScript operatorAnswers({PressButton(QMessageBox::Ok)});  // the "no adapter" message
        auto window = OpenWindow(NoAdapter());
        QVERIFY(window);
        auto* list = static_cast<QTreeWidget*>(window->Control(kDeviceList));
        const QPoint row(list->columnWidth(0) + 20,
                         list->visualItemRect(list->topLevelItem(0)).center().y());
        DoubleClick(list->viewport(), row);
        QCOMPARE(operatorAnswers.Seen().size(), 1);
        QCOMPARE(window->Devices()[0]->tested, 0);
    }
};

QTEST_MAIN(SetupCommandTest)
#include "setup_command_test.moc"
