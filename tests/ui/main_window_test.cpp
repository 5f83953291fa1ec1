// The main window without exchanges: what it shows when it opens, the availability of its
// commands, the adapter and language choices, Remove, and the keys.
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QWizard>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "app/control_panel_app.h"
#include "app/localized_strings.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_dialog_template.h"
#include "ui/panel_startup.h"
#include "widgets/platform_texts.h"

using namespace uitest;
using namespace main_dialog;

namespace {

QString Caption(const CControlPanelDlg& window, int id) {
    return static_cast<QPushButton*>(window.Control(id))->text();
}

QStringList Headers(const CControlPanelDlg& window) {
    auto* list = static_cast<QTreeWidget*>(window.Control(kDeviceList));
    QStringList headers;
    for (int column = 0; column < list->columnCount(); ++column)
        headers << list->headerItem()->text(column);
    return headers;
}

int RowCount(const CControlPanelDlg& window) {
    return static_cast<QTreeWidget*>(window.Control(kDeviceList))->topLevelItemCount();
}

// Selects row 0 and presses Delete; the question the operator saw, answered with `answer`. An
// empty box when none or more than one showed.
SeenBox RemoveQuestionForFirstRow(CControlPanelDlg& window, QMessageBox::StandardButton answer) {
    SelectRow(window, 0);
    ModalOperator answers(answer);
    QTest::keyClick(window.Control(kDeviceList), Qt::Key_Delete);
    return answers.Seen().size() == 1 ? answers.Seen()[0] : SeenBox{};
}

QList<int> SelectedRows(const QTreeWidget& list) {
    QList<int> rows;
    for (const QModelIndex& index : list.selectionModel()->selectedRows()) rows << index.row();
    return rows;
}

// The device list of an active window with the keyboard focus, as the operator finds it after
// the window opened: nothing selected, and row 0 current.
QTreeWidget* FocusedList(CControlPanelDlg& window) {
    auto* list = static_cast<QTreeWidget*>(window.Control(kDeviceList));
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) return nullptr;
    list->setFocus();
    if (QApplication::focusWidget() != list || !list->selectedItems().isEmpty()) return nullptr;
    if (list->currentIndex().row() != 0) return nullptr;
    return list;
}

