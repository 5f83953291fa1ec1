// The IP address field driven from the keyboard as an operator types into it, its filled-field
// count, and its address in both byte orders.
#include <cstring>

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "widgets/ip_address_edit.h"

namespace {

// A field between two buttons, shown, with the focus on the field's first number.
struct Form {
    QDialog window;
    QPushButton* before = new QPushButton(QStringLiteral("before"), &window);
    CIpAddressEdit* edit = new CIpAddressEdit(&window);
    QPushButton* after = new QPushButton(QStringLiteral("after"), &window);

    Form() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(edit);
        layout->addWidget(after);
        window.show();
        window.activateWindow();
        before->setFocus();
    }
    bool Open() { return QTest::qWaitForWindowActive(&window); }
    QStringList Texts() const {
        QStringList texts;
        for (int i = 0; i < CIpAddressEdit::kFieldCount; ++i) texts << edit->Field(i)->text();
        return texts;
    }
    // The field index that has the focus, -1 for none of them.
    int FocusedField() const {
        for (int i = 0; i < CIpAddressEdit::kFieldCount; ++i)
            if (edit->Field(i)->hasFocus()) return i;
        return -1;
    }
    // Each key goes where the focus is when it is pressed, as on a real keyboard.
    void Type(const QString& text) {
        for (const QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
};

std::uint32_t Dotted(int a, int b, int c, int d) {
    return static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(b) << 16 |
           static_cast<std::uint32_t>(c) << 8 | static_cast<std::uint32_t>(d);
}

}  // namespace

class IpAddressEditTest : public QObject {
    Q_OBJECT

private slots:
    void typingAFullAddressFillsBlankFields() {
        Form form;
        QVERIFY(form.Open());
        form.Key(Qt::Key_Tab);
        form.Type(QStringLiteral("192.168.1.20"));
        QCOMPARE(form.Texts(), (QStringList{"192", "168", "1", "20"}));
        QCOMPARE(form.edit->FilledFieldCount(), 4);
        QCOMPARE(form.edit->Address(), Dotted(192, 168, 1, 20));
    }

    void typingAFullAddressReplacesAnAddressShown() {
        Form form;
        form.edit->SetAddress(Dotted(10, 20, 30, 40));
        QVERIFY(form.Open());
        form.Key(Qt::Key_Tab);
        QCOMPARE(form.edit->Field(0)->selectedText(), QStringLiteral("10"));
        form.Type(QStringLiteral("192.168.1.20"));
        QCOMPARE(form.Texts(), (QStringList{"192", "168", "1", "20"}));
    }

    void aThirdDigitMovesOnAndSelectsTheNextField() {
        Form form;
        form.edit->SetAddress(Dotted(1, 2, 3, 4));
        QVERIFY(form.Open());
        form.Key(Qt::Key_Tab);
        form.Type(QStringLiteral("123"));
        QCOMPARE(form.FocusedField(), 1);
        QCOMPARE(form.edit->Field(1)->selectedText(), QStringLiteral("2"));
        // Only the dot right after the move is swallowed; the next one moves on again.
        form.Type(QStringLiteral("..7"));
        QCOMPARE(form.Texts(), (QStringList{"123", "2", "7", "4"}));
        // A third digit in the last field stays there.
        form.Key(Qt::Key_End);
        form.Key(Qt::Key_Backspace);
        form.Type(QStringLiteral("254"));
        QCOMPARE(form.FocusedField(), 3);
        QCOMPARE(form.edit->Field(3)->text(), QStringLiteral("254"));
    }

    void aDotAfterTheOperatorClickedIntoTheFieldMovesOn() {
        Form form;
        QVERIFY(form.Open());
        form.Key(Qt::Key_Tab);
        form.Type(QStringLiteral("192"));
        QCOMPARE(form.FocusedField(), 1);
        QTest::mouseClick(form.edit->Field(1), Qt::LeftButton);
        form.Type(QStringLiteral("."));
        QCOMPARE(form.FocusedField(), 2);
    }

