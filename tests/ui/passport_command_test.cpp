// Passport from the main window against vantrel-modsim on loopback: the Save As dialog answered
// as an operator does, and the bytes that end up on disk (or stay there).
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QPointer>

#include "app/localized_strings.h"
#include "netconfig/passport_file.h"
#include "platform/tick.h"
#include "tests/ui/modal_script.h"
#include "tests/ui/ui_modsim.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_dialog_template.h"
#include "ui/passport_save.h"

using namespace uitest;
using namespace main_dialog;

namespace {

constexpr const char* kModule = "ip=127.0.0.2,mac=00:0A:1B:2C:3D:4E";

// What the module above returns: "WiZnPaSs", its MAC, then the byte offset & 0xFF at each place.
netconfig::PassportBuffer ModulePassport() {
    netconfig::PassportBuffer passport{};
    const char magic[] = "WiZnPaSs";
    std::copy(magic, magic + 8, passport.begin());
    const std::uint8_t mac[] = {0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E};
    std::copy(mac, mac + 6, passport.begin() + 8);
    for (std::size_t i = 14; i < passport.size(); ++i)
        passport[i] = static_cast<std::uint8_t>(i & 0xFF);
    return passport;
}

QByteArray ExpectedFile() {
    return QByteArray::fromStdString(netconfig::FormatPassportFile(
        netconfig::BuildPassportRecord(Loopback(2), ModulePassport())));
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

// Notes the proposed name, types `path` into the file name field and presses Enter.
ModalScript::Step SaveAs(QString& proposed, const QString& path) {
    return [&proposed, path](QWidget& window) {
        auto* name = window.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        if (name == nullptr) {
            window.close();
            return;
        }
        proposed = name->text();
        name->setFocus();
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    };
}

QString Stamp(const platform::LocalTime& time) {
    return QString::asprintf("%04d%02d%02d%02d%02d%02d", time.year, time.month, time.day, time.hour,
                             time.minute, time.second);
}

// Presses `button` on a message box shown over the Save As dialog, then notes whether the dialog
// is still open and leaves it.
ModalScript::Step AnswerThenLeave(QMessageBox::StandardButton button, bool& dialogStayedOpen) {
    return [button, &dialogStayedOpen](QWidget& box) {
        QPointer<QWidget> dialog = box.parentWidget();
        static_cast<QMessageBox&>(box).button(button)->click();
        QTimer::singleShot(0, [dialog, &dialogStayedOpen] {
            dialogStayedOpen = dialog != nullptr && dialog->isVisible();
            if (auto* fileDialog = qobject_cast<QDialog*>(dialog.data())) fileDialog->reject();
        });
    };
}

// Drops root for the scope, so a folder's permissions hold for this process as for an operator.
class PlainUser {
public:
    PlainUser() : wasRoot_(geteuid() == 0) {
        if (wasRoot_) dropped_ = seteuid(65534) == 0;
    }
    ~PlainUser() {
        if (dropped_) (void)!seteuid(0);
    }
    bool Ok() const { return !wasRoot_ || dropped_; }

private:
    bool wasRoot_;
    bool dropped_ = false;
};

}  // namespace

class PassportCommandTest : public QObject {
    Q_OBJECT

private slots:
    void init() { app::SetLanguage(app::kEnglish); }

    void savedFileHoldsTheModulesPassportUnderTheProposedName() {
        OneDeviceWindow device(kModule);
        QVERIFY2(device.Ready(), device.Why());
        auto& window = device.window;
        QTemporaryDir folder;
        QString proposed;
        {
            ModalScript operatorAnswers(
                {SaveAs(proposed, folder.filePath(QStringLiteral("saved")))});
            const QString before = Stamp(platform::CurrentLocalTime());
            ClickButton(*window, kPassportButton);
            const QString after = Stamp(platform::CurrentLocalTime());

            QCOMPARE(operatorAnswers.Seen(), QStringList{"QFileDialog"});
            // Named after the MAC address in the reply, not the one in the list, and the time the
            // dialog opened.
            const auto match =
                QRegularExpression(QStringLiteral("^passport_000A1B2C3D4E_(\\d{14})$"))
                    .match(proposed);
            QVERIFY2(match.hasMatch(), qPrintable(proposed));
            QVERIFY(before <= match.captured(1) && match.captured(1) <= after);
            // The default suffix was added.
            const QByteArray saved = Read(folder.filePath(QStringLiteral("saved.txt")));
            QCOMPARE(saved.size(), 1027);
            QVERIFY(saved.startsWith("---DEVICEPASSPORT---\r\n010000003E000000A20100007F000002"));
            QCOMPARE(saved, ExpectedFile());
            QCOMPARE(window->Devices()[0]->tested, 0);
            QCOMPARE(QApplication::overrideCursor(), nullptr);
        }

        // The next Save As opens in the folder of this save (the first operator has gone).
        QString opensIn;
        ModalScript again({[&opensIn](QWidget& dialog) {
            opensIn = static_cast<QFileDialog&>(dialog).directory().absolutePath();
            static_cast<QFileDialog&>(dialog).reject();
        }});
        ClickButton(*window, kPassportButton);
        QCOMPARE(opensIn, QDir(folder.path()).absolutePath());
    }

