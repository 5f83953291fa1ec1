// The filtered edit, the filtered combo box and the coloured static, typed into and pasted into
// as an operator would.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSet>
#include <QTest>

#include "remote/color_static.h"
#include "remote/filtered_combo_box.h"
#include "remote/filtered_edit.h"
#include "remote/input_filter.h"

namespace {

void SelectAll(QLineEdit& edit) { edit.selectAll(); }

}  // namespace

class InputControlsTest : public QObject {
    Q_OBJECT

private slots:
    void typingKeepsOnlyTheSetAndControlKeysStillWork() {
        CFilteredEdit edit(kHexDigits);
        edit.show();
        QTest::keyClicks(&edit, "1fFg 9z");
        QCOMPARE(edit.text(), QString("1fF9"));
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QString("1fF"));
        // Ctrl combinations are control characters: select all, then type over it.
        QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(&edit, "7");
        QCOMPARE(edit.text(), QString("7"));

        CFilteredEdit decimal(kDecimalDigits);
        QTest::keyClicks(&decimal, "1a2-3.");
        QCOMPARE(decimal.text(), QString("123"));
    }

    void aPasteGoesInWholeOrNotAtAll() {
        CFilteredEdit edit(kDecimalDigits);
        edit.show();
        edit.setText("5678");
        edit.setSelection(1, 2);  // "67"
        QGuiApplication::clipboard()->setText("12 34");
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit.text(), QString("5678"));
        QCOMPARE(edit.selectedText(), QString("67"));

        QGuiApplication::clipboard()->setText("12\n");  // a line break fails too
        edit.Paste();
        QCOMPARE(edit.text(), QString("5678"));

        QGuiApplication::clipboard()->setText("1234");
        QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit.text(), QString("512348"));
    }

    void aPasteWithoutTextDeletesTheSelection() {
        CFilteredEdit edit(kHexDigits);
        edit.setText("ABCD");
        edit.setSelection(1, 2);
        QGuiApplication::clipboard()->clear();
        edit.Paste();
        QCOMPARE(edit.text(), QString("AD"));
    }

    void aReadOnlyEditTakesNoPaste() {
        CFilteredEdit edit(kHexDigits);
        edit.setText("AB");
        edit.setReadOnly(true);
        SelectAll(edit);
        QGuiApplication::clipboard()->setText("12");
        edit.Paste();
        QCOMPARE(edit.text(), QString("AB"));
    }

    void theComboBoxUndoesBadTypingAndReportsGoodTyping() {
        CFilteredComboBox combo(1034, kDecimalDigits);
        combo.addItems({"10", "A-list"});
        combo.setCurrentIndex(-1);
        combo.show();
        combo.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&combo));
        QSignalSpy accepted(&combo, &CFilteredComboBox::textAccepted);

        QTest::keyClicks(combo.lineEdit(), "12");
        QCOMPARE(accepted.count(), 2);
        QCOMPARE(accepted.last().at(0).toInt(), 1034);
        QCOMPARE(accepted.last().at(1).toString(), QString("12"));

        combo.lineEdit()->setCursorPosition(1);
        QTest::keyClicks(combo.lineEdit(), "x");
        QCOMPARE(combo.currentText(), QString("12"));
        QCOMPARE(combo.lineEdit()->cursorPosition(), 2);
        QCOMPARE(accepted.count(), 2);

        // Deleting down to nothing is a good text too.
        QTest::keyClick(combo.lineEdit(), Qt::Key_Backspace);
        QTest::keyClick(combo.lineEdit(), Qt::Key_Backspace);
        QCOMPARE(accepted.last().at(1).toString(), QString(""));
        QCOMPARE(combo.count(), 2);
    }

    void choosingAListItemIsAlwaysReported() {
        CFilteredComboBox combo(7, kDecimalDigits);
        combo.addItems({"10", "A-list"});
        QSignalSpy accepted(&combo, &CFilteredComboBox::textAccepted);
        // A list item is reported as it is, even outside the set.
        emit combo.activated(1);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(accepted.last().at(1).toString(), QString("A-list"));
        QCOMPARE(combo.LastGoodText(), QString("A-list"));
        // No item chosen: the last good text is reported again.
        emit combo.activated(-1);
        QCOMPARE(accepted.count(), 2);
        QCOMPARE(accepted.last().at(1).toString(), QString("A-list"));
    }

    void theFocusTakesTheCurrentTextAsGood() {
        CFilteredComboBox combo(1, kHexDigits);
        combo.setEditText("BEEF");
        combo.show();
        combo.activateWindow();
        combo.setFocus();
        QVERIFY(QTest::qWaitForWindowActive(&combo));
        QTRY_COMPARE(combo.LastGoodText(), QString("BEEF"));
        QTest::keyClicks(combo.lineEdit(), "g");
        QCOMPARE(combo.currentText(), QString("BEEF"));
    }

    void theColouredStaticShowsItsColourOnlyWhenFlagged() {
        QWidget parent;
        parent.setAutoFillBackground(true);
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, Qt::white);
        palette.setColor(QPalette::WindowText, Qt::black);
        parent.setPalette(palette);
        parent.resize(120, 40);
        CColorStatic label(QStringLiteral("████"), &parent);
        label.setGeometry(0, 0, 120, 40);
        label.SetTextColor(Qt::red);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        // The colours drawn: the corner shows the background, the text's full blocks its colour.
        const auto drawn = [&] {
            const QImage image = label.grab().toImage();
            QSet<QRgb> colours;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
            return std::pair(image.pixelColor(2, 2), colours);
        };

        // Not flagged: the parent shows through, and the parent's text colour is used.
        auto [corner, colours] = drawn();
        QCOMPARE(corner, QColor(Qt::white));
        QVERIFY(colours.contains(QColor(Qt::black).rgb()));
        QVERIFY(!colours.contains(QColor(Qt::red).rgb()));

        label.SetColored(true);
        std::tie(corner, colours) = drawn();
        QCOMPARE(corner, QColor(192, 192, 192));
        QVERIFY(colours.contains(QColor(Qt::red).rgb()));
        QVERIFY(!colours.contains(QColor(Qt::black).rgb()));

        label.SetColored(false);
        std::tie(corner, colours) = drawn();
        QCOMPARE(corner, QColor(Qt::white));
        QVERIFY(!colours.contains(QColor(Qt::red).rgb()));
    }

    void theSharedRule() {
        QVERIFY(PassesFilter("", kDecimalDigits));
        QVERIFY(PassesFilter("0123456789", kDecimalDigits));
        QVERIFY(!PassesFilter("12a", kDecimalDigits));
        QVERIFY(PassesFilter("aF09", kHexDigits));
        QVERIFY(!PassesFilter(QString::fromUtf8("１"), kDecimalDigits));  // a full-width digit
    }
};

QTEST_MAIN(InputControlsTest)
#include "input_controls_test.moc"
