// Check and Check All against vantrel-modsim on loopback: what the rows show afterwards, the
// message for a device that does not answer, and how the window behaves while it waits.
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "app/localized_strings.h"
#include "tests/ui/ui_modsim.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_dialog_template.h"

using namespace uitest;
using namespace main_dialog;

namespace {

QTreeWidget* List(const CControlPanelDlg& window) {
    return static_cast<QTreeWidget*>(window.Control(kDeviceList));
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace

class MainWindowCheckTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app::SetLanguage(app::kEnglish); }

    void checkAnsweredShowsGreenYesAndTheSwitcher() {
        ModsimWindow site({"ip=127.0.0.2,switcher=10.1.1.1"},
                          DeviceListText({Loopback(3), Loopback(2)}));
        QVERIFY2(site.Ready(), site.Why());
        auto& [modsim, settings, window] = site;
        ModalOperator answers;
        SelectRow(*window, 1);
        ClickButton(*window, kCheckButton);
        QVERIFY(answers.Seen().empty());
        QCOMPARE(RowTexts(*window, 1),
                 (QStringList{"2", "02:00:00:00:00:01", "127.0.0.2", "Yes", "10.1.1.1"}));
        QCOMPARE(RowDiamond(*window, 1), Diamond::Green);
        // The checked row stays selected; the other device was not asked.
        QCOMPARE(List(*window)->selectedItems().value(0), List(*window)->topLevelItem(1));
        QCOMPARE(RowDiamond(*window, 0), Diamond::Grey);
        QCOMPARE(window->Devices()[0]->tested, 0);
    }

    void checkAnsweredWithSwitcherZeroLeavesTheSwitcherColumnEmpty() {
        ModsimWindow site({"ip=127.0.0.2,switcher-magic=WiZnSwTc"}, DeviceListText({Loopback(2)}));
        QVERIFY2(site.Ready(), site.Why());
        auto& [modsim, settings, window] = site;
        ModalOperator answers;
        SelectRow(*window, 0);
        ClickButton(*window, kCheckButton);
        QVERIFY(answers.Seen().empty());
        QCOMPARE(RowTexts(*window, 0).mid(3), (QStringList{"Yes", ""}));
        QCOMPARE(RowDiamond(*window, 0), Diamond::Green);
    }

    void checkNotAnsweredAfterAnEarlierAnswerKeepsTheSwitcher() {
        ModsimWindow site({"ip=127.0.0.2,switcher=10.1.1.1"}, DeviceListText({Loopback(2)}));
        QVERIFY2(site.Ready(), site.Why());
        auto& [modsim, settings, window] = site;
        SelectRow(*window, 0);
        ClickButton(*window, kCheckButton);
        QCOMPARE(RowTexts(*window, 0).at(3), QStringLiteral("Yes"));

        modsim.Stop();
        ModalOperator answers;
        ClickButton(*window, kCheckButton);
        QCOMPARE(answers.Seen().size(), std::size_t{1});
        QCOMPARE(answers.Seen()[0].text, QStringLiteral("Device is not responding!"));
        QCOMPARE(answers.Seen()[0].title, QStringLiteral("Vantrel"));
        QCOMPARE(answers.Seen()[0].icon, QMessageBox::Critical);
        QCOMPARE(RowTexts(*window, 0).mid(3), (QStringList{"No", "10.1.1.1"}));
        QCOMPARE(RowDiamond(*window, 0), Diamond::Red);
    }

    void checkAllMarksEveryRowWithoutMessageOrSelection() {
        // Nothing listens at 127.0.0.4: it fails at once.
        ModsimWindow site({"ip=127.0.0.2,switcher=10.0.0.7", "ip=127.0.0.3,ports=9101"},
                          DeviceListText({Loopback(2), Loopback(4), Loopback(3)}));
        QVERIFY2(site.Ready(), site.Why());
        auto& [modsim, settings, window] = site;
        SelectRow(*window, 2);
        ModalOperator answers;
        ClickButton(*window, kCheckAllButton);
        QVERIFY(answers.Seen().empty());
        QCOMPARE(RowTexts(*window, 0).mid(3), (QStringList{"Yes", "10.0.0.7"}));
        QCOMPARE(RowTexts(*window, 1).mid(3), (QStringList{"No", ""}));
        QCOMPARE(RowTexts(*window, 2).mid(3), (QStringList{"Yes", ""}));
        QCOMPARE(RowDiamond(*window, 0), Diamond::Green);
        QCOMPARE(RowDiamond(*window, 1), Diamond::Red);
        QCOMPARE(RowDiamond(*window, 2), Diamond::Green);
        QVERIFY(List(*window)->selectedItems().isEmpty());
        QVERIFY(!window->Control(kCheckButton)->isEnabled());
    }

    void checkAllTurnsADeviceThatFellSilentRed() {
        ModsimWindow site({"ip=127.0.0.2,switcher=10.1.1.1", "ip=127.0.0.3"},
                          DeviceListText({Loopback(2), Loopback(3)}));
        QVERIFY2(site.Ready(), site.Why());
        auto& [modsim, settings, window] = site;
        ModalOperator answers;
        ClickButton(*window, kCheckAllButton);
        QCOMPARE(RowDiamond(*window, 0), Diamond::Green);
        QCOMPARE(RowDiamond(*window, 1), Diamond::Green);

        modsim.Stop();
        ClickButton(*window, kCheckAllButton);
        QVERIFY(answers.Seen().empty());
        QCOMPARE(RowTexts(*window, 0).mid(3), (QStringList{"No", "10.1.1.1"}));
        QCOMPARE(RowTexts(*window, 1).mid(3), (QStringList{"No", ""}));
        QCOMPARE(RowDiamond(*window, 0), Diamond::Red);
        QCOMPARE(RowDiamond(*window, 1), Diamond::Red);
        QCOMPARE(window->Devices()[0]->online, 0);
    }

