// The add-device wizard on its own, offscreen, with a module source of the test's own: what the
// pages show, which addresses they take, when they broadcast, and how the run can end.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "app/localized_strings.h"
#include "netconfig/address_text.h"
#include "tests/ui/ui_test_support.h"
#include "widgets/ip_address_edit.h"
#include "wizard/page_tibbo_add_configure.h"
#include "wizard/page_tibbo_add_direct.h"
#include "wizard/page_tibbo_add_list.h"
#include "wizard/tibbo_add_wizard.h"
#include "wizard/wizard_template.h"

using namespace add_wizard;
using uitest::ModalOperator;

namespace {

std::uint32_t Ip(const char* text) {
    std::uint32_t address = 0;
    netconfig::ParseIpAddress(text, address);
    return address;
}

netconfig::ModuleHelloRecord Module(std::uint8_t macLast, const char* ip,
                                    const char* mask = "255.255.255.0",
                                    const char* gateway = "192.168.1.1") {
    netconfig::ModuleHelloRecord record;
    record.SetMac({0x00, 0x0A, 0x1B, 0x2C, 0x3D, macLast});
    record.SetIp(Ip(ip));
    record.SetMask(Ip(mask));
    record.SetGateway(Ip(gateway));
    return record;
}

// What the wizard asked of the segment.
struct FakeSegment {
    std::vector<netconfig::ModuleHelloRecord> modules;
    bool listResult = true;
    int searches = 0;
    std::uint32_t searchedFrom = 0;
    std::uint16_t queryCode = 0;
    struct Settings {
        std::uint32_t from;
        netconfig::MacAddress mac;
        std::uint32_t ip, mask, gateway;
    };
    std::vector<Settings> sent;

    ModuleSource Source() {
        ModuleSource source;
        source.listModules = [this](std::uint32_t local, std::uint16_t code,
                                    std::vector<netconfig::ModuleHelloRecord>& found) {
            ++searches;
            searchedFrom = local;
            queryCode = code;
            found = modules;
            return listResult;
        };
        source.setModuleNetwork = [this](std::uint32_t local, const netconfig::MacAddress& mac,
                                         std::uint32_t ip, std::uint32_t mask,
                                         std::uint32_t gateway) {
            sent.push_back({local, mac, ip, mask, gateway});
            return true;
        };
        return source;
    }
};

// A wizard over a segment with these modules, as the main window sets it up.
struct OpenWizard {
    explicit OpenWizard(std::vector<netconfig::ModuleHelloRecord> modules, bool listResult = true)
        : wizard(nullptr, segment.Source()) {
        segment.modules = std::move(modules);
        segment.listResult = listResult;
        wizard.localAdapter = Ip("192.168.1.5");
        wizard.queryCode = netconfig::kWizardQueryCode;
        wizard.knownAddresses = {Ip("192.168.1.30")};
        wizard.knownMacs = {"00:0A:1B:2C:3D:01"};
    }
    // Shown, and the first search done.
    bool Show() {
        wizard.show();
        wizard.activateWindow();
        return QTest::qWaitForWindowExposed(&wizard) &&
               QTest::qWaitFor([&] { return segment.searches == 1; }, 5000);
    }
    QTreeWidget& List() const {
        return *static_cast<QTreeWidget*>(wizard.ListPage().Control(kModuleList));
    }
    QAbstractButton& Button(QWizard::WizardButton which) const { return *wizard.button(which); }
    bool NextEnabled() const {
        return Button(QWizard::NextButton).isVisible() && Button(QWizard::NextButton).isEnabled();
    }
    void SelectRow(int row) const { List().setCurrentItem(List().topLevelItem(row)); }
    void Next() const { Button(QWizard::NextButton).click(); }

    FakeSegment segment;
    CTibboAddWizard wizard;
};

QStringList Rows(const QTreeWidget& list) {
    QStringList rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i)
        rows << list.topLevelItem(i)->text(0) + " " + list.topLevelItem(i)->text(1);
    return rows;
}

// The numbers given, the remaining fields blank.
void Fill(CIpAddressEdit& field, const QString& dotted) {
    field.ClearAddress();
    const QStringList parts = dotted.split('.', Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i) field.Field(i)->setText(parts[i]);
}

