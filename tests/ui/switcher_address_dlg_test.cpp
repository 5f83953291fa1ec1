// The switcher address dialog on its own: what it shows when it opens, when OK closes it and
// what it hands back, in both languages.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/localized_strings.h"
#include "ui/switcher_address_dlg.h"
#include "ui/switcher_address_template.h"
#include "widgets/dialog_units.h"
#include "widgets/ip_address_edit.h"

using namespace switcher_dialog;

namespace {

// 10.1.1.1 in network byte order, whatever the machine's byte order.
std::uint32_t Address(int a, int b, int c, int d) {
    return AddressFromIpFieldValue(
        static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(b) << 16 |
        static_cast<std::uint32_t>(c) << 8 | static_cast<std::uint32_t>(d));
}

QStringList FieldTexts(const CSwitcherAddressDlg& dialog) {
    QStringList texts;
    for (int i = 0; i < CIpAddressEdit::kFieldCount; ++i)
        texts << dialog.AddressField()->Field(i)->text();
    return texts;
}

// Shown without a modal run, so the test drives it directly; false when it never became active.
bool Open(CSwitcherAddressDlg& dialog) {
    dialog.show();
    dialog.activateWindow();
    return QTest::qWaitForWindowActive(&dialog);
}

void Type(const QString& text) {
    for (const QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

}  // namespace

class SwitcherAddressDlgTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app::SetLanguage(app::kEnglish); }

    void opensWithTheAddressSelectedForTyping() {
        CSwitcherAddressDlg dialog(nullptr);
        dialog.address = Address(10, 1, 1, 1);
        QVERIFY(Open(dialog));
        QCOMPARE(FieldTexts(dialog), (QStringList{"10", "1", "1", "1"}));
        QVERIFY(dialog.AddressField()->Field(0)->hasFocus());
        QCOMPARE(dialog.AddressField()->Field(0)->selectedText(), QStringLiteral("10"));
        Type(QStringLiteral("192.168.1.20"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.address, Address(192, 168, 1, 20));
    }

    void addressZeroOpensBlank() {
        CSwitcherAddressDlg dialog(nullptr);
        QVERIFY(Open(dialog));
        QCOMPARE(FieldTexts(dialog), (QStringList{"", "", "", ""}));
        QCOMPARE(dialog.AddressField()->FilledFieldCount(), 0);
    }

    void okWithABlankFieldStaysOpenSilently() {
        CSwitcherAddressDlg dialog(nullptr);
        dialog.address = Address(10, 1, 1, 1);
        QVERIFY(Open(dialog));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(dialog.isVisible());
        QTest::mouseClick(dialog.Control(kOkButton), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);  // no message box either
        QCOMPARE(dialog.address, Address(10, 1, 1, 1));
        // Completed, it closes.
        QTest::mouseClick(dialog.AddressField()->Field(3), Qt::LeftButton);
        Type(QStringLiteral("9"));
        QTest::mouseClick(dialog.Control(kOkButton), Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.address, Address(10, 1, 1, 9));
    }

    void zerosInAllFourFieldsAreAcceptedAsNone() {
        CSwitcherAddressDlg dialog(nullptr);
        dialog.address = Address(10, 1, 1, 1);
        QVERIFY(Open(dialog));
        Type(QStringLiteral("0.0.0.0"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.address, 0u);
    }

    void cancelEscapeAndCloseKeepTheCallersAddress_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("Cancel button") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close box") << 2;
    }
    void cancelEscapeAndCloseKeepTheCallersAddress() {
        QFETCH(int, how);
        CSwitcherAddressDlg dialog(nullptr);
        dialog.address = Address(10, 1, 1, 1);
        QVERIFY(Open(dialog));
        Type(QStringLiteral("172.16.0.5"));
        if (how == 0) QTest::mouseClick(dialog.Control(kCancelButton), Qt::LeftButton);
        if (how == 1) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        if (how == 2) dialog.close();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.address, Address(10, 1, 1, 1));
    }

    void keyboardOrderIsFieldOkCancel() {
        CSwitcherAddressDlg dialog(nullptr);
        QVERIFY(Open(dialog));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.Control(kOkButton));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.Control(kCancelButton));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), dialog.AddressField()->Field(0));
    }

    void textsFollowTheLanguageButtonsDoNot_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("label");
        QTest::newRow("English") << int(app::kEnglish) << "Settings"
                                 << "Switcher IP address";
        QTest::newRow("Russian") << int(app::kRussian) << "Настройки"
                                 << "IP адрес микшера";
    }
    void textsFollowTheLanguageButtonsDoNot() {
        QFETCH(int, language);
        QFETCH(QString, title);
        QFETCH(QString, label);
        app::SetLanguage(language);
        CSwitcherAddressDlg dialog(nullptr);
        QCOMPARE(dialog.windowTitle(), title);
        QCOMPARE(static_cast<QLabel*>(dialog.Control(kAddressLabel))->text(), label);
        QCOMPARE(static_cast<QPushButton*>(dialog.Control(kOkButton))->text(),
                 QStringLiteral("OK"));
        QCOMPARE(static_cast<QPushButton*>(dialog.Control(kCancelButton))->text(),
                 QStringLiteral("Cancel"));
        QVERIFY(static_cast<QPushButton*>(dialog.Control(kOkButton))->isDefault());
        QCOMPARE(dialog.AddressField()->Field(2)->accessibleName(), label + QStringLiteral(" 3"));
    }

    void sizedInDialogUnitsOfTheDialogFont() {
        CSwitcherAddressDlg dialog(nullptr);
        const DialogBaseUnits units = BaseUnitsFor(DialogFont());
        QCOMPARE(dialog.size(), DialogSizeToPixels(units, 204, 55));
        // The buttons' right edges line up one unit apart from the field's, as in the template.
        QCOMPARE(dialog.Control(kCancelButton)->geometry(),
                 DialogRectToPixels(units, 147, 36, 50, 14));
        QCOMPARE(dialog.Control(kAddressField)->geometry(),
                 DialogRectToPixels(units, 96, 8, 100, 12));
        QVERIFY(dialog.Control(kOkButton)->geometry().right() <
                dialog.Control(kCancelButton)->geometry().left());
    }
};

QTEST_MAIN(SwitcherAddressDlgTest)
#include "switcher_address_dlg_test.moc"