    void aDotOrABlankMovesToTheNextFieldAndSelectsIt() {
        Form form;
        form.edit->SetAddress(Dotted(1, 2, 3, 4));
        QVERIFY(form.Open());
        form.Key(Qt::Key_Tab);
        form.Key(Qt::Key_Space);
        QCOMPARE(form.FocusedField(), 1);
        QCOMPARE(form.edit->Field(1)->selectedText(), QStringLiteral("2"));
        form.Type(QStringLiteral("9.8 "));
        QCOMPARE(form.Texts(), (QStringList{"1", "9", "8", "4"}));
        QCOMPARE(form.FocusedField(), 3);
        // In the last field a dot goes nowhere.
        form.Type(QStringLiteral("."));
        QCOMPARE(form.FocusedField(), 3);
    }

    void onlyDigitsAreTyped() {
        Form form;
        QVERIFY(form.Open());
        form.Key(Qt::Key_Tab);
        form.Type(QStringLiteral("1a-+x2,"));
        QCOMPARE(form.Texts(), (QStringList{"12", "", "", ""}));
        QCOMPARE(form.edit->FilledFieldCount(), 1);
    }

    void aNumberAbove255Becomes255() {
        Form form;
        QVERIFY(form.Open());
        form.Key(Qt::Key_Tab);
        form.Type(QStringLiteral("300"));
        QCOMPARE(form.edit->Field(0)->text(), QStringLiteral("255"));
        QCOMPARE(form.FocusedField(), 1);
        form.Type(QStringLiteral("999"));
        QCOMPARE(form.Texts(), (QStringList{"255", "255", "", ""}));
    }

    void backspaceInAnEmptyFieldGoesBack() {
        Form form;
        QVERIFY(form.Open());
        form.Key(Qt::Key_Tab);
        form.Type(QStringLiteral("10.5"));
        form.Key(Qt::Key_Backspace);
        QCOMPARE(form.FocusedField(), 1);
        form.Key(Qt::Key_Backspace);
        QCOMPARE(form.FocusedField(), 0);
        // Back in the first field it deletes from the end of its number.
        form.Key(Qt::Key_Backspace);
        QCOMPARE(form.Texts(), (QStringList{"1", "", "", ""}));
        form.Key(Qt::Key_Backspace);
        form.Key(Qt::Key_Backspace);
        QCOMPARE(form.FocusedField(), 0);
        QCOMPARE(form.edit->FilledFieldCount(), 0);
    }

    void arrowsCrossAtTheEdgesAndHomeEndGoToTheEnds() {
        Form form;
        form.edit->SetAddress(Dotted(11, 22, 33, 44));
        QVERIFY(form.Open());
        form.Key(Qt::Key_Tab);
        form.Key(Qt::Key_Right);  // ends the selection at the end of "11"
        QCOMPARE(form.FocusedField(), 0);
        form.Key(Qt::Key_Right);
        QCOMPARE(form.FocusedField(), 1);
        QCOMPARE(form.edit->Field(1)->cursorPosition(), 0);
        form.Key(Qt::Key_Right);
        QCOMPARE(form.FocusedField(), 1);
        form.Key(Qt::Key_Left);
        form.Key(Qt::Key_Left);
        QCOMPARE(form.FocusedField(), 0);
        QCOMPARE(form.edit->Field(0)->cursorPosition(), 2);
        form.Key(Qt::Key_Left);
        form.Key(Qt::Key_Left);
        form.Key(Qt::Key_Left);
        QCOMPARE(form.FocusedField(), 0);
        form.Key(Qt::Key_End);
        QCOMPARE(form.FocusedField(), 3);
        QCOMPARE(form.edit->Field(3)->cursorPosition(), 2);
        form.Key(Qt::Key_Right);
        QCOMPARE(form.FocusedField(), 3);
        form.Key(Qt::Key_Home);
        QCOMPARE(form.FocusedField(), 0);
        QCOMPARE(form.edit->Field(0)->cursorPosition(), 0);
        QCOMPARE(form.Texts(), (QStringList{"11", "22", "33", "44"}));
    }