QStringList Texts(const std::vector<uitest::SeenBox>& boxes) {
    QStringList texts;
    for (const auto& box : boxes) texts << box.text;
    return texts;
}

}  // namespace

class AddWizardTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app::SetLanguage(app::kEnglish); }

    void addressValidity_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("valid");
        QTest::newRow("loopback") << "127.0.0.1" << false;
        QTest::newRow("first octet 0") << "0.1.2.3" << false;
        QTest::newRow("multicast") << "224.0.0.1" << false;
        QTest::newRow("last octet 0") << "10.0.0.0" << false;
        QTest::newRow("last octet 255") << "10.0.0.255" << false;
        QTest::newRow("plain") << "10.0.0.1" << true;
        QTest::newRow("highest class C") << "223.255.255.254" << true;
        QTest::newRow("middle octets free") << "126.0.255.1" << true;
        QTest::newRow("128") << "128.0.0.1" << true;
    }
    void addressValidity() {
        QFETCH(QString, address);
        QFETCH(bool, valid);
        QCOMPARE(IsValidDeviceAddress(Ip(address.toLatin1().constData())), valid);
    }

    void firstSearchListsUnknownModulesSortedByMac() {
        OpenWizard open({Module(0x03, "192.168.1.33"), Module(0x01, "192.168.1.31"),
                         Module(0xA2, "10.0.0.7"), Module(0x02, "192.168.1.30")});
        ModalOperator noBox;
        QVERIFY(open.Show());
        QCOMPARE(open.wizard.windowTitle(), QStringLiteral("Add device"));
        QCOMPARE(open.segment.searchedFrom, Ip("192.168.1.5"));
        QCOMPARE(open.segment.queryCode, std::uint16_t{12});
        // The listed MAC is gone; the listed address (but new MAC) stays.
        QCOMPARE(Rows(open.List()),
                 (QStringList{"00:0A:1B:2C:3D:02 192.168.1.30", "00:0A:1B:2C:3D:03 192.168.1.33",
                              "00:0A:1B:2C:3D:A2 10.0.0.7"}));
        QCOMPARE(open.List().headerItem()->text(0), QStringLiteral("MAC"));
        QCOMPARE(open.List().columnWidth(1), 140);
        QVERIFY(!open.NextEnabled());
        QVERIFY(!open.Button(QWizard::BackButton).isEnabled() ||
                !open.Button(QWizard::BackButton).isVisible());
        QVERIFY(noBox.Seen().empty());
        // Refresh searches again; the timer never does.
        QTest::qWait(50);
        QCOMPARE(open.segment.searches, 1);
        static_cast<QAbstractButton*>(open.wizard.ListPage().Control(kRefreshButton))->click();
        QCOMPARE(open.segment.searches, 2);
    }

    void aFailedSearchShowsWhatArrivedThenSays10105() {
        OpenWizard open({Module(0x05, "192.168.1.35")}, false);
        ModalOperator operatorAnswers;
        QVERIFY(open.Show());
        QTRY_COMPARE(operatorAnswers.Seen().size(), std::size_t{1});
        QCOMPARE(operatorAnswers.Seen()[0].text,
                 QStringLiteral("Ethernet adapter on this computer is not functioning properly!"));
        QCOMPARE(operatorAnswers.Seen()[0].icon, QMessageBox::Critical);
        QCOMPARE(open.List().topLevelItemCount(), 1);
    }

    void notListedBoxTakesTheSelectionAndTheListAway() {
        OpenWizard open({Module(0x05, "192.168.1.35")});
        QVERIFY(open.Show());
        auto& box = *static_cast<QCheckBox*>(open.wizard.ListPage().Control(kNotListedBox));
        open.SelectRow(0);
        QVERIFY(open.NextEnabled());
        box.click();
        QVERIFY(open.List().selectedItems().isEmpty());
        QCOMPARE(open.wizard.ListPage().Selected(), -1);
        QVERIFY(!open.List().isEnabled());
        QVERIFY(!open.wizard.ListPage().Control(kRefreshButton)->isEnabled());
        QVERIFY(open.NextEnabled());
        box.click();
        QVERIFY(open.List().isEnabled());
        QVERIFY(!open.NextEnabled());
        // Checked again, Next goes to the Direct page.
        box.click();
        open.Next();
        QCOMPARE(open.wizard.currentId(), int(kDirectPage));
    }

    void directEntryRefusesBadAndListedAddressesAndAddsWithAnEmptyMac() {
        OpenWizard open({});
        QVERIFY(open.Show());
        static_cast<QCheckBox*>(open.wizard.ListPage().Control(kNotListedBox))->click();
        open.Next();
        CIpAddressEdit& field = open.wizard.DirectPage().AddressField();
        ModalOperator operatorAnswers;
        for (const QString& silent :
             {QString(), QStringLiteral("10.0.0"), QStringLiteral("0.0.0.0")}) {
            Fill(field, silent);
            open.Next();
        }
        QVERIFY(operatorAnswers.Seen().empty());
        Fill(field, "127.0.0.1");
        open.Next();
        Fill(field, "192.168.1.30");
        open.Next();
        QCOMPARE(Texts(operatorAnswers.Seen()),
                 (QStringList{"Invalid IP address!", "Selected IP address is already used!"}));
        QCOMPARE(operatorAnswers.Seen()[0].icon, QMessageBox::Critical);
        QCOMPARE(operatorAnswers.Seen()[1].icon, QMessageBox::Warning);
        QCOMPARE(open.wizard.currentId(), int(kDirectPage));
        QCOMPARE(open.wizard.deviceAdded, 0u);

        Fill(field, "192.168.1.40");
        open.Next();
        QCOMPARE(open.wizard.currentId(), int(kFinishPage));
        QCOMPARE(open.wizard.deviceAdded, 1u);
        QCOMPARE(open.wizard.helloRecord.Ip(), Ip("192.168.1.40"));
        QCOMPARE(netconfig::FormatMacAddress(open.wizard.helloRecord.Mac()), std::string());
        QVERIFY(open.segment.sent.empty());
    }

    void configureSendsOnlyAChangeAndAcceptsAnEmptyMask() {
        OpenWizard open({Module(0x05, "192.168.1.35")});
        QVERIFY(open.Show());
        open.SelectRow(0);
        open.Next();
        QCOMPARE(open.wizard.currentId(), int(kConfigurePage));
        CPageTibboAddConfigure& page = open.wizard.ConfigurePage();
        QCOMPARE(page.AddressField().Field(3)->text(), QStringLiteral("35"));
        QCOMPARE(page.MaskField().Field(0)->text(), QStringLiteral("255"));
        QCOMPARE(page.GatewayField().Field(3)->text(), QStringLiteral("1"));

        Fill(page.MaskField(), "0.0.0.0");
        Fill(page.AddressField(), "192.168.1.60");
        open.Next();
        QCOMPARE(open.wizard.currentId(), int(kFinishPage));
        QCOMPARE(open.segment.sent.size(), std::size_t{1});
        QCOMPARE(open.segment.sent[0].from, Ip("192.168.1.5"));
        QCOMPARE(netconfig::FormatMacAddress(open.segment.sent[0].mac),
                 std::string("00:0A:1B:2C:3D:05"));
        QCOMPARE(open.segment.sent[0].ip, Ip("192.168.1.60"));
        QCOMPARE(open.segment.sent[0].mask, 0u);
        QCOMPARE(open.segment.sent[0].gateway, Ip("192.168.1.1"));
        QCOMPARE(open.wizard.helloRecord.Ip(), Ip("192.168.1.60"));
        QCOMPARE(open.wizard.helloRecord.Mask(), 0u);
    }

    void configureUnchangedGoesStraightToFinishWithoutABroadcast() {
        OpenWizard open({Module(0x05, "192.168.1.35")});
        QVERIFY(open.Show());
        open.SelectRow(0);
        open.Next();
        open.Next();
        QCOMPARE(open.wizard.currentId(), int(kFinishPage));
        QVERIFY(open.segment.sent.empty());
        QCOMPARE(open.wizard.helloRecord.Ip(), Ip("192.168.1.35"));
    }

    void configureRefusesTheModulesOwnAddressWhenItIsListed() {
        OpenWizard open({Module(0x05, "192.168.1.30")});
        QVERIFY(open.Show());
        open.SelectRow(0);
        open.Next();
        ModalOperator operatorAnswers;
        open.Next();
        QCOMPARE(Texts(operatorAnswers.Seen()),
                 QStringList{"Selected IP address is already used!"});
        QCOMPARE(open.wizard.currentId(), int(kConfigurePage));
        QVERIFY(open.segment.sent.empty());
    }

    void backReturnsToTheListAsItWasAndDirectEntryDropsThePickedModule() {
        OpenWizard open({Module(0x05, "192.168.1.35"), Module(0x06, "192.168.1.36")});
        QVERIFY(open.Show());
        open.SelectRow(1);
        open.Next();
        open.Button(QWizard::BackButton).click();
        QCOMPARE(open.wizard.currentId(), int(kListPage));
        QCOMPARE(open.wizard.ListPage().Selected(), 1);
        QCOMPARE(open.List().topLevelItemCount(), 2);
        QCOMPARE(open.segment.searches, 1);
        static_cast<QCheckBox*>(open.wizard.ListPage().Control(kNotListedBox))->click();
        open.Next();
        Fill(open.wizard.DirectPage().AddressField(), "192.168.1.70");
        open.Next();
        // The module looked at is not the device typed in: no MAC comes with the address.
        QCOMPARE(netconfig::FormatMacAddress(open.wizard.helloRecord.Mac()), std::string());
        QCOMPARE(open.wizard.helloRecord.Ip(), Ip("192.168.1.70"));
        QCOMPARE(open.wizard.helloRecord.Mask(), 0u);
    }

    void enterEscapeAndTheCloseBoxNeverEndTheRun() {
        OpenWizard open({Module(0x05, "192.168.1.35")});
        QVERIFY(open.Show());
        open.SelectRow(0);
        open.List().setFocus();
        for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(&open.List(), Qt::Key(key));
            QTest::keyClick(&open.Button(QWizard::NextButton), Qt::Key(key));
            QTest::keyClick(&open.Button(QWizard::CancelButton), Qt::Key(key));
        }
        QVERIFY(!open.wizard.close());
        QVERIFY(open.wizard.isVisible());
        QCOMPARE(open.wizard.currentId(), int(kListPage));

        open.Next();
        open.Next();
        QCOMPARE(open.wizard.currentId(), int(kFinishPage));
        QVERIFY(!open.Button(QWizard::CancelButton).isEnabled());
        QVERIFY(!open.Button(QWizard::BackButton).isVisible());
        QTest::keyClick(&open.Button(QWizard::FinishButton), Qt::Key_Return);
        QTest::keyClick(&open.wizard, Qt::Key_Escape);
        QVERIFY(open.wizard.isVisible());
        open.Button(QWizard::FinishButton).click();
        QVERIFY(!open.wizard.isVisible());
        QCOMPARE(open.wizard.result(), int(QDialog::Accepted));
    }

    void theFirstArrowKeyPicksTheFirstModule() {
        OpenWizard open({Module(0x05, "192.168.1.35"), Module(0x06, "192.168.1.36")});
        QVERIFY(open.Show());
        open.List().setFocus();
        QTest::keyClick(&open.List(), Qt::Key_Down);
        QCOMPARE(open.wizard.ListPage().Selected(), 0);
        QTest::keyClick(&open.List(), Qt::Key_Down);
        QCOMPARE(open.wizard.ListPage().Selected(), 1);
    }

    void pagesAreCaptionedInTheLanguageTheWizardOpensIn() {
        app::SetLanguage(app::kRussian);
        OpenWizard open({});
        QVERIFY(open.Show());
        QCOMPARE(open.wizard.windowTitle(), QStringLiteral("Добавить устройство"));
        QCOMPARE(
            static_cast<QAbstractButton*>(open.wizard.ListPage().Control(kRefreshButton))->text(),
            QStringLiteral("Обновить"));
        QCOMPARE(
            static_cast<QLabel*>(open.wizard.DirectPage().Control(kDirectAddressLabel))->text(),
            QStringLiteral("IP адрес"));
        // The column headings are read without the language offset.
        QCOMPARE(open.List().headerItem()->text(1), QStringLiteral("IP"));
    }
};

QTEST_MAIN(AddWizardTest)
#include "add_wizard_test.moc"