std::vector<std::uint32_t> Devices(int count) {
    std::vector<std::uint32_t> addresses;
    for (int n = 0; n < count; ++n) addresses.push_back(Loopback(2 + n % 250));
    return addresses;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        app::SetLanguage(app::kEnglish);
        UsePlatformTexts(app::kEnglish);
    }

    void opensWithStoredDevicesNotYetAsked() {
        TempSettings settings(
            QStringLiteral(
                "[Layout]\nLanguage=0\n[List]\nTotal=2\nIP0=%1\nMAC0=00:0a:1b:2c:3d:4e\nIP1=%2\n")
                .arg(SettingsInt(Loopback(2)), SettingsInt(Loopback(3))));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Control Panel Configuration"));
        QVERIFY(!window->windowIcon().isNull());
        QCOMPARE(Headers(*window),
                 (QStringList{"#", "MAC", "IP", "Online", "Switcher IP address"}));
        // A MAC typed by hand in lower case is shown as it is; a missing one is empty.
        QCOMPARE(RowTexts(*window, 0),
                 (QStringList{"1", "00:0a:1b:2c:3d:4e", "127.0.0.2", "", ""}));
        QCOMPARE(RowTexts(*window, 1), (QStringList{"2", "", "127.0.0.3", "", ""}));
        QCOMPARE(RowDiamond(*window, 0), Diamond::Grey);
        QVERIFY(RowImageCornerTransparent(*window, 0));
        auto* list = static_cast<QTreeWidget*>(window->Control(kDeviceList));
        QVERIFY(list->selectedItems().isEmpty());
        QCOMPARE(Caption(*window, kCheckAllButton), QStringLiteral("Check All"));
        QVERIFY(window->Control(kSetupButton)->isVisible());
        QVERIFY(!window->Control(kIpOutputButton)->isVisible());
        QVERIFY(!window->Control(kRemoteButton)->isVisible());
        auto* language = static_cast<QComboBox*>(window->Control(kLanguageBox));
        QCOMPARE(language->count(), 2);
        QCOMPARE(language->itemText(0), QStringLiteral("English"));
        QCOMPARE(language->itemText(1), QStringLiteral("Russian"));
    }

    void availabilityFollowsAdapterSelectionAndListSize_data() {
        QTest::addColumn<bool>("adapter");
        QTest::addColumn<int>("devices");
        QTest::addColumn<bool>("select");
        // adapter box, Check, Check All, Setup, Add, Remove, Passport
        QTest::addColumn<QString>("enabled");
        QTest::newRow("no adapter, empty list") << false << 0 << false << "-------";
        QTest::newRow("no adapter, no selection") << false << 3 << false << "-------";
        QTest::newRow("no adapter, selection") << false << 3 << true << "-----R-";
        QTest::newRow("adapter, empty list") << true << 0 << false << "A---D--";
        QTest::newRow("adapter, no selection") << true << 3 << false << "A-C-D--";
        QTest::newRow("adapter, one device") << true << 1 << false << "A-C-D--";
        QTest::newRow("adapter, one device, selection") << true << 1 << true << "ABCSDRP";
        QTest::newRow("no adapter, one device") << false << 1 << false << "-------";
        QTest::newRow("adapter, selection") << true << 3 << true << "ABCSDRP";
        QTest::newRow("adapter, 127 devices") << true << 127 << true << "ABCSDRP";
        QTest::newRow("adapter, 128 devices") << true << 128 << true << "ABCS-RP";
        QTest::newRow("adapter, 128 devices, no selection") << true << 128 << false << "A-C----";
        QTest::newRow("adapter, 200 devices") << true << 200 << false << "A-C----";
    }

    void availabilityFollowsAdapterSelectionAndListSize() {
        QFETCH(bool, adapter);
        QFETCH(int, devices);
        QFETCH(bool, select);
        QFETCH(QString, enabled);
        TempSettings settings(DeviceListText(Devices(devices)));
        ModalOperator answers;
        auto window = OpenWindow(adapter ? AdapterList({Loopback(1)}) : NoAdapter());
        QVERIFY(window);
        QCOMPARE(RowCount(*window), devices);
        if (select) SelectRow(*window, devices - 1);
        const int ids[] = {kAdapterBox, kCheckButton,  kCheckAllButton, kSetupButton,
                           kAddButton,  kRemoveButton, kPassportButton};
        const QString letters = QStringLiteral("ABCSDRP");
        QString actual;
        for (int index = 0; index < 7; ++index)
            actual += window->Control(ids[index])->isEnabled() ? letters.at(index) : '-';
        QCOMPARE(actual, enabled);
        QVERIFY(window->Control(kLanguageBox)->isEnabled());
        QVERIFY(window->Control(kCloseButton)->isEnabled());
        QVERIFY(window->Control(kDeviceList)->isEnabled());
    }

    void withoutAdapterTheOperatorIsToldThenOnlyViewingAndRemove() {
        TempSettings settings(
            QStringLiteral("[Config]\nLocalIP=%1\n").arg(SettingsInt(Loopback(1))) +
            DeviceListText({Loopback(2), Loopback(3)}));
        ModalOperator answers(QMessageBox::Yes);
        auto window = OpenWindow(NoAdapter());
        QVERIFY(window);
        QCOMPARE(answers.Seen().size(), std::size_t{1});
        const SeenBox& box = answers.Seen()[0];
        QCOMPARE(box.text,
                 QStringLiteral("Ethernet adapter on this computer is not functioning properly!"));
        QCOMPARE(box.title, QStringLiteral("Vantrel"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(window->ChosenAdapter(), -1);
        QCOMPARE(static_cast<QComboBox*>(window->Control(kAdapterBox))->count(), 0);
        // Delete runs Remove, which needs no adapter.
        SelectRow(*window, 0);
        QTest::keyClick(window->Control(kDeviceList), Qt::Key_Delete);
        QCOMPARE(answers.Seen().size(), std::size_t{2});
        QCOMPARE(RowTexts(*window, 0).at(2), QStringLiteral("127.0.0.3"));
        QCOMPARE(RowCount(*window), 1);
        // The stored adapter is not rewritten when there is none to choose.
        QVERIFY(
            settings.Text().contains(QStringLiteral("LocalIP=%1").arg(SettingsInt(Loopback(1)))));
    }

    void storedAdapterThatStillExistsIsChosen() {
        const QString text = QStringLiteral("[Config]\nLocalIP=%1\n").arg(SettingsInt(Loopback(5)));
        TempSettings settings(text);
        auto window = OpenWindow(AdapterList({Loopback(1), Loopback(5)}));
        QVERIFY(window);
        QCOMPARE(window->ChosenAdapter(), 1);
        QCOMPARE(window->LocalAddress(), Loopback(5));
        auto* box = static_cast<QComboBox*>(window->Control(kAdapterBox));
        QCOMPARE(box->currentText(), QStringLiteral("127.0.0.5"));
        QCOMPARE(box->itemText(0), QStringLiteral("127.0.0.1"));
        QCOMPARE(settings.Text(), text);
    }

    void storedAdapterThatIsGoneGivesTheFirstAndIsWrittenBack() {
        TempSettings settings(
            QStringLiteral("[Config]\nLocalIP=%1\n").arg(SettingsInt(Loopback(9))));
        auto window = OpenWindow(AdapterList({Loopback(1), Loopback(5)}));
        QVERIFY(window);
        QCOMPARE(window->ChosenAdapter(), 0);
        QCOMPARE(window->LocalAddress(), Loopback(1));
        QCOMPARE(static_cast<QComboBox*>(window->Control(kAdapterBox))->currentText(),
                 QStringLiteral("127.0.0.1"));
        QVERIFY(
            settings.Text().contains(QStringLiteral("LocalIP=%1").arg(SettingsInt(Loopback(1)))));
    }

    void choosingAnAdapterWritesLocalIp() {
        TempSettings settings;
        auto window = OpenWindow(AdapterList({Loopback(1), Loopback(5)}));
        QVERIFY(window);
        QTest::keyClick(window->Control(kAdapterBox), Qt::Key_Down);
        QCOMPARE(window->ChosenAdapter(), 1);
        QCOMPARE(window->LocalAddress(), Loopback(5));
        QVERIFY(
            settings.Text().contains(QStringLiteral("LocalIP=%1").arg(SettingsInt(Loopback(5)))));
    }

    void anyStoredLanguageOtherThanZeroOpensRussian() {
        TempSettings settings(QStringLiteral("[Layout]\nLanguage=5\n") +
                              DeviceListText({Loopback(2)}));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        QCOMPARE(static_cast<QComboBox*>(window->Control(kLanguageBox))->currentIndex(), 1);
        QCOMPARE(Caption(*window, kCheckButton), QStringLiteral("Проверить"));
        QCOMPARE(Caption(*window, kCheckAllButton), QStringLiteral("Проверить все"));
        QCOMPARE(Headers(*window), (QStringList{"№", "MAC", "IP", "В сети", "IP адрес микшера"}));
        // The title is the same in both languages.
        QCOMPARE(window->windowTitle(), QStringLiteral("Control Panel Configuration"));
        // Opening does not write the language.
        QVERIFY(settings.Text().contains(QStringLiteral("Language=5")));
    }

    void switchingTheLanguageRecaptionsAtOnceAndWritesIt() {
        TempSettings settings(QStringLiteral("[Layout]\nLanguage=0\n"));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        QWidget* box = window->Control(kLanguageBox);
        QTest::keyClick(box, Qt::Key_Down);
        QCOMPARE(app::CurrentLanguage(), app::kRussian);
        const QStringList russian = {"Добавить",  "Удалить",       "Закрыть",  "Паспорт",
                                     "Проверить", "Проверить все", "Настройки"};
        QStringList captions;
        for (int id : kCaptionedButtons) captions << Caption(*window, id);
        QCOMPARE(captions, russian);
        QCOMPARE(Headers(*window).at(3), QStringLiteral("В сети"));
        QVERIFY(settings.Text().contains(QStringLiteral("Language=1")));
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(Caption(*window, kCloseButton), QStringLiteral("Close"));
        QCOMPARE(Headers(*window).at(4), QStringLiteral("Switcher IP address"));
        QVERIFY(settings.Text().contains(QStringLiteral("Language=0")));
    }

    void chosenLanguageIsKeptInLayoutAndTheNextStartOpensInIt() {
        // Another section's "Language" key must not count.
        TempSettings settings(QStringLiteral("[Config]\nLanguage=7\n[Layout]\nLanguage=0\n"));
        {
            auto window = OpenWindow(AdapterList({Loopback(1)}));
            QVERIFY(window);
            QTest::keyClick(window->Control(kLanguageBox), Qt::Key_Down);
        }
        QCOMPARE(
            SectionValue(settings.Text(), QStringLiteral("Layout"), QStringLiteral("Language")),
            QStringLiteral("1"));
        QCOMPARE(
            SectionValue(settings.Text(), QStringLiteral("Config"), QStringLiteral("Language")),
            QStringLiteral("7"));

        app::SetLanguage(app::kEnglish);
        auto next = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(next);
        QCOMPARE(static_cast<QComboBox*>(next->Control(kLanguageBox))->currentIndex(), 1);
        QCOMPARE(Caption(*next, kCloseButton), QStringLiteral("Закрыть"));
    }

    // Qt makes row 0 current when the list gets the focus; the keys still select as in the
    // desktop's list views.
    void listKeysWithNothingSelectedSelectTheFirstOrLastRow_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("selected");
        QTest::newRow("Down") << int(Qt::Key_Down) << 0;
        QTest::newRow("Up") << int(Qt::Key_Up) << 0;
        QTest::newRow("Home") << int(Qt::Key_Home) << 0;
        QTest::newRow("End") << int(Qt::Key_End) << 2;
        QTest::newRow("Page Down") << int(Qt::Key_PageDown) << 0;
        QTest::newRow("Page Up") << int(Qt::Key_PageUp) << 0;
        QTest::newRow("Space") << int(Qt::Key_Space) << 0;
    }

    void listKeysWithNothingSelectedSelectTheFirstOrLastRow() {
        QFETCH(int, key);
        QFETCH(int, selected);
        TempSettings settings(DeviceListText({Loopback(2), Loopback(3), Loopback(4)}));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        auto* list = FocusedList(*window);
        QVERIFY(list);
        QTest::keyClick(list, static_cast<Qt::Key>(key));
        QCOMPARE(SelectedRows(*list), QList<int>{selected});
        QCOMPARE(list->currentIndex().row(), selected);
        QVERIFY(window->Control(kCheckButton)->isEnabled());
    }

    void listKeysAfterASelectionMoveAsUsual() {
        TempSettings settings(DeviceListText({Loopback(2), Loopback(3), Loopback(4)}));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        auto* list = FocusedList(*window);
        QVERIFY(list);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(SelectedRows(*list), QList<int>{1});
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(SelectedRows(*list), QList<int>{2});
        QTest::keyClick(list, Qt::Key_Up);
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(SelectedRows(*list), QList<int>{1});
        // After a removal nothing is selected again, and Down starts from the top.
        {
            ModalOperator answers(QMessageBox::Yes);
            QTest::keyClick(list, Qt::Key_Delete);
            QCOMPARE(answers.Seen().size(), std::size_t{1});
        }
        QCOMPARE(SelectedRows(*list), QList<int>{});
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(SelectedRows(*list), QList<int>{0});
    }

    void listKeysInAnEmptyListSelectNothing() {
        TempSettings settings;
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        auto* list = static_cast<QTreeWidget*>(window->Control(kDeviceList));
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_End, Qt::Key_Space, Qt::Key_PageUp})
            QTest::keyClick(list, key);
        QCOMPARE(SelectedRows(*list), QList<int>{});
        QVERIFY(!window->Control(kRemoveButton)->isEnabled());
    }

    void platformTextsFollowTheInterfaceLanguage() {
        QVERIFY2(QFile::exists(InstalledPlatformTranslations() + QStringLiteral("/qtbase_ru.qm")),
                 "Qt's Russian translations are missing (scripts/install-deps installs them)");
        TempSettings settings(QStringLiteral("[Layout]\nLanguage=1\n") +
                              DeviceListText({Loopback(2)}));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        const SeenBox russian = RemoveQuestionForFirstRow(*window, QMessageBox::No);
        QCOMPARE(russian.buttonTexts, (QStringList{"&Да", "&Нет"}));
        QCOMPARE(russian.text, QStringLiteral("Удалить устройство с адресом 127.0.0.2 из списка?"));
        QWizard wizard;
        QCOMPARE(wizard.buttonText(QWizard::NextButton), QStringLiteral("&Далее >"));
        QFileDialog files;
        files.setOption(QFileDialog::DontUseNativeDialog);
        files.setAcceptMode(QFileDialog::AcceptSave);
        QCOMPARE(files.labelText(QFileDialog::Accept), QStringLiteral("&Сохранить"));
        // What the program fixes in English stays English.
        QCOMPARE(window->windowTitle(), QStringLiteral("Control Panel Configuration"));
        auto* language = static_cast<QComboBox*>(window->Control(kLanguageBox));
        QCOMPARE(language->itemText(0), QStringLiteral("English"));
        QCOMPARE(language->itemText(1), QStringLiteral("Russian"));

        // Back to English while the window is open: the next box speaks English throughout.
        QTest::keyClick(language, Qt::Key_Up);
        QCOMPARE(RemoveQuestionForFirstRow(*window, QMessageBox::No).buttonTexts,
                 (QStringList{"&Yes", "&No"}));
        QCOMPARE(QWizard().buttonText(QWizard::NextButton), QStringLiteral("&Next >"));
    }

    void withoutQtTranslationsPlatformTextsStayEnglish() {
        TempSettings settings(QStringLiteral("[Layout]\nLanguage=1\n") +
                              DeviceListText({Loopback(2)}));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        QTemporaryDir noTranslations;
        QVERIFY(!UsePlatformTexts(app::kRussian, noTranslations.path()));
        const SeenBox box = RemoveQuestionForFirstRow(*window, QMessageBox::Yes);
        QCOMPARE(box.buttonTexts, (QStringList{"&Yes", "&No"}));
        QCOMPARE(box.text, QStringLiteral("Удалить устройство с адресом 127.0.0.2 из списка?"));
        QCOMPARE(RowCount(*window), 0);
    }

    void removeAnsweredNoOrWithEnterChangesNothing() {
        TempSettings settings(DeviceListText({Loopback(2), Loopback(3), Loopback(4)}));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        const QString before = settings.Text();
        SelectRow(*window, 1);
        {
            ModalOperator answers(QMessageBox::No);
            ClickButton(*window, kRemoveButton);
            QCOMPARE(answers.Seen().size(), std::size_t{1});
            const SeenBox& box = answers.Seen()[0];
            QCOMPARE(box.text, QStringLiteral("Remove device 127.0.0.3 from the list?"));
            QCOMPARE(box.title, QStringLiteral("Vantrel"));
            QCOMPARE(box.icon, QMessageBox::Question);
            QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(box.defaultButton, QMessageBox::No);
        }
        {
            ModalOperator answers(QMessageBox::Yes, ModalOperator::Action::PressEnter);
            ClickButton(*window, kRemoveButton);
            QCOMPARE(answers.Seen().size(), std::size_t{1});
        }
        QCOMPARE(RowCount(*window), 3);
        QCOMPARE(settings.Text(), before);
    }

    void removeAnsweredYesDeletesTheRowAndSavesTheList() {
        TempSettings settings(DeviceListText({Loopback(2), Loopback(3), Loopback(4)}));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        SelectRow(*window, 0);
        ModalOperator answers(QMessageBox::Yes);
        ClickButton(*window, kRemoveButton);
        QCOMPARE(RowCount(*window), 2);
        QCOMPARE(RowTexts(*window, 0).mid(0, 3),
                 (QStringList{"1", "02:00:00:00:00:01", "127.0.0.3"}));
        QCOMPARE(RowTexts(*window, 1).mid(0, 3),
                 (QStringList{"2", "02:00:00:00:00:02", "127.0.0.4"}));
        QVERIFY(static_cast<QTreeWidget*>(window->Control(kDeviceList))->selectedItems().isEmpty());
        QVERIFY(!window->Control(kRemoveButton)->isEnabled());
        const QString text = settings.Text();
        QVERIFY(text.contains(QStringLiteral("Total=2")));
        QVERIFY(text.contains(QStringLiteral("IP0=%1").arg(SettingsInt(Loopback(3)))));
        QVERIFY(text.contains(QStringLiteral("IP1=%1").arg(SettingsInt(Loopback(4)))));
        // The old last pair stays beyond Total.
        QVERIFY(text.contains(QStringLiteral("IP2=%1").arg(SettingsInt(Loopback(4)))));
    }

    void russianRemoveQuestionKeepsTheApplicationTitle() {
        TempSettings settings(QStringLiteral("[Layout]\nLanguage=1\n") +
                              DeviceListText({Loopback(2)}));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        const SeenBox box = RemoveQuestionForFirstRow(*window, QMessageBox::No);
        QCOMPARE(box.text, QStringLiteral("Удалить устройство с адресом 127.0.0.2 из списка?"));
        QCOMPARE(box.title, QStringLiteral("Vantrel"));
    }

    void enterAndEscapeLeaveTheWindowOpen() {
        TempSettings settings(DeviceListText({Loopback(2)}));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        SelectRow(*window, 0);
        ModalOperator answers;
        const int targets[] = {kDeviceList, kLanguageBox, kAdapterBox, kCheckButton, kCloseButton};
        for (int id : targets) {
            window->Control(id)->setFocus();
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QTest::keyClick(window->Control(id), key);
        }
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QTest::keyClick(window.get(), Qt::Key_Return);
        QVERIFY(window->isVisible());
        QCOMPARE(window->result(), 0);
        // Enter on the focused Check button did not press it: nothing was asked, nothing shown.
        QVERIFY(answers.Seen().empty());
        QCOMPARE(RowTexts(*window, 0).at(3), QString());
    }

    void closeEndsTheModalRun() {
        TempSettings settings;
        CControlPanelDlg window(AdapterList({Loopback(1)}));
        QTimer::singleShot(0, &window, [&window] { ClickButton(window, kCloseButton); });
        QCOMPARE(window.exec(), static_cast<int>(QDialog::Rejected));
        QVERIFY(!window.isVisible());
    }

    void secondStartIsRefusedWithoutTouchingTheSettings() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("panel.ini"));
        platform::InstanceLock running;
        QVERIFY(running.Acquire(app::CControlPanelApp::kInstanceGuardName));
        int argc = 1;
        char name[] = "vantrel-panel";
        char* argv[] = {name, nullptr};
        PanelRunOptions options;
        options.settingsPath = path.toStdString();
        QCOMPARE(RunControlPanel(argc, argv, options), kPanelAlreadyRunning);
        QVERIFY(!QFile::exists(path));
        QVERIFY(QApplication::topLevelWidgets().isEmpty() ||
                std::none_of(QApplication::topLevelWidgets().begin(),
                             QApplication::topLevelWidgets().end(),
                             [](QWidget* widget) { return widget->isVisible(); }));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
