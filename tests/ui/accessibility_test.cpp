// Every window as assistive technology drives it: the test walks each window's accessibility
// tree and runs every action a control offers on one copy of the window, while a twin copy gets
// what the operator would do instead (a click on the control, or Tab for a focus action). After
// each step both copies must show the same state. (A list's toggle selects a row as a click
// does; on the one selected row it does nothing, as a click does, since a list of single choice
// keeps its choice.) The main window, the switcher address dialog, every page of
// the add wizard and the remote control panel are walked.
#include <functional>
#include <memory>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "app/localized_strings.h"
#include "netconfig/address_text.h"
#include "tests/ui/remote_test_support.h"
#include "tests/ui/ui_test_support.h"
#include "ui/switcher_address_dlg.h"
#include "widgets/ip_address_edit.h"
#include "wizard/page_tibbo_add_direct.h"
#include "wizard/page_tibbo_add_list.h"
#include "wizard/tibbo_add_wizard.h"
#include "wizard/wizard_template.h"

using namespace uitest;

namespace {

using Path = std::vector<int>;

QAccessibleInterface* Find(QWidget& window, const Path& path) {
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(&window);
    for (const int index : path) {
        if (node == nullptr) return nullptr;
        node = node->child(index);
    }
    return node;
}

// The widget a click on `node` lands in (an item view's viewport for its cells), and where.
std::pair<QWidget*, QPoint> ClickPlace(QAccessibleInterface& node) {
    QAccessibleInterface* owner = &node;
    while (owner != nullptr && qobject_cast<QWidget*>(owner->object()) == nullptr)
        owner = owner->parent();
    if (owner == nullptr) return {nullptr, {}};
    auto* widget = static_cast<QWidget*>(owner->object());
    if (auto* view = qobject_cast<QAbstractItemView*>(widget)) widget = view->viewport();
    return {widget, widget->mapFromGlobal(node.rect().center())};
}

// Shown, and a click on its middle would reach it (a list's row half scrolled out would not).
bool Shown(QAccessibleInterface& node) {
    const QAccessible::State state = node.state();
    if (state.invisible || state.offscreen) return false;
    const auto [widget, point] = ClickPlace(node);
    return widget != nullptr && widget->rect().contains(point);
}

// Every shown control below `node` that offers an action, in tree order.
void CollectTargets(QAccessibleInterface& node, Path& path, std::vector<Path>& targets) {
    for (int i = 0; i < node.childCount(); ++i) {
        QAccessibleInterface* child = node.child(i);
        if (child == nullptr || !Shown(*child)) continue;
        path.push_back(i);
        if (QAccessibleActionInterface* actions = child->actionInterface();
            actions != nullptr && !actions->actionNames().isEmpty())
            targets.push_back(path);
        CollectTargets(*child, path, targets);
        path.pop_back();
    }
}

// What the window shows: every widget's visibility, availability, text, check state, choice
// and list selection, and the window's own page and result. Focus is left out: a click gives
// a button the focus, an accessible press does not, and neither changes what the window does.
QStringList State(QWidget& window) {
    QStringList state;
    state << QStringLiteral("shown %1").arg(window.isVisible());
    if (auto* dialog = qobject_cast<QDialog*>(&window))
        state << QStringLiteral("result %1").arg(dialog->result());
    if (auto* wizard = qobject_cast<QWizard*>(&window))
        state << QStringLiteral("page %1").arg(wizard->currentId());
    if (auto* panel = qobject_cast<CRemoteControlWnd*>(&window)) {
        const protocol::CModuleInterface* module = panel->ModuleInterface();
        state << QStringLiteral("held %1 sent %2 picture %3")
                     .arg(panel->ActiveButton())
                     .arg(module == nullptr ? 0 : module->SequenceNumber())
                     .arg(qHash(QByteArray::fromRawData(
                         reinterpret_cast<const char*>(panel->Surface().constBits()),
                         panel->Surface().sizeInBytes())));
    }
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        // A drop-down's list is a window of its own, made when first needed.
        if (widget->window() != &window) continue;
        QString line = QStringLiteral("%1 %2 %3")
                           .arg(widget->metaObject()->className())
                           .arg(widget->isVisible())
                           .arg(widget->isEnabled());
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            line += QStringLiteral(" '%1' %2").arg(button->text()).arg(button->isChecked());
        else if (auto* label = qobject_cast<QLabel*>(widget))
            line += QStringLiteral(" '%1'").arg(label->text());
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            line += QStringLiteral(" '%1'").arg(edit->text());
        else if (auto* box = qobject_cast<QComboBox*>(widget))
            line += QStringLiteral(" %1 open %2")
                        .arg(box->currentIndex())
                        .arg(box->view()->isVisible());
        if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
            for (int row = 0; row < tree->topLevelItemCount(); ++row) {
                QTreeWidgetItem* item = tree->topLevelItem(row);
                line += QStringLiteral(" [%1").arg(item->isSelected() ? QStringLiteral("*")
                                                                      : QString());
                for (int column = 0; column < item->columnCount(); ++column)
                    line += ' ' + item->text(column);
                line += ']';
            }
        }
        state << line;
    }
    return state;
}

