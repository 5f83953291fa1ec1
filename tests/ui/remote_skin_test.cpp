// Reading a skin: the button list's fields and limits, and the folder with its two faces. Each
// unreadable skin must be refused with the file and line named, never half read.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include "remote/skin.h"

namespace {

constexpr int kWidth = 100;
constexpr int kHeight = 60;

SkinButtonsResult Parse(const std::string& text, PanelButtons& buttons) {
    return ParseSkinButtons(text, kWidth, kHeight, buttons);
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void WriteFace(const QString& path, QSize size, Qt::GlobalColor color) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QVERIFY(image.save(path, "png"));
}

}  // namespace

class RemoteSkinTest : public QObject {
    Q_OBJECT

private slots:
    void aListReadsInOrderWithEveryCommand() {
        PanelButtons buttons;
        const auto result = Parse(
            "# comment\r\n"
            "\r\n"
            "  SYSTEM:Close 0 0 10 10 - - -\r\n"
            "KEY\t1 2 100 60 a1ff 00 0102030405\n"
            "LAST 5 5 6 6 - A2 -",  // no final line break
            buttons);
        QVERIFY2(result.ok, result.error.c_str());
        QCOMPARE(buttons.size(), std::size_t(3));
        QVERIFY(buttons[0]->ClosesPanel());
        QCOMPARE(buttons[0]->press.length, 0);
        const CPanelButton& key = *buttons[1];
        QCOMPARE(key.name, std::string("KEY"));
        QCOMPARE(key.rectangle.right, 100);
        QCOMPARE(key.press.length, 2);
        QCOMPARE(key.press.data[0], std::uint8_t(0xA1));
        QCOMPARE(key.press.data[1], std::uint8_t(0xFF));
        QCOMPARE(key.release.length, 1);
        QCOMPARE(key.release.data[0], std::uint8_t(0));
        QCOMPARE(key.repeat.length, 5);
        QCOMPARE(buttons[2]->release.data[0], std::uint8_t(0xA2));
    }

    void theCloseNameIsExact() {
        PanelButtons buttons;
        QVERIFY(Parse("system:close 0 0 1 1 - - -\nSYSTEM:Close2 0 0 1 1 - - -\n", buttons).ok);
        QVERIFY(!buttons[0]->ClosesPanel());
        QVERIFY(!buttons[1]->ClosesPanel());
    }

    void anEmptyListIsAPanelWithoutKeys() {
        PanelButtons buttons;
        QVERIFY(Parse("", buttons).ok);
        QVERIFY(Parse("# nothing\n\n", buttons).ok);
        QVERIFY(buttons.empty());
    }

    void badLinesAreRefusedWithTheirNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("says");
        const QString good = "A 0 0 10 10 - - -\n";
        QTest::newRow("too few fields") << good + "B 0 0 10 10 - -\n" << 2 << "expected 8 fields";
        QTest::newRow("too many fields") << good + "B 0 0 10 10 - - - -\n" << 2 << "found 9";
        QTest::newRow("not a number") << "B 0 x 10 10 - - -\n"
                                      << 1 << "\"x\" is not a whole number";
        QTest::newRow("number too large") << "B 0 0 99999999999 10 - - -\n"
                                          << 1 << "not a whole number";
        QTest::newRow("right edge outside") << "B 0 0 101 10 - - -\n"
                                            << 1 << "outside the 100 x 60 picture";
        QTest::newRow("negative corner") << "B -1 0 10 10 - - -\n" << 1 << "outside";
        QTest::newRow("empty rectangle") << "B 10 0 10 10 - - -\n" << 1 << "empty rectangle";
        QTest::newRow("reversed rectangle") << "B 0 20 10 10 - - -\n" << 1 << "empty rectangle";
        QTest::newRow("odd digits") << "B 0 0 10 10 A1F - -\n" << 1 << "odd number of hex digits";
        QTest::newRow("not hex") << "B 0 0 10 10 - GG -\n" << 1 << "not hex bytes";
        QTest::newRow("blank inside a command") << "B 0 0 10 10 A1 F0 - -\n" << 1 << "found 9";
        QTest::newRow("129 bytes") << "B 0 0 10 10 " + QString("AB").repeated(129) + " - -\n"
                                   << 1 << "129 bytes is longer than 128";
        QTest::newRow("NUL byte") << good + QString("B 0 0 10 10 - - -") + QChar(0) + "\n"
                                  << 2 << "NUL";
    }
    void badLinesAreRefusedWithTheirNumber() {
        QFETCH(QString, text);
        QFETCH(int, line);
        QFETCH(QString, says);
        PanelButtons buttons;
        const QByteArray bytes = text.toLatin1();
        const auto result =
            ParseSkinButtons(std::string_view(bytes.constData(), std::size_t(bytes.size())), kWidth,
                             kHeight, buttons);
        QVERIFY(!result.ok);
        QCOMPARE(int(result.line), line);
        QVERIFY2(QString::fromStdString(result.error).contains(says), result.error.c_str());
        QVERIFY(buttons.empty());
    }

    void aCommandOf128BytesFits() {
        PanelButtons buttons;
        QVERIFY(Parse("B 0 0 10 10 " + std::string(256, 'F') + " - -\n", buttons).ok);
        QCOMPARE(buttons[0]->press.length, 128);
    }

    void theShippedSkinReads() {
        Skin skin;
        std::string error;
        QVERIFY2(LoadSkin(VANTREL_DEFAULT_SKIN_DIR, skin, error), error.c_str());
        QCOMPARE(skin.normal.size(), skin.pressed.size());
        QVERIFY(skin.normal != skin.pressed);
        int closeKeys = 0;
        for (const auto& button : skin.buttons) {
            closeKeys += button->ClosesPanel() ? 1 : 0;
            // Every key but the close key reaches the device when pressed and released.
            if (!button->ClosesPanel())
                QVERIFY(button->press.length > 0 && button->release.length > 0);
        }
        QCOMPARE(closeKeys, 1);
        QVERIFY(skin.buttons.size() >= 22);
    }

    void unreadableFoldersNameTheFile() {
        QTemporaryDir dir;
        const QDir folder(dir.path());
        Skin skin;
        std::string error;
        QVERIFY(!LoadSkin(folder.filePath("missing"), skin, error));
        QVERIFY2(error.find("no such skin folder") != std::string::npos, error.c_str());

        QVERIFY(!LoadSkin(dir.path(), skin, error));
        QVERIFY2(error.find("normal.png: no such file") != std::string::npos, error.c_str());

        WriteFile(folder.filePath("normal.png"), "not a picture");
        QVERIFY(!LoadSkin(dir.path(), skin, error));
        QVERIFY2(error.find("normal.png: not a readable PNG") != std::string::npos, error.c_str());

        WriteFace(folder.filePath("normal.png"), QSize(kWidth, kHeight), Qt::white);
        WriteFace(folder.filePath("pressed.png"), QSize(kWidth, kHeight + 1), Qt::black);
        QVERIFY(!LoadSkin(dir.path(), skin, error));
        QVERIFY2(error.find("pressed.png: 100 x 61 does not match normal.png's 100 x 60") !=
                     std::string::npos,
                 error.c_str());

        WriteFace(folder.filePath("pressed.png"), QSize(kWidth, kHeight), Qt::black);
        QVERIFY(!LoadSkin(dir.path(), skin, error));
        QVERIFY2(error.find("buttons.txt: no such file") != std::string::npos, error.c_str());

        WriteFile(folder.filePath("buttons.txt"), "A 0 0 10 10 - - -\nB 0 0 10 61 - - -\n");
        QVERIFY(!LoadSkin(dir.path(), skin, error));
        QVERIFY2(error.find("buttons.txt:2: rectangle lies outside") != std::string::npos,
                 error.c_str());
        QVERIFY(skin.buttons.empty() && skin.normal.isNull());

        WriteFile(folder.filePath("buttons.txt"), "A 0 0 10 10 - - -\n");
        QVERIFY2(LoadSkin(dir.path(), skin, error), error.c_str());
        QCOMPARE(skin.buttons.size(), std::size_t(1));
    }

    void aHugePictureIsRefusedBeforeItIsRead() {
        QTemporaryDir dir;
        const QDir folder(dir.path());
        WriteFace(folder.filePath("normal.png"), QSize(Skin::kMaxSide + 1, 4), Qt::white);
        Skin skin;
        std::string error;
        QVERIFY(!LoadSkin(dir.path(), skin, error));
        QVERIFY2(error.find("is larger than") != std::string::npos, error.c_str());
    }
};

QTEST_MAIN(RemoteSkinTest)
#include "remote_skin_test.moc"
