// The remote control panel against vantrel-modsim's control modules on loopback: which clicks
// press keys and which drag the window, the datagrams that a press, a hold and a release put on
// the wire, closing and destruction, and a device that fails.
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/control_panel_app.h"
#include "app/panel_settings.h"
#include "tests/ui/remote_test_support.h"
#include "tests/ui/ui_test_support.h"

using namespace remotetest;

namespace {

const std::string kDevice = "127.0.0.171";
const std::string kFailingDevice = "127.0.0.172";  // answers every command with device error
const ButtonRect kStripKey{150, 4, 190, 28};
const ButtonRect kKey{20, 50, 80, 90};

std::unique_ptr<CRemoteControlWnd> OpenPanel(const std::string& device,
                                             const std::vector<ButtonLayout>& buttons,
                                             FakeClock& clock) {
    auto panel = std::make_unique<CRemoteControlWnd>(Address(device), MakeSkin(buttons), nullptr,
                                                     clock.Source());
    panel->show();
    if (!QTest::qWaitForWindowExposed(panel.get())) return nullptr;
    return panel;
}

// Waits for `ticks` further auto-repeat ticks of the panel.
bool WaitTicks(CRemoteControlWnd& panel, int ticks) {
    QSignalSpy spy(&panel, &CRemoteControlWnd::timerHandled);
    for (int i = 0; i < 100 && spy.count() < ticks; ++i) spy.wait(200);
    return spy.count() >= ticks;
}

int Sent(const CRemoteControlWnd& panel) {
    // The sequence number counts the datagram commands of the one interface.
    return panel.ModuleInterface() == nullptr ? 0 : panel.ModuleInterface()->SequenceNumber() - 1;
}

}  // namespace

class RemotePanelTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        sim_ = std::make_unique<ControlSim>(std::vector<std::string>{
            "ip=" + kDevice + ",control=on",
            "ip=" + kFailingDevice + ",control=on,control-fault=status:5"});
        QVERIFY2(sim_->Ready(), sim_->Error());
    }
    void cleanupTestCase() { sim_.reset(); }

    void pressAndReleaseSendTheirCommandsThroughOneInterface() {
        uitest::TempSettings settings;
        FakeClock clock;
        auto panel = OpenPanel(kDevice, {{"KEY", kKey, "A101", "A20102", "-"}}, clock);
        QVERIFY(panel);
        const std::size_t before = sim_->Datagrams(kDevice, 0).size();

        QTest::mousePress(panel.get(), Qt::LeftButton, {}, Centre(kKey));
        QCOMPARE(panel->ActiveButton(), 0);
        QVERIFY(DrawnPressed(*panel, Centre(kKey)));
        QVERIFY(
            !DrawnPressed(*panel, QPoint(kKey.right, kKey.bottom)));  // only the key's rectangle
        QCOMPARE(panel->cursor().shape(), Qt::ClosedHandCursor);
        const protocol::CModuleInterface* first = panel->ModuleInterface();
        QVERIFY(first != nullptr);

        QTest::mouseRelease(panel.get(), Qt::LeftButton, {}, Centre(kKey));
        QCOMPARE(panel->ActiveButton(), -1);
        QVERIFY(!DrawnPressed(*panel, Centre(kKey)));
        QCOMPARE(panel->ModuleInterface(), first);

        QCOMPARE(
            sim_->DatagramsAfter(kDevice, before, 2),
            (std::vector<std::string>{CommandDatagram(1, "A101"), CommandDatagram(2, "A20102")}));
    }

    void theDragStripDragsOnlyWhereNoKeyIs() {
        uitest::TempSettings settings;
        FakeClock clock;
        auto panel = OpenPanel(kDevice, {{"STRIP", kStripKey, "A1"}, {"KEY", kKey, "A2"}}, clock);
        QVERIFY(panel);
        QSignalSpy drags(panel.get(), &CRemoteControlWnd::dragStarted);

        // A key inside the strip is pressed, not dragged.
        QTest::mousePress(panel.get(), Qt::LeftButton, {}, Centre(kStripKey));
        QCOMPARE(panel->ActiveButton(), 0);
        QTest::mouseRelease(panel.get(), Qt::LeftButton, {}, Centre(kStripKey));
        QCOMPARE(drags.count(), 0);

        // The strip's last row drags; the row below it does nothing.
        QTest::mousePress(panel.get(), Qt::LeftButton, {},
                          QPoint(10, CRemoteControlWnd::kDragStripLastRow));
        QTest::mouseRelease(panel.get(), Qt::LeftButton, {},
                            QPoint(10, CRemoteControlWnd::kDragStripLastRow));
        QCOMPARE(drags.count(), 1);
        QTest::mousePress(panel.get(), Qt::LeftButton, {},
                          QPoint(10, CRemoteControlWnd::kDragStripLastRow + 1));
        QTest::mouseRelease(panel.get(), Qt::LeftButton, {},
                            QPoint(10, CRemoteControlWnd::kDragStripLastRow + 1));
        QCOMPARE(drags.count(), 1);
        QCOMPARE(panel->ActiveButton(), -1);
        QCOMPARE(Sent(*panel), 1);

        // A key's right and bottom edges lie outside it.
        QTest::mousePress(panel.get(), Qt::LeftButton, {}, QPoint(kKey.right, kKey.top));
        QCOMPARE(panel->ActiveButton(), -1);
        QTest::mouseRelease(panel.get(), Qt::LeftButton, {}, QPoint(kKey.right, kKey.top));
    }

    void cursorsShowWhatAClickWouldDo() {
        uitest::TempSettings settings;
        FakeClock clock;
        auto panel = OpenPanel(kDevice, {{"KEY", kKey}}, clock);
        QVERIFY(panel);
        QTest::mouseMove(panel.get(), QPoint(100, 10));
        QCOMPARE(panel->cursor().shape(), Qt::SizeAllCursor);
        QTest::mouseMove(panel.get(), Centre(kKey));
        QCOMPARE(panel->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseMove(panel.get(), QPoint(150, 100));
        QCOMPARE(panel->cursor().shape(), Qt::ArrowCursor);
    }

    void withNoKeysTheStripStillDrags() {
        uitest::TempSettings settings;
        FakeClock clock;
        auto panel = OpenPanel(kDevice, {}, clock);
        QVERIFY(panel);
        QSignalSpy drags(panel.get(), &CRemoteControlWnd::dragStarted);
        QTest::mouseMove(panel.get(), QPoint(5, 5));
        QCOMPARE(panel->cursor().shape(), Qt::SizeAllCursor);
        QTest::mousePress(panel.get(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(panel.get(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(drags.count(), 1);
        QVERIFY(panel->ModuleInterface() == nullptr);
    }

    // The first repeat is due 1100 ms after the press, each further one 100 ms after the last,
    // at the first tick at or after that time; ticks missed meanwhile are not made up. The
    // clock starts just before its wrap, so the differences must be taken modulo 2^32.
    void aHeldKeyRepeatsByTheClock() {
        uitest::TempSettings settings;
        FakeClock clock;
        clock.now = 0xFFFFFF00u;
        const std::uint32_t pressed = clock.now;
        auto panel = OpenPanel(kDevice, {{"KEY", kKey, "A1", "A2", "A3"}}, clock);
        QVERIFY(panel);
        QTest::mousePress(panel.get(), Qt::LeftButton, {}, Centre(kKey));
        QCOMPARE(Sent(*panel), 1);

        // (clock moved to this far past the press, datagrams sent by then); the last step is
        // five seconds without a tick, which brings one repeat, not fifty.
        const std::pair<std::uint32_t, int> steps[] = {
            {1099, 1}, {1100, 2}, {1199, 2}, {1230, 3}, {6230, 4}};
        for (const auto& [after, sent] : steps) {
            clock.now = pressed + after;
            QVERIFY(WaitTicks(*panel, 3));
            QVERIFY2(
                Sent(*panel) == sent,
                qPrintable(QString("%1 sent %2 ms after the press").arg(Sent(*panel)).arg(after)));
        }

        QTest::mouseRelease(panel.get(), Qt::LeftButton, {}, Centre(kKey));
        clock.now += 5000;
        QVERIFY(WaitTicks(*panel, 2));
        QCOMPARE(Sent(*panel), 5);
        const auto wire = sim_->Datagrams(kDevice, 0);
        QVERIFY(wire.size() >= 5);
        const std::vector<std::string> last(wire.end() - 5, wire.end());
        const std::uint16_t first = panel->ModuleInterface()->SequenceNumber() - 5;
        QCOMPARE(last, (std::vector<std::string>{
                           CommandDatagram(first, "A1"), CommandDatagram(first + 1, "A3"),
                           CommandDatagram(first + 2, "A3"), CommandDatagram(first + 3, "A3"),
                           CommandDatagram(first + 4, "A2")}));
    }

    // Qt's coarse timers may fire up to 5 % early. Here every tick comes, by the panel's clock,
    // 5 % before the interval the panel asked for: the hold still repeats every 100 ms, where a
    // fixed 50 ms tick would find each repeat just short of due and put it off by a whole tick.
    void aHoldRepeatsTenTimesASecondWhenTheTimerFiresEarly() {
        uitest::TempSettings settings;
        FakeClock clock;
        const std::uint32_t pressed = clock.now;
        auto panel = OpenPanel(kDevice, {{"KEY", kKey, "A1", "A2", "A3"}}, clock);
        QVERIFY(panel);
        auto* timer = panel->findChild<QTimer*>();
        QVERIFY(timer != nullptr);
        QTest::mousePress(panel.get(), Qt::LeftButton, {}, Centre(kKey));
        const auto early = connect(panel.get(), &CRemoteControlWnd::timerHandled, panel.get(),
                                   [&] { clock.now += std::max(1, timer->interval() * 95 / 100); });
        // Until the tick at 3100 ms has been handled: the first repeat at 1100 ms, then 20 more.
        QSignalSpy ticks(panel.get(), &CRemoteControlWnd::timerHandled);
        for (int i = 0; i < 200 && clock.now - pressed <= 3100; ++i) ticks.wait(200);
        disconnect(early);
        QVERIFY(clock.now - pressed > 3100);
        QCOMPARE(Sent(*panel), 1 + 21);
        QTest::mouseRelease(panel.get(), Qt::LeftButton, {}, Centre(kKey));
    }

    // Without a mouse: Tab and the arrows move a frame over the keys in reading order (a key
    // drawn a little lower still reads as one row with its neighbour), Space holds the framed
    // key down as a held mouse button does, the desktop's own key repeats press nothing, and
    // Escape closes the panel.
    void theKeyboardReachesEveryKeyInReadingOrder() {
        uitest::TempSettings settings;
        FakeClock clock;
        const ButtonRect right{120, 53, 180, 88};
        const ButtonRect below{20, 95, 80, 115};
        auto panel = OpenPanel(
            kDevice,
            {{"BELOW", below, "B1"}, {"RIGHT", right, "C1", "C2"}, {"KEY", kKey, "A1", "A2", "A3"}},
            clock);
        QVERIFY(panel);
        panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(panel.get()));
        const auto framedAt = [&](const ButtonRect& r) {
            const QImage shown = panel->grab().toImage();
            for (int y = r.top; y < r.bottom; ++y)
                if (shown.pixelColor(r.left + 1, y) == QColor(Qt::black)) return true;
            return false;
        };
        QCOMPARE(panel->FocusedButton(), -1);
        QVERIFY(!framedAt(kKey));

        const std::pair<Qt::Key, int> moves[] = {
            {Qt::Key_Tab, 2},     {Qt::Key_Right, 1}, {Qt::Key_Down, 0}, {Qt::Key_Tab, 2},
            {Qt::Key_Backtab, 0}, {Qt::Key_Left, 1},  {Qt::Key_Up, 2}};
        for (const auto& [key, focused] : moves) {
            QTest::keyClick(panel.get(), key);
            QCOMPARE(panel->FocusedButton(), focused);
        }
        QVERIFY(framedAt(kKey));
        QVERIFY(!framedAt(right));
        QVERIFY(!DrawnPressed(*panel, Centre(kKey)));  // the frame is not the picture

        const std::size_t before = sim_->Datagrams(kDevice, 0).size();
        QTest::keyPress(panel.get(), Qt::Key_Space);
        QVERIFY(DrawnPressed(*panel, Centre(kKey)));
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent desktopRepeat(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
            QApplication::sendEvent(panel.get(), &desktopRepeat);
        }
        QCOMPARE(panel->ActiveButton(), 2);
        clock.now += 1100;
        QVERIFY(WaitTicks(*panel, 2));
        QTest::keyRelease(panel.get(), Qt::Key_Space);
        QVERIFY(!DrawnPressed(*panel, Centre(kKey)));
        QTest::keyClick(panel.get(), Qt::Key_Right);
        QTest::keyClick(panel.get(), Qt::Key_Return);
        QVERIFY(!DrawnPressed(*panel, Centre(right)));
        const std::uint16_t first = panel->ModuleInterface()->SequenceNumber() - 5;
        QCOMPARE(sim_->DatagramsAfter(kDevice, before, 5),
                 (std::vector<std::string>{
                     CommandDatagram(first, "A1"), CommandDatagram(first + 1, "A3"),
                     CommandDatagram(first + 2, "A2"), CommandDatagram(first + 3, "C1"),
                     CommandDatagram(first + 4, "C2")}));

        QTest::keyClick(panel.get(), Qt::Key_Escape);
        QVERIFY(!panel->isVisible());
    }

    void aKeyWithoutCommandsDrawsAndKeepsItsClockButSendsNothing() {
        uitest::TempSettings settings;
        FakeClock clock;
        auto panel = OpenPanel(kDevice, {{"SILENT", kKey}}, clock);
        QVERIFY(panel);
        QTest::mousePress(panel.get(), Qt::LeftButton, {}, Centre(kKey));
        QVERIFY(DrawnPressed(*panel, Centre(kKey)));
        QCOMPARE(panel->Buttons()[0]->stamp, clock.now + 1000);
        clock.now += 1100;
        QVERIFY(WaitTicks(*panel, 2));
        QCOMPARE(panel->Buttons()[0]->stamp, clock.now);
        QTest::mouseRelease(panel.get(), Qt::LeftButton, {}, Centre(kKey));
        QVERIFY(!DrawnPressed(*panel, Centre(kKey)));
        QCOMPARE(panel->Buttons()[0]->stamp, 0u);
        QVERIFY(panel->ModuleInterface() == nullptr);
    }

    void theCloseKeyClosesAndSendsItsReleaseWhenDestroyed() {
        uitest::TempSettings settings;
        FakeClock clock;
        auto panel = OpenPanel(kDevice, {{"SYSTEM:Close", kStripKey, "C1", "C2"}}, clock);
        QVERIFY(panel);
        const std::size_t before = sim_->Datagrams(kDevice, 0).size();
        QTest::mousePress(panel.get(), Qt::LeftButton, {}, Centre(kStripKey));
        QVERIFY(!panel->isVisible());
        QCOMPARE(panel->result(), int(QDialog::Rejected));
        QCOMPARE(Sent(*panel), 1);
        panel.reset();
        QCOMPARE(sim_->DatagramsAfter(kDevice, before, 2),
                 (std::vector<std::string>{CommandDatagram(1, "C1"), CommandDatagram(2, "C2")}));
    }

    void aCloseKeyInAnotherLetterCaseIsAnOrdinaryKey() {
        uitest::TempSettings settings;
        FakeClock clock;
        auto panel = OpenPanel(kDevice, {{"System:Close", kStripKey, "C1", "C2"}}, clock);
        QVERIFY(panel);
        QTest::mousePress(panel.get(), Qt::LeftButton, {}, Centre(kStripKey));
        QTest::mouseRelease(panel.get(), Qt::LeftButton, {}, Centre(kStripKey));
        QVERIFY(panel->isVisible());
        QCOMPARE(Sent(*panel), 2);
    }

    void destroyingWhileHeldReleasesAndSavesThePlace() {
        uitest::TempSettings settings;
        FakeClock clock;
        auto panel = OpenPanel(kDevice, {{"KEY", kKey, "A1", "A2"}}, clock);
        QVERIFY(panel);
        panel->move(123, 45);
        const QPoint place = panel->pos();
        const std::size_t before = sim_->Datagrams(kDevice, 0).size();
        QTest::mousePress(panel.get(), Qt::LeftButton, {}, Centre(kKey));
        panel.reset();
        const auto wire = sim_->Datagrams(kDevice, before + 2);
        QCOMPARE(wire.size(), before + 2);
        QCOMPARE(wire[before + 1], CommandDatagram(2, "A2"));
        app::panel_settings::SkinPlace saved;
        QVERIFY(app::panel_settings::ReadSkinLayout(app::TheApp().Settings(), saved));
        QCOMPARE(QPoint(saved.left, saved.top), place);
    }

    void losingTheMouseLetsGoOfTheKey() {
        uitest::TempSettings settings;
        FakeClock clock;
        auto panel = OpenPanel(kDevice, {{"KEY", kKey, "A1", "A2"}}, clock);
        QVERIFY(panel);
        QTest::mousePress(panel.get(), Qt::LeftButton, {}, Centre(kKey));
        QCOMPARE(panel->ActiveButton(), 0);
        QWidget thief;
        thief.show();
        QVERIFY(QTest::qWaitForWindowExposed(&thief));
        thief.grabMouse();
        QVERIFY(WaitTicks(*panel, 2));
        thief.releaseMouse();
        QCOMPARE(panel->ActiveButton(), -1);
        QVERIFY(!DrawnPressed(*panel, Centre(kKey)));
        QCOMPARE(Sent(*panel), 2);
    }

    // While the failure message is open, repeats fall due and the clock moves on, yet nothing
    // more is sent and no second message opens; answering it lets go of the key.
    void aFailingDeviceShowsOneMessageWhileAKeyIsHeld() {
        uitest::TempSettings settings;
        FakeClock clock;
        auto panel = OpenPanel(kFailingDevice, {{"KEY", kKey, "A1", "-", "A3"}}, clock);
        QVERIFY(panel);
        int boxes = 0;
        int ticksWhileOpen = 0;
        int sentWhileOpen = -1;
        QString text;
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QPointer<QMessageBox> seen;
        int looks = 0;
        QTimer watcher;
        QObject::connect(panel.get(), &CRemoteControlWnd::timerHandled, [&] {
            if (QApplication::activeModalWidget() != nullptr) ++ticksWhileOpen;
        });
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            if (box != seen.data()) {
                seen = box;
                ++boxes;
                text = box->text();
                title = box->windowTitle();
                icon = box->icon();
                clock.now += 5000;  // every repeat long overdue
            }
            // Answered after four ticks, or after a bound so that a failing test never hangs.
            if (ticksWhileOpen >= 4 || ticksWhileOpen < 0 || ++looks > 250) {
                sentWhileOpen = Sent(*panel);
                ticksWhileOpen = -1000;
                box->accept();
            }
        });
        watcher.start(20);
        QTest::mousePress(panel.get(), Qt::LeftButton, {}, Centre(kKey));
        watcher.stop();
        QCOMPARE(boxes, 1);
        QCOMPARE(text, QString::fromUtf8("Ошибка!"));
        QCOMPARE(title, QString::fromStdString(app::TheApp().ApplicationTitle()));
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(sentWhileOpen, 1);
        QCOMPARE(panel->ActiveButton(), -1);
        QVERIFY(WaitTicks(*panel, 2));
        QCOMPARE(Sent(*panel), 1);
    }

private:
    std::unique_ptr<ControlSim> sim_;
};

QTEST_MAIN(RemotePanelTest)
#include "remote_panel_test.moc"