    // With several exchanges at once (the default) a row shows its answer as soon as it comes,
    // while the selection and the buttons stay as they were until the end; with CheckJobs=1 the
    // devices are asked one after another and the rows change only at the end.
    void checkAllShowsEachAnswerAsItComesUnlessAskedOneByOne() {
        Modsim modsim({"ip=127.0.0.2,reply=delay:900", "ip=127.0.0.3,switcher=10.0.0.3"});
        QVERIFY2(modsim.Ready(), modsim.Error());
        for (const QString& jobs : {QString(), QStringLiteral("[Config]\nCheckJobs=1\n")}) {
            TempSettings settings(jobs + DeviceListText({Loopback(3), Loopback(2)}));
            auto window = OpenWindow(AdapterList({Loopback(1)}));
            QVERIFY(window);
            SelectRow(*window, 0);
            ModalOperator answers;
            QStringList midway;
            Diamond slowMidway = Diamond::None;
            bool checkEnabledMidway = false;
            QTimer::singleShot(450, window.get(), [&] {
                midway = RowTexts(*window, 0);
                slowMidway = RowDiamond(*window, 1);
                checkEnabledMidway = window->Control(kCheckButton)->isEnabled();
            });
            QElapsedTimer clock;
            clock.start();
            ClickButton(*window, kCheckAllButton);
            QVERIFY(clock.elapsed() >= 850);
            QVERIFY(answers.Seen().empty());
            QCOMPARE(slowMidway, Diamond::Grey);
            QVERIFY(checkEnabledMidway);
            if (jobs.isEmpty())
                QCOMPARE(midway.mid(3), (QStringList{"Yes", "10.0.0.3"}));
            else
                QCOMPARE(midway.mid(3), (QStringList{"", ""}));
            QCOMPARE(RowTexts(*window, 0).mid(3), (QStringList{"Yes", "10.0.0.3"}));
            QCOMPARE(RowTexts(*window, 1).at(3), QStringLiteral("Yes"));
            QVERIFY(List(*window)->selectedItems().isEmpty());
        }
    }

    void answerTextsFollowTheLanguage() {
        ModsimWindow site({"ip=127.0.0.2"}, QStringLiteral("[Layout]\nLanguage=0\n") +
                                                DeviceListText({Loopback(2), Loopback(4)}));
        QVERIFY2(site.Ready(), site.Why());
        auto& [modsim, settings, window] = site;
        ClickButton(*window, kCheckAllButton);
        QTest::keyClick(window->Control(kLanguageBox), Qt::Key_Down);
        QCOMPARE(RowTexts(*window, 0).at(3), QStringLiteral("Да"));
        QCOMPARE(RowTexts(*window, 1).at(3), QStringLiteral("Нет"));
    }

    void whileWaitingTheWindowRepaintsButDropsInput() {
        ModsimWindow site({"ip=127.0.0.2,reply=delay:700"},
                          DeviceListText({Loopback(2), Loopback(4)}), {Loopback(1), Loopback(9)});
        QVERIFY2(site.Ready(), site.Why());
        auto& [modsim, settings, window] = site;
        SelectRow(*window, 0);
        PaintCounter counter;
        window->installEventFilter(&counter);
        ModalOperator answers;

        bool sawWaitCursor = false;
        int paintsBefore = -1;
        QTimer::singleShot(150, window.get(), [&] {
            sawWaitCursor = QApplication::overrideCursor() != nullptr &&
                            QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            paintsBefore = counter.paints;
            window->update();
            // The operator picks another adapter, clicks on, presses Delete and tries to close
            // the window.
            QTest::keyClick(window->Control(kAdapterBox), Qt::Key_Down);
            SelectRow(*window, 1);
            ClickButton(*window, kCheckAllButton);
            QTest::keyClick(window->Control(kDeviceList), Qt::Key_Delete);
            ClickButton(*window, kCloseButton);
            window->close();
        });
        QElapsedTimer clock;
        clock.start();
        ClickButton(*window, kCheckButton);
        QVERIFY(clock.elapsed() >= 600);
        QVERIFY(sawWaitCursor);
        QVERIFY(paintsBefore >= 0);
        QVERIFY(counter.paints > paintsBefore);
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // Only the Check ran: the second device was never asked, nothing was removed, no
        // question was shown, and the window is still open.
        QCOMPARE(RowTexts(*window, 0).at(3), QStringLiteral("Yes"));
        QCOMPARE(window->Devices().size(), std::size_t{2});
        QCOMPARE(window->Devices()[1]->tested, 0);
        QVERIFY(answers.Seen().empty());
        QVERIFY(window->isVisible());
        QCOMPARE(window->LocalAddress(), Loopback(1));
        QCOMPARE(static_cast<QComboBox*>(window->Control(kAdapterBox))->currentIndex(), 0);
        // Afterwards the window takes input again.
        ClickButton(*window, kCheckAllButton);
        QCOMPARE(window->Devices()[1]->tested, 1);
    }
};

QTEST_MAIN(MainWindowCheckTest)
#include "main_window_check_test.moc"