    void cancelWritesNothingAndSaysNothing() {
        OneDeviceWindow device(kModule);
        QVERIFY2(device.Ready(), device.Why());
        auto& window = device.window;
        QTemporaryDir folder;
        QString proposed;
        // The operator goes to a folder of their own, then cancels.
        ModalScript operatorAnswers({[&](QWidget& dialog) {
            proposed = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            static_cast<QFileDialog&>(dialog).setDirectory(folder.path());
            QTest::keyClick(&dialog, Qt::Key_Escape);
        }});
        ClickButton(*window, kPassportButton);
        QCOMPARE(operatorAnswers.Seen(), QStringList{"QFileDialog"});
        QVERIFY(proposed.startsWith(QStringLiteral("passport_")));
        QVERIFY(QDir(folder.path()).isEmpty());
        QVERIFY(!QFile::exists(proposed + QStringLiteral(".txt")));
    }

    void overwriteAnsweredNoKeepsTheOldFileYesReplacesIt() {
        OneDeviceWindow device(kModule);
        QVERIFY2(device.Ready(), device.Why());
        auto& window = device.window;
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("old.txt"));
        const QByteArray old("an earlier passport\r\n\0kept", 27);
        Write(path, old);
        QString proposed;
        {
            bool dialogStayedOpen = false;
            ModalScript operatorAnswers(
                {SaveAs(proposed, path), AnswerThenLeave(QMessageBox::No, dialogStayedOpen)});
            ClickButton(*window, kPassportButton);
            QCOMPARE(operatorAnswers.Seen().size(), 2);
            QVERIFY2(operatorAnswers.Seen()[1].contains(QStringLiteral("old.txt")),
                     qPrintable(operatorAnswers.Seen()[1]));
            QVERIFY(dialogStayedOpen);
            QCOMPARE(Read(path), old);
        }
        ModalScript operatorAnswers({SaveAs(proposed, path), PressButton(QMessageBox::Yes)});
        ClickButton(*window, kPassportButton);
        QCOMPARE(operatorAnswers.Seen().size(), 2);
        QCOMPARE(Read(path), ExpectedFile());
    }

    void aFolderThatRefusesTheFileShowsFileSaveFailed() {
        OneDeviceWindow device(kModule);
        QVERIFY2(device.Ready(), device.Why());
        auto& window = device.window;
        QTemporaryDir folder;
        const QString locked = folder.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(locked));
        // Open to look into for everyone (the plain user keeps root's groups), writable by none.
        const auto look = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                          QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(folder.path(), look | QFile::WriteOwner));
        QVERIFY(QFile::setPermissions(locked, look));
        QString proposed;
        ModalScript operatorAnswers({SaveAs(proposed, locked + QStringLiteral("/passport.txt")),
                                     PressButton(QMessageBox::Ok)});
        {
            PlainUser plain;
            QVERIFY(plain.Ok());
            ClickButton(*window, kPassportButton);
        }
        QCOMPARE(operatorAnswers.Seen(), (QStringList{"QFileDialog", "File save failed!"}));
        QVERIFY(QDir(locked)
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                    .isEmpty());
    }

    void aMissingFolderKeepsTheDialogOpen() {
        OneDeviceWindow device(kModule);
        QVERIFY2(device.Ready(), device.Why());
        auto& window = device.window;
        QTemporaryDir folder;
        QString proposed;
        bool dialogStayedOpen = false;
        ModalScript operatorAnswers(
            {SaveAs(proposed, folder.filePath(QStringLiteral("missing/p.txt"))),
             AnswerThenLeave(QMessageBox::Ok, dialogStayedOpen)});
        ClickButton(*window, kPassportButton);
        QVERIFY(dialogStayedOpen);
        QCOMPARE(operatorAnswers.Seen().size(), 2);
        QVERIFY(operatorAnswers.Seen()[1].contains(QStringLiteral("missing")));
        QVERIFY(!QDir(folder.filePath(QStringLiteral("missing"))).exists());
    }

    void filterTextBecomesQtNameFilters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("filters");
        QTest::newRow("English") << "Text files (*.txt)|*.txt||"
                                 << QStringList{"Text files (*.txt)"};
        QTest::newRow("Russian") << "Текстовые файлы (*.txt)|*.txt||"
                                 << QStringList{"Текстовые файлы (*.txt)"};
        QTest::newRow("pattern not in the description")
            << "Passports|*.txt;*.pas|All files|*.*||"
            << QStringList{"Passports (*.txt *.pas)", "All files (*.*)"};
        QTest::newRow("no closing pair")
            << "Text files (*.txt)|*.txt" << QStringList{"Text files (*.txt)"};
        QTest::newRow("description without pattern") << "Text files||" << QStringList{};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void filterTextBecomesQtNameFilters() {
        QFETCH(QString, text);
        QFETCH(QStringList, filters);
        QCOMPARE(QtNameFilters(text.toStdString()), filters);
    }

    void aSilentDeviceShowsNotRespondingAndNoDialog() {
        TempSettings settings(DeviceListText({Loopback(4)}));
        auto window = OpenWindow(AdapterList({Loopback(1)}));
        QVERIFY(window);
        SelectRow(*window, 0);
        ModalScript operatorAnswers({PressButton(QMessageBox::Ok)});
        ClickButton(*window, kPassportButton);
        QCOMPARE(operatorAnswers.Seen(), QStringList{"Device is not responding!"});
        QCOMPARE(window->Devices()[0]->tested, 0);
    }
};

QTEST_MAIN(PassportCommandTest)
#include "passport_command_test.moc"