    void theFourFieldsAreOneTabStop() {
        Form form;
        QVERIFY(form.Open());
        form.Key(Qt::Key_Tab);
        QCOMPARE(form.FocusedField(), 0);
        form.Type(QStringLiteral("1.2"));
        QCOMPARE(form.FocusedField(), 1);
        form.Key(Qt::Key_Tab);
        QVERIFY(form.after->hasFocus());
        form.Key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(form.FocusedField(), 0);
        QCOMPARE(form.edit->Field(0)->selectedText(), QStringLiteral("1"));
        form.Key(Qt::Key_Space);
        form.Key(Qt::Key_Space);
        QCOMPARE(form.FocusedField(), 2);
        form.Key(Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(form.before->hasFocus());
    }

    void eachFieldHasItsOwnAccessibleName() {
        CIpAddressEdit edit;
        edit.SetFieldNames(QStringLiteral("Switcher IP address"));
        QCOMPARE(edit.Field(0)->accessibleName(), QStringLiteral("Switcher IP address 1"));
        QCOMPARE(edit.Field(3)->accessibleName(), QStringLiteral("Switcher IP address 4"));
        CIpAddressEdit unnamed;
        QCOMPARE(unnamed.Field(1)->accessibleName(), QStringLiteral("2"));
    }

    void pastingADottedAddressFillsTheFields_data() {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QStringList>("expected");
        const QStringList before{"1", "2", "", ""};
        QTest::newRow("address") << "10.1.2.3" << QStringList{"10", "1", "2", "3"};
        QTest::newRow("blanks around") << "  172.16.0.254 \n"
                                       << QStringList{"172", "16", "0", "254"};
        QTest::newRow("three numbers") << "10.1.2" << before;
        QTest::newRow("number too big") << "10.1.2.256" << before;
        QTest::newRow("words") << "switcher" << before;
        QTest::newRow("blank inside") << "10.1. 2.3" << before;
        QTest::newRow("empty") << "" << before;
    }
    void pastingADottedAddressFillsTheFields() {
        QFETCH(QString, clipboard);
        QFETCH(QStringList, expected);
        Form form;
        QVERIFY(form.Open());
        form.Key(Qt::Key_Tab);
        form.Type(QStringLiteral("1.2"));
        QApplication::clipboard()->setText(clipboard);
        form.Key(Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(form.Texts(), expected);
    }

    void filledCountCountsBlankAndZeroApart() {
        CIpAddressEdit edit;
        QCOMPARE(edit.FilledFieldCount(), 0);
        QCOMPARE(edit.Address(), 0u);
        edit.SetAddress(0);
        QCOMPARE(edit.FilledFieldCount(), 4);
        QCOMPARE(edit.Field(2)->text(), QStringLiteral("0"));
        edit.Field(2)->clear();
        QCOMPARE(edit.FilledFieldCount(), 3);
        edit.ClearAddress();
        QCOMPARE(edit.FilledFieldCount(), 0);
        QCOMPARE(edit.Field(0)->text(), QString());
    }

    void addressesRoundTripInBothByteOrders() {
        // The network-order value has the first number of the dotted form in its first byte.
        const std::uint8_t bytes[4] = {192, 168, 1, 20};
        std::uint32_t networkOrder = 0;
        std::memcpy(&networkOrder, bytes, sizeof bytes);
        QCOMPARE(IpFieldValueFromAddress(networkOrder), Dotted(192, 168, 1, 20));
        QCOMPARE(AddressFromIpFieldValue(Dotted(192, 168, 1, 20)), networkOrder);

        CIpAddressEdit edit;
        edit.SetAddress(IpFieldValueFromAddress(networkOrder));
        QCOMPARE(edit.Field(0)->text(), QStringLiteral("192"));
        QCOMPARE(edit.Field(3)->text(), QStringLiteral("20"));
        QCOMPARE(AddressFromIpFieldValue(edit.Address()), networkOrder);
        edit.SetAddress(Dotted(255, 0, 255, 1));
        QCOMPARE(edit.Address(), Dotted(255, 0, 255, 1));
    }
};

QTEST_MAIN(IpAddressEditTest)
#include "ip_address_edit_test.moc"