// What the operator does instead of `action` on `node`, in the twin window.
void ActAsOperator(QAccessibleInterface& node, const QString& action) {
    const auto [widget, point] = ClickPlace(node);
    QVERIFY(widget != nullptr);
    if (action == QAccessibleActionInterface::setFocusAction())
        qobject_cast<QWidget*>(node.object())->setFocus(Qt::TabFocusReason);
    else
        QTest::mouseClick(widget, Qt::LeftButton, {}, point);
}

bool AnyButtonDown(QWidget& window) {
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
        if (button->isDown()) return true;
    return false;
}

void ClosePopups() {
    for (int i = 0; i < 4 && QApplication::activePopupWidget() != nullptr; ++i)
        QApplication::activePopupWidget()->close();
}

using Shows = std::function<void(QWidget&)>;

// Runs every action of every shown control of `actor` and the operator's equivalent on `twin`.
// `first` picks the controls walked before the rest (a wizard's page before its buttons); a
// window that an action closed is shown again by `show` before the walk goes on.
void WalkTwins(QWidget& actor, QWidget& twin, const Shows& show,
               const std::function<bool(QAccessibleInterface&)>& first = {}) {
    ModalOperator answers(QMessageBox::No);
    std::vector<Path> targets;
    Path path;
    CollectTargets(*QAccessible::queryAccessibleInterface(&actor), path, targets);
    if (first) {
        std::stable_partition(targets.begin(), targets.end(), [&](const Path& target) {
            QAccessibleInterface* node = Find(actor, target);
            return node != nullptr && first(*node);
        });
    }
    QVERIFY(!targets.empty());
    for (const Path& target : targets) {
        QAccessibleInterface* node = Find(actor, target);
        QAccessibleInterface* twinNode = Find(twin, target);
        if (node == nullptr || twinNode == nullptr || !Shown(*node)) continue;
        const QString what =
            QStringLiteral("%1 '%2'").arg(node->role()).arg(node->text(QAccessible::Name));
        for (const QString& action : node->actionInterface()->actionNames()) {
            const std::size_t boxesBefore = answers.Seen().size();
            node = Find(actor, target);
            if (node == nullptr) break;
            node->actionInterface()->doAction(action);
            // A push button's press clicks it a moment later, as a click that is seen.
            QTRY_VERIFY2_WITH_TIMEOUT(!AnyButtonDown(actor), qPrintable(what + ' ' + action), 5000);
            QTest::qWait(10);
            const std::size_t boxesByAction = answers.Seen().size() - boxesBefore;
            if (auto* widget = qobject_cast<QWidget*>(Find(actor, target)->object());
                action == QAccessibleActionInterface::setFocusAction() && widget->isEnabled())
                QVERIFY2(actor.focusWidget() == widget, qPrintable(what));
            twinNode = Find(twin, target);
            QVERIFY2(twinNode != nullptr, qPrintable(what));
            ActAsOperator(*twinNode, action);
            QTest::qWait(10);
            const QStringList acted = State(actor);
            const QStringList clicked = State(twin);
            QStringList differences;
            for (qsizetype i = 0; i < std::max(acted.size(), clicked.size()); ++i)
                if (acted.value(i) != clicked.value(i))
                    differences << QStringLiteral("  by the action: %1\n  by a click:    %2")
                                       .arg(acted.value(i), clicked.value(i));
            QVERIFY2(differences.isEmpty(),
                     qPrintable(QStringLiteral("%1 %2: the window differs from a click:\n%3")
                                    .arg(what, action, differences.join('\n'))));
            QCOMPARE(answers.Seen().size() - boxesBefore - boxesByAction, boxesByAction);
            ClosePopups();
            if (!actor.isVisible() || !twin.isVisible()) {
                show(actor);
                show(twin);
            }
        }
    }
}

