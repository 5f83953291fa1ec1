// Add from the main window on the private test network: the real wizard searches the segment,
// gives a module found at a factory address (it answers by broadcast) a new address, and the
// window lists and checks the device there. Runs inside the panel namespace; vantrel-modsim
// plays the modules on the device side and records what reached them.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "app/localized_strings.h"
#include "sim/harness/test_network.h"
#include "tests/ui/modal_script.h"
#include "tests/ui/ui_modsim.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_dialog_template.h"
#include "widgets/exchange_scope.h"
#include "widgets/ip_address_edit.h"
#include "wizard/page_tibbo_add_configure.h"
#include "wizard/page_tibbo_add_direct.h"
#include "wizard/page_tibbo_add_list.h"
#include "wizard/tibbo_add_wizard.h"
#include "wizard/wizard_template.h"

using namespace uitest;

namespace {

constexpr const char* kPanel = "198.18.0.1";
constexpr const char* kFactoryModule =
    "ip=198.18.1.20,mac=00:0A:1B:2C:3D:01,gateway=198.18.1.1,switcher=10.1.1.1,hello-to=broadcast";
constexpr const char* kListedModule = "ip=198.18.0.7,mac=00:0A:1B:2C:3D:02,switcher=10.2.2.2";

std::uint32_t Ip(const char* text) {
    std::uint32_t address = 0;
    netconfig::ParseIpAddress(text, address);
    return address;
}

// "<ms> <from> <to> <HEX>" lines, as "<from> <to> <HEX>".
QStringList Captured(const QString& path) {
    QFile file(path);
    QStringList lines;
    if (!file.open(QIODevice::ReadOnly)) return lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() == 4)
            lines << QString::fromLatin1(fields[1] + ' ' + fields[2] + ' ' + fields[3]);
    }
    return lines;
}

