// The main window's layout: the template's rectangles in dialog units, controls that follow the
// window's size, the minimum size, and the place and size kept in the settings file.
#include <algorithm>
#include <map>
#include <set>

#include <QFontMetrics>
#include <QTest>

#include "app/localized_strings.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_dialog_template.h"

using namespace uitest;
using namespace main_dialog;

namespace {

// Dialog units worked out afresh from the font: a quarter of the average letter width, an
// eighth of the height, edges rounded.
struct Units {
    int x;
    int y;
    Units() {
        const QFontMetrics metrics(QFont(QStringLiteral("DejaVu Sans"), 8));
        const int letters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        x = (letters / 26 + 1) / 2;
        y = metrics.height();
    }
    int X(int units) const { return (units * x + 2) / 4; }
    int Y(int units) const { return (units * y + 4) / 8; }
    QRect Rect(int left, int top, int width, int height) const {
        return QRect(QPoint(X(left), Y(top)), QPoint(X(left + width) - 1, Y(top + height) - 1));
    }
};

std::map<int, QRect> Geometries(const CControlPanelDlg& window) {
    std::map<int, QRect> rects;
    for (const ControlTemplate& control : kControls)
        rects[control.id] = window.Control(control.id)->geometry();
    return rects;
}

// The frame around the client area as the platform reports it; empty while none is known.
QSize Frame(const QWidget& window) { return window.frameGeometry().size() - window.size(); }

// The run with the offscreen plugin's own frame says so; the other runs have none.
bool FramedRun() { return qEnvironmentVariableIsSet("VANTREL_UI_WINDOW_FRAME"); }

// The client size the window opens at: the designed one, or taller where a frame thinner than
// the designed desktop's would leave the whole window below its minimum height.
QSize OpeningSize(const Units& units, const QWidget& window) {
    const QSize frame = Frame(window);
    const int height =
        frame.isNull() ? units.Y(kClientHeight)
                       : std::max(units.Y(kClientHeight), units.Y(kMinimumHeight) - frame.height());
    return QSize(units.X(kClientWidth), height);
}

QString Layout(int left, int top, int width, int height) {
    return QStringLiteral("[Layout]\nLeft=%1\nTop=%2\nWidth=%3\nHeight=%4\n")
        .arg(left)
        .arg(top)
        .arg(width)
        .arg(height);
}

}  // namespace

class MainWindowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app::SetLanguage(app::kEnglish); }

    void controlsStandAtTheTemplateRectangles() {
        TempSettings settings;
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        const Units units;
        QCOMPARE(window->BaseUnits().x, units.x);
        QCOMPARE(window->BaseUnits().y, units.y);
        QCOMPARE(!Frame(*window).isNull(), FramedRun());
        // The minimum counts the whole window, so without a frame the window opens at the
        // designed client size with every control at its template rectangle.
        if (!FramedRun())
            QCOMPARE(window->size(), QSize(units.X(kClientWidth), units.Y(kClientHeight)));
        QCOMPARE(window->size(), OpeningSize(units, *window));
        const int dy = window->height() - units.Y(kClientHeight);
        QCOMPARE(window->Control(kDeviceList)->geometry(),
                 units.Rect(8, 8, 444, 196).adjusted(0, 0, 0, dy));
        QCOMPARE(window->Control(kCheckButton)->geometry(), units.Rect(460, 52, 72, 14));
        QCOMPARE(window->Control(kCheckAllButton)->geometry(), units.Rect(460, 68, 72, 14));
        QCOMPARE(window->Control(kSetupButton)->geometry(), units.Rect(460, 105, 72, 14));
        QCOMPARE(window->Control(kAddButton)->geometry(), units.Rect(460, 129, 72, 14));
        QCOMPARE(window->Control(kRemoveButton)->geometry(), units.Rect(460, 145, 72, 14));
        QCOMPARE(window->Control(kPassportButton)->geometry(), units.Rect(460, 161, 72, 14));
        QCOMPARE(window->Control(kCloseButton)->geometry(),
                 units.Rect(460, 188, 72, 14).translated(0, dy));
        const QRect language = window->Control(kLanguageBox)->geometry();
        QCOMPARE(language.topLeft(), QPoint(units.X(460), units.Y(8)));
        QCOMPARE(language.width(), units.X(532) - units.X(460));
        QCOMPARE(window->Control(kAdapterBox)->geometry().topLeft(),
                 QPoint(units.X(460), units.Y(28)));
        // Tab order: the list, both boxes, then the buttons down the column.
        const int order[] = {kDeviceList,     kLanguageBox,    kAdapterBox,     kCheckButton,
                             kCheckAllButton, kIpOutputButton, kSetupButton,    kRemoteButton,
                             kAddButton,      kRemoveButton,   kPassportButton, kCloseButton};
        std::set<QWidget*> controls;
        for (int id : order) controls.insert(window->Control(id));
        QWidget* next = window->Control(kDeviceList);
        for (int id : order) {
            while (controls.count(next) == 0) next = next->nextInFocusChain();
            QCOMPARE(next, window->Control(id));
            next = next->nextInFocusChain();
        }
    }

    void wideningMovesTheColumnAndGrowsTheList() {
        TempSettings settings;
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        const auto before = Geometries(*window);
        const QSize size = window->size();
        window->resize(size.width() + 100, size.height());
        QTRY_COMPARE(window->size(), QSize(size.width() + 100, size.height()));
        auto after = Geometries(*window);
        QCOMPARE(after[kDeviceList], before.at(kDeviceList).adjusted(0, 0, 100, 0));
        for (const ControlTemplate& control : kControls)
            if (control.id != kDeviceList)
                QCOMPARE(after[control.id], before.at(control.id).translated(100, 0));

        window->resize(size.width() + 100, size.height() + 50);
        QTRY_COMPARE(window->height(), size.height() + 50);
        after = Geometries(*window);
        QCOMPARE(after[kDeviceList], before.at(kDeviceList).adjusted(0, 0, 100, 50));
        QCOMPARE(after[kCloseButton], before.at(kCloseButton).translated(100, 50));
        QCOMPARE(after[kPassportButton], before.at(kPassportButton).translated(100, 0));

        window->resize(size);
        QTRY_COMPARE(window->size(), size);
        QCOMPARE(Geometries(*window), before);
    }

    void minimisingAndRestoringChangesNothing() {
        TempSettings settings;
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        const auto before = Geometries(*window);
        const QRect frame = window->geometry();
        window->showMinimized();
        QTest::qWait(50);
        window->showNormal();
        QTest::qWait(50);
        QCOMPARE(window->geometry(), frame);
        QCOMPARE(Geometries(*window), before);
    }

    void theMinimumHoldsTheWholeWindowFrameIncluded() {
        TempSettings settings;
        const Units units;
        {
            // Before it is shown no frame is known: the designed desktop's caption and borders,
            // the 21 units by which the minimum is taller than the designed client area, count.
            CControlPanelDlg hidden(AdapterList({Loopback(1)}));
            QCOMPARE(hidden.minimumSize(), QSize(units.X(kMinimumWidth), units.Y(kClientHeight)));
            QCOMPARE(hidden.size(), QSize(units.X(kClientWidth), units.Y(kClientHeight)));
        }
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        window->resize(200, 100);
        if (FramedRun()) {
            QVERIFY(!Frame(*window).isNull());
            QTRY_COMPARE(window->frameGeometry().size(),
                         QSize(units.X(kMinimumWidth), units.Y(kMinimumHeight)));
        } else {
            QTRY_COMPARE(window->size(), QSize(units.X(kMinimumWidth), units.Y(kClientHeight)));
        }
        // The controls moved with it and still keep their distance from the right edge.
        QCOMPARE(window->width() - window->Control(kCloseButton)->geometry().right(),
                 units.X(kClientWidth) - units.Rect(460, 188, 72, 14).right());
    }

    void closingMaximisedSavesTheNormalRectangle() {
        TempSettings settings(Layout(40, 60, 900, 420));
        QRect normal;
        {
            auto window = OpenWindow(AdapterList({Loopback(1)}));
            QVERIFY(window);
            QCOMPARE(window->geometry(), QRect(40, 60, 900, 420));
            normal = window->geometry();
            window->showMaximized();
            QTRY_VERIFY(window->isMaximized());
            QTRY_VERIFY(window->geometry() != normal);
        }
        QVERIFY2(settings.Text().contains(QStringLiteral("Left=40\nTop=60\nWidth=900\nHeight=420")),
                 qPrintable(settings.Text()));
        auto reopened = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(reopened);
        QCOMPARE(reopened->geometry(), normal);
    }

    void aRestoredSizeLaysTheControlsOutForIt() {
        const Units units;
        const int width = units.X(kClientWidth) + 100;
        const int height = units.Y(kMinimumHeight) + 40;
        TempSettings settings(Layout(10, 20, width, height));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        const int dy = height - units.Y(kClientHeight);
        QCOMPARE(window->Control(kDeviceList)->geometry(),
                 units.Rect(8, 8, 444, 196).adjusted(0, 0, 100, dy));
        QCOMPARE(window->Control(kCheckButton)->geometry(),
                 units.Rect(460, 52, 72, 14).translated(100, 0));
        QCOMPARE(window->Control(kCloseButton)->geometry(),
                 units.Rect(460, 188, 72, 14).translated(100, dy));
    }

    void aStoredMinusOneOrAMissingKeyKeepsTheDesignedSize_data() {
        QTest::addColumn<QString>("layout");
        QTest::newRow("Left is -1") << Layout(-1, 50, 1000, 500);
        QTest::newRow("Height is -1") << Layout(30, 50, 1000, -1);
        QTest::newRow("three of four") << QStringLiteral("[Layout]\nLeft=30\nTop=50\nWidth=1000\n");
    }

    void aStoredMinusOneOrAMissingKeyKeepsTheDesignedSize() {
        QFETCH(QString, layout);
        TempSettings settings(layout);
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        QCOMPARE(window->size(), OpeningSize(Units(), *window));
    }

    void anExtremePlaceOrSizeOpensAWindowAllTheSame_data() {
        QTest::addColumn<QString>("layout");
        QTest::newRow("largest place") << Layout(2147483647, 2147483647, 900, 420);
        QTest::newRow("smallest place") << Layout(-2147483648, -2147483648, 900, 420);
        QTest::newRow("largest size") << Layout(2147483000, 2147483000, 2147483647, 2147483647);
        QTest::newRow("smallest size") << Layout(0, 0, -2147483648, -2147483648);
        QTest::newRow("zero size") << Layout(30, 40, 0, 0);
    }

    void anExtremePlaceOrSizeOpensAWindowAllTheSame() {
        QFETCH(QString, layout);
        TempSettings settings(layout);
        {
            auto window = OpenWindow(AdapterList({Loopback(1)}));
            QVERIFY(window);
            const QRect placed = window->geometry();
            QVERIFY(placed.width() >= window->minimumWidth() && placed.width() <= 8192);
            QVERIFY(placed.height() >= window->minimumHeight() && placed.height() <= 8192);
            QVERIFY(placed.right() > placed.left() && placed.bottom() > placed.top());
        }
        // The place it had is saved as usual.
        QVERIFY(settings.Text().contains(QStringLiteral("Height=")));
    }

    void aPlaceOffEveryScreenIsRestoredAsItIs() {
        TempSettings settings(Layout(7000, 5000, 900, 420));
        {
            auto window = OpenWindow(AdapterList({Loopback(1)}));
            QVERIFY(window);
            QCOMPARE(window->geometry(), QRect(7000, 5000, 900, 420));
        }
        QVERIFY(
            settings.Text().contains(QStringLiteral("Left=7000\nTop=5000\nWidth=900\nHeight=420")));
    }
};

QTEST_MAIN(MainWindowLayoutTest)
#include "main_window_layout_test.moc"