void ShowExposed(QWidget& window) {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

std::uint32_t Ip(const char* text) {
    std::uint32_t address = 0;
    netconfig::ParseIpAddress(text, address);
    return address;
}

ModuleSource FakeSegment() {
    ModuleSource source;
    source.listModules = [](std::uint32_t, std::uint16_t,
                            std::vector<netconfig::ModuleHelloRecord>& found) {
        found.clear();
        for (std::uint8_t last : {0x21, 0x22}) {
            netconfig::ModuleHelloRecord record;
            record.SetMac({0x00, 0x0A, 0x1B, 0x2C, 0x3D, last});
            record.SetIp(Ip(last == 0x21 ? "192.168.1.21" : "192.168.1.22"));
            record.SetMask(Ip("255.255.255.0"));
            record.SetGateway(Ip("192.168.1.1"));
            found.push_back(record);
        }
        return true;
    };
    source.setModuleNetwork = [](std::uint32_t, const netconfig::MacAddress&, std::uint32_t,
                                 std::uint32_t, std::uint32_t) { return true; };
    return source;
}

struct TwinWizard {
    TwinWizard() : wizard(nullptr, FakeSegment()) {
        wizard.localAdapter = Ip("192.168.1.5");
        wizard.queryCode = netconfig::kWizardQueryCode;
        wizard.knownAddresses = {Ip("192.168.1.30")};
    }
    CTibboAddWizard wizard;
};

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app::SetLanguage(app::kEnglish); }

    // A full list, so Add (which would search the network) is disabled; nothing listens at the
    // devices' addresses, so every exchange fails at once and shows what failure shows.
    void theMainWindow() {
        std::vector<std::uint32_t> devices;
        for (int n = 0; n < 128; ++n)
            devices.push_back(Ip(("127.0.1." + std::to_string(1 + n)).c_str()));
        TempSettings settings(DeviceListText(devices));
        auto actor = OpenWindow(AdapterList({Loopback(1)}));
        auto twin = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(actor && twin);
        WalkTwins(*actor, *twin, ShowExposed);
    }

    void theSwitcherAddressDialog() {
        for (const std::uint32_t address : {0u, Ip("10.1.1.1")}) {
            CSwitcherAddressDlg actor(nullptr);
            CSwitcherAddressDlg twin(nullptr);
            actor.address = twin.address = address;
            ShowExposed(actor);
            ShowExposed(twin);
            WalkTwins(actor, twin, ShowExposed);
        }
    }

    // Each page walked in turn, its own controls before the sheet's buttons, from the list page
    // through the box for a device that was not found, and through a module found.
    void everyPageOfTheAddWizard() {
        const auto onPage = [](CTibboAddWizard& wizard) {
            return [&wizard](QAccessibleInterface& node) {
                auto* widget = qobject_cast<QWidget*>(node.object());
                for (QAccessibleInterface* up = &node; widget == nullptr && up != nullptr;
                     up = up->parent())
                    widget = qobject_cast<QWidget*>(up->object());
                return widget != nullptr && wizard.currentPage()->isAncestorOf(widget);
            };
        };
        const auto showWizard = [](QWidget& window) {
            ShowExposed(window);
            QVERIFY(QTest::qWaitFor(
                [&] {
                    return static_cast<CTibboAddWizard&>(window).ListPage().Records().size() == 2;
                },
                5000));
        };
        // (how the operator gets to the page: the not-listed box or the first module, then Next)
        for (const int route : {0, 1}) {
            TwinWizard actor;
            TwinWizard twin;
            showWizard(actor.wizard);
            showWizard(twin.wizard);
            WalkTwins(actor.wizard, twin.wizard, showWizard, onPage(actor.wizard));
            // Back on the list page, then Next by the route; the Finish page after Next again.
            const auto walkTo = [&](int page) {
                for (CTibboAddWizard* wizard : {&actor.wizard, &twin.wizard}) {
                    auto* list = static_cast<QTreeWidget*>(
                        wizard->ListPage().Control(add_wizard::kModuleList));
                    auto* box = static_cast<QCheckBox*>(
                        wizard->ListPage().Control(add_wizard::kNotListedBox));
                    if (!wizard->isVisible()) ShowExposed(*wizard);
                    wizard->restart();
                    box->setChecked(route == 0);
                    if (route == 1) list->setCurrentItem(list->topLevelItem(0));
                    wizard->next();
                    if (page != add_wizard::kFinishPage) continue;
                    if (route == 0) {
                        auto* field = static_cast<CIpAddressEdit*>(
                            wizard->DirectPage().Control(add_wizard::kAddressField));
                        field->SetAddress(IpFieldValueFromAddress(Ip("192.168.1.40")));
                    }
                    wizard->next();
                }
                QCOMPARE(actor.wizard.currentId(), page);
                QCOMPARE(twin.wizard.currentId(), page);
                WalkTwins(actor.wizard, twin.wizard, ShowExposed, onPage(actor.wizard));
            };
            walkTo(route == 0 ? add_wizard::kDirectPage : add_wizard::kConfigurePage);
            walkTo(add_wizard::kFinishPage);
        }
    }

    // Each key a button named as in the skin, whose press sends what a click sends. (The close
    // key is left out: a click's button-up never reaches the panel it closed.)
    void theRemotePanel() {
        remotetest::ControlSim sim({"ip=127.0.0.171,control=on"});
        QVERIFY2(sim.Ready(), sim.Error());
        const std::vector<remotetest::ButtonLayout> keys = {
            {"VOL+", {120, 50, 180, 90}, "B1", "B2"},
            {"POWER", {20, 50, 80, 90}, "A1", "A2", "A3"},
            {"MUTE", {150, 4, 190, 28}, "C1"}};
        remotetest::FakeClock clock;
        TempSettings settings;
        CRemoteControlWnd actor(remotetest::Address("127.0.0.171"), remotetest::MakeSkin(keys),
                                nullptr, clock.Source());
        CRemoteControlWnd twin(remotetest::Address("127.0.0.171"), remotetest::MakeSkin(keys),
                               nullptr, clock.Source());
        ShowExposed(actor);
        ShowExposed(twin);

        QAccessibleInterface* panel = QAccessible::queryAccessibleInterface(&actor);
        QStringList names;
        for (int i = 0; i < panel->childCount(); ++i) {
            QAccessibleInterface* key = panel->child(i);
            QCOMPARE(key->role(), QAccessible::Button);
            QCOMPARE(key->actionInterface()->actionNames(),
                     QStringList{QAccessibleActionInterface::pressAction()});
            QCOMPARE(key->parent(), panel);
            QCOMPARE(panel->indexOfChild(key), i);
            names << key->text(QAccessible::Name);
        }
        QCOMPARE(names, (QStringList{"MUTE", "POWER", "VOL+"}));  // reading order

        WalkTwins(actor, twin, ShowExposed);
        // Both sent the same: each key's press and, where it has one, its release.
        QCOMPARE(actor.ModuleInterface()->SequenceNumber(),
                 twin.ModuleInterface()->SequenceNumber());
        QCOMPARE(actor.ModuleInterface()->SequenceNumber(), 1 + 5);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