void Type(const QString& text) {
    for (const QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

// Acts on the wizard once its search has ended and `ready` holds, from a timer of its own, so
// the act never runs nested inside the search's idle processing. Gives up after ten seconds.
ModalScript::Step WhenSearched(std::function<bool(CTibboAddWizard&)> ready,
                               std::function<void(CTibboAddWizard&)> act) {
    return [ready, act](QWidget& window) {
        auto* wizard = qobject_cast<CTibboAddWizard*>(&window);
        if (wizard == nullptr) {
            window.close();
            return;
        }
        auto* poll = new QTimer(wizard);
        auto waited = std::make_shared<int>(0);
        QObject::connect(poll, &QTimer::timeout, wizard, [=] {
            if (ExchangeScope::Active()) return;
            *waited += 50;
            if (*waited > 10000) {
                poll->stop();
                wizard->reject();
                return;
            }
            if (!ready(*wizard)) return;
            poll->stop();
            act(*wizard);
            // A run the act did not finish ends here, so the test goes on and fails on what it
            // sees.
            if (wizard->isVisible()) wizard->reject();
        });
        poll->start(50);
    };
}

bool Listed(CTibboAddWizard& wizard, int rows) {
    auto& list = *static_cast<QTreeWidget*>(wizard.ListPage().Control(add_wizard::kModuleList));
    return list.topLevelItemCount() == rows;
}

}  // namespace

class AddCommandTestnetTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        std::string why;
        // Not a skip: outside the test network this program must not send at all.
        QVERIFY2(harness::InsideTestNetworkPanel(why), why.c_str());
    }
    void init() { app::SetLanguage(app::kEnglish); }

    void picksAFactoryModuleGivesItAnAddressAndChecksItThere() {
        ModsimWindow site({kFactoryModule, kListedModule}, DeviceListText({Ip("198.18.0.7")}),
                          {Ip(kPanel)}, Modsim::Where::kTestNetwork);
        QVERIFY2(site.Ready(), site.Why());
        auto& [modsim, settings, window] = site;
        ModalScript script({WhenSearched([](CTibboAddWizard& wizard) { return Listed(wizard, 2); },
                                         [](CTibboAddWizard& wizard) {
                                             // The listed module's MAC differs from the stored one,
                                             // so both modules are shown, sorted by MAC: the
                                             // factory module first. Picked from the keyboard.
                                             auto* list =
                                                 wizard.ListPage().Control(add_wizard::kModuleList);
                                             list->setFocus();
                                             QTest::keyClick(list, Qt::Key_Down);
                                             wizard.button(QWizard::NextButton)->click();
                                             if (wizard.currentId() != add_wizard::kConfigurePage)
                                                 return;
                                             CIpAddressEdit& address =
                                                 wizard.ConfigurePage().AddressField();
                                             address.Field(0)->setFocus();
                                             address.Field(0)->selectAll();
                                             Type(QStringLiteral("198.18.0.50"));
                                             wizard.button(QWizard::NextButton)->click();
                                             if (wizard.currentId() == add_wizard::kFinishPage)
                                                 wizard.button(QWizard::FinishButton)->click();
                                         })});
        ClickButton(*window, main_dialog::kAddButton);
        QCOMPARE(script.Seen(), QStringList{"CTibboAddWizard"});

        QCOMPARE(window->Devices().size(), std::size_t{2});
        QCOMPARE(RowTexts(*window, 1).mid(1, 3),
                 (QStringList{"00:0A:1B:2C:3D:01", "198.18.0.50", "Yes"}));
        QVERIFY(settings.Text().contains(QStringLiteral("MAC1=00:0A:1B:2C:3D:01")));
        QVERIFY(settings.Text().contains(QStringLiteral("IP1=") + SettingsInt(Ip("198.18.0.50"))));

        const QStringList wire = Captured(modsim.CapturePath());
        const QString list = QStringLiteral("57695A6E4C695374000C") + QString(32, QLatin1Char('0'));
        QVERIFY(wire.contains("198.18.0.1:9100 255.255.255.255:9100 " + list));
        QVERIFY(wire.contains("198.18.0.1:9101 255.255.255.255:9101 " + list));
        // "TiBbsEtA", the MAC, 198.18.0.50, the mask and gateway as the module reported them.
        const QString settingsRequest = QStringLiteral(
            "5469426273457441"
            "000A1B2C3D01"
            "C6120032"
            "FFFFFF00"
            "C6120101");
        QVERIFY(wire.contains("198.18.0.1:9100 255.255.255.255:9100 " + settingsRequest));
        QVERIFY(wire.contains("198.18.0.1:9101 255.255.255.255:9101 " + settingsRequest));
        bool checkedThere = false;
        for (const QString& line : wire)
            checkedThere |= line.startsWith("198.18.0.1:9100 198.18.0.50:9100 57695A6E496E5472");
        QVERIFY(checkedThere);
    }

    void aTypedAddressBecomesThe128thDeviceAndAddIsThenDisabled() {
        std::vector<std::uint32_t> listed;
        for (int i = 0; i < 127; ++i)
            listed.push_back(Ip("10.0.0.1") + (static_cast<std::uint32_t>(i) << 24));
        ModsimWindow site({kListedModule}, DeviceListText(listed), {Ip(kPanel)},
                          Modsim::Where::kTestNetwork);
        QVERIFY2(site.Ready(), site.Why());
        auto& [modsim, settings, window] = site;
        QVERIFY(window->Control(main_dialog::kAddButton)->isEnabled());
        ModalScript script({WhenSearched([](CTibboAddWizard& wizard) { return Listed(wizard, 1); },
                                         [](CTibboAddWizard& wizard) {
                                             static_cast<QCheckBox*>(wizard.ListPage().Control(
                                                                         add_wizard::kNotListedBox))
                                                 ->click();
                                             wizard.button(QWizard::NextButton)->click();
                                             CIpAddressEdit& address =
                                                 wizard.DirectPage().AddressField();
                                             address.Field(0)->setFocus();
                                             Type(QStringLiteral("198.18.0.99"));
                                             wizard.button(QWizard::NextButton)->click();
                                             if (wizard.currentId() == add_wizard::kFinishPage)
                                                 wizard.button(QWizard::FinishButton)->click();
                                         }),
                            PressButton(QMessageBox::Ok)});
        ClickButton(*window, main_dialog::kAddButton);
        // Nothing answers at the typed address: the Check that ends Add says so.
        QCOMPARE(script.Seen(), (QStringList{"CTibboAddWizard", "Device is not responding!"}));
        QCOMPARE(window->Devices().size(), std::size_t{128});
        QCOMPARE(RowTexts(*window, 127).mid(1, 3), (QStringList{"", "198.18.0.99", "No"}));
        QVERIFY(!window->Control(main_dialog::kAddButton)->isEnabled());
        QVERIFY(settings.Text().contains(QStringLiteral("Total=128")));
    }
};

QTEST_MAIN(AddCommandTestnetTest)
#include "add_command_testnet_test.moc"
