// The settings file's text: what hand-edited files read as, and what writes leave in the file.
#include <gtest/gtest.h>

#include <climits>

#include "app/settings_file.h"
#include "settings_test_support.h"

namespace {

using test_support::Fixture;
using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

using SettingsFileText = test_support::SettingsFileTest;

TEST_F(SettingsFileText, MissingFileReadsDefaultsAndFirstWriteCreatesIt) {
    const std::string path = folder_.File("panel.ini");
    app::SettingsFile settings(path);
    EXPECT_EQ(settings.ReadInt("Layout", "Left", -1), -1);
    EXPECT_EQ(settings.ReadText("List", "MAC0"), "");

    EXPECT_TRUE(settings.WriteInt("Layout", "Left", 10));
    EXPECT_TRUE(settings.WriteInt("Layout", "Top", 20));
    EXPECT_TRUE(settings.WriteText("List", "MAC0", "00:11:22:33:44:55"));
    EXPECT_EQ(ReadBytes(path), "[Layout]\nLeft=10\nTop=20\n[List]\nMAC0=00:11:22:33:44:55\n");
}

TEST_F(SettingsFileText, EveryIntegerRoundTripsAsSignedDecimal) {
    app::SettingsFile settings(folder_.File("panel.ini"));
    for (const std::int32_t value : {0, 1, -1, 167880896, -939415360, INT32_MIN, INT32_MAX}) {
        ASSERT_TRUE(settings.WriteInt("Config", "LocalIP", value));
        EXPECT_EQ(settings.ReadInt("Config", "LocalIP", 0), value);
    }
    EXPECT_EQ(ReadBytes(settings.Path()), "[Config]\nLocalIP=2147483647\n");
}

TEST_F(SettingsFileText, NamesMatchInAnyLetterCase) {
    app::SettingsFile settings(PathWith(Fixture("letter_case.ini")));
    EXPECT_EQ(settings.ReadInt("Layout", "Left", -1), 11);
    EXPECT_EQ(settings.ReadInt("LAYOUT", "top", -1), 22);
    EXPECT_EQ(settings.ReadInt("List", "Total", 0), 1);
    EXPECT_EQ(settings.ReadText("list", "MAC0"), "aa:bb:cc:dd:ee:ff");

    // Writing under another letter case replaces the value where it stands.
    EXPECT_TRUE(settings.WriteInt("Layout", "LEFT", 12));
    EXPECT_EQ(ReadBytes(settings.Path()),
              "[layout]\nleft=12\nTOP=22\n[LIST]\ntotal=1\nip0=16777226\nMac0=aa:bb:cc:dd:ee:ff\n");
}

TEST_F(SettingsFileText, HandEditedFileReadsWithoutItsBlanks) {
    app::SettingsFile settings(PathWith(Fixture("hand_edited.ini")));
    EXPECT_EQ(settings.ReadInt("Layout", "Left", -1), 120);
    EXPECT_EQ(settings.ReadInt("Layout", "Top", -1), -40);
    EXPECT_EQ(settings.ReadInt("List", "IP1", 0), -939415360);
    EXPECT_EQ(settings.ReadText("List", "MAC0"), "00:11:22:33:44:55");
    EXPECT_EQ(settings.ReadText("Unknown", "keep"), "me");
    EXPECT_EQ(settings.ReadText("List", "MAC1"), "");
}

TEST_F(SettingsFileText, EmptyValueReadsAsTheDefaultAndTextLosesItsBlanks) {
    app::SettingsFile settings(
        PathWith("[Layout]\nLeft=\nTop= \t \nWidth = +7 px\n[List]\n"
                 "MAC0=\t aa:bb \t\nMAC1= \r\nMAC2=a = b\n"));
    EXPECT_EQ(settings.ReadInt("Layout", "Left", -1), -1);
    EXPECT_EQ(settings.ReadInt("Layout", "Top", -1), -1);
    EXPECT_EQ(settings.ReadInt("Layout", "Width", -1), 7);
    EXPECT_EQ(settings.ReadText("List", "MAC0"), "aa:bb");
    EXPECT_EQ(settings.ReadText("List", "MAC1"), "");
    EXPECT_EQ(settings.ReadText("List", "MAC2"), "a = b");  // the first "=" ends the key
}

TEST_F(SettingsFileText, RewriteChangesOnlyTheValueAndKeepsEveryOtherByte) {
    const std::string original = Fixture("hand_edited.ini");
    app::SettingsFile settings(PathWith(original));
    ASSERT_TRUE(settings.WriteInt("Layout", "Left", 7));
    ASSERT_TRUE(settings.WriteText("List", "MAC0", "AA:BB:CC:DD:EE:FF"));
    ASSERT_TRUE(settings.WriteText("List", "MAC1", ""));
    std::string expected = original;
    expected.replace(expected.find("120  "), 5, "7");
    expected.replace(expected.find("00:11:22:33:44:55 "), 18, "AA:BB:CC:DD:EE:FF");
    // A new key goes after the last key of its section, before the blank line that ends it.
    expected.insert(expected.find("IP1= -939415360\n") + 16, "MAC1=\n");
    EXPECT_EQ(ReadBytes(settings.Path()), expected);
}

TEST_F(SettingsFileText, CrLfFileStaysCrLfAndNewLinesUseCrLf) {
    app::SettingsFile settings(PathWith(Fixture("crlf.ini")));
    EXPECT_EQ(settings.ReadText("Layout", "Top"), "6");
    ASSERT_TRUE(settings.WriteInt("Layout", "Width", 300));
    ASSERT_TRUE(settings.WriteInt("List", "Total", 0));
    EXPECT_EQ(ReadBytes(settings.Path()),
              "[Layout]\r\nLeft=5\r\nTop=6\r\nWidth=300\r\n\r\n[Config]\r\nLocalIP=16777226\r\n"
              "[List]\r\nTotal=0\r\n");
}

TEST_F(SettingsFileText, DamagedFilesReadAsFarAsTheyCan) {
    struct Expect {
        const char* section;
        const char* key;
        std::int32_t value;  // -1000 stands for "missing"
    };
    struct Case {
        const char* fixture;
        std::vector<Expect> reads;
    };
    const Case cases[] = {
        {"bom.ini", {{"Layout", "Left", 7}}},
        {"no_final_newline.ini", {{"Layout", "Left", 8}, {"Layout", "Top", 9}}},
        // A NUL ends what a line says: "Left=12", "To" (no value), "[Li" (section "Li", as a
        // header without its "]" is).
        {"nul_bytes.ini",
         {{"Layout", "Left", 12},
          {"Layout", "Top", -1000},
          {"Layout", "Width", 300},
          {"Layout", "Total", -1000},
          {"Li", "Total", 9},
          {"List", "Total", 1}}},
        // "[Layout" opens the section, so the later "[Layout]" is a duplicate that is not read.
        {"junk_lines.ini",
         {{"Layout", "Left", 1}, {"Layout", "Top", -1000}, {"Layout", "Width", -1000}}},
        // The first section and the first key of a name win.
        {"duplicate_sections.ini",
         {{"List", "Total", 1}, {"List", "IP0", -1000}, {"Layout", "Left", 1}}},
        {"keys_before_section.ini", {{"List", "Total", -1000}, {"List", "IP0", 1}}},
        {"empty.ini", {{"Layout", "Left", -1000}}},
    };
    for (const auto& c : cases) {
        app::SettingsFile settings(PathWith(Fixture(c.fixture)));
        for (const auto& read : c.reads)
            EXPECT_EQ(settings.ReadInt(read.section, read.key, -1000), read.value)
                << c.fixture << " " << read.section << "/" << read.key;
    }
}

TEST_F(SettingsFileText, WritingToADamagedFileKeepsEveryLineItHad) {
    for (const char* fixture :
         {"bom.ini", "no_final_newline.ini", "nul_bytes.ini", "junk_lines.ini",
          "duplicate_sections.ini", "keys_before_section.ini", "empty.ini", "hand_edited.ini",
          "quoted_values.ini", "unclosed_section.ini"}) {
        const std::string original = Fixture(fixture);
        app::SettingsFile settings(PathWith(original));
        ASSERT_TRUE(settings.WriteText("Fresh", "Key", "v")) << fixture;
        std::string expected = original;
        if (!expected.empty() && !expected.ends_with('\n')) expected += '\n';
        expected += "[Fresh]\nKey=v\n";
        EXPECT_EQ(ReadBytes(settings.Path()), expected) << fixture;
        EXPECT_EQ(settings.ReadText("fresh", "key"), "v") << fixture;
    }
}

TEST_F(SettingsFileText, DuplicateKeysAndSectionsChangeOnlyTheFirst) {
    app::SettingsFile settings(PathWith(Fixture("duplicate_sections.ini")));
    ASSERT_TRUE(settings.WriteInt("list", "total", 3));
    EXPECT_EQ(ReadBytes(settings.Path()),
              "[List]\nTotal=3\nTotal=7\n[Layout]\nLeft=1\n[list]\nTotal=5\nIP0=99\n");
}

TEST_F(SettingsFileText, FirstKeyOfANameWinsWhateverTheOrderOfReads) {
    app::SettingsFile settings(PathWith("[List]\nIP0=1\nIP1=2\nip0=3\nIP2=4\n"));
    // Reading in file order tries the next line first; a later duplicate must not answer.
    EXPECT_EQ(settings.ReadInt("List", "IP1", 0), 2);
    EXPECT_EQ(settings.ReadInt("List", "IP0", 0), 1);
    EXPECT_EQ(settings.ReadInt("List", "IP1", 0), 2);
    EXPECT_EQ(settings.ReadInt("List", "IP2", 0), 4);
    settings.BeginBatch();
    ASSERT_TRUE(settings.WriteInt("List", "IP1", 5));
    ASSERT_TRUE(settings.WriteInt("List", "IP0", 6));
    ASSERT_TRUE(settings.WriteInt("List", "IP3", 7));
    ASSERT_TRUE(settings.CommitBatch());
    EXPECT_EQ(ReadBytes(settings.Path()), "[List]\nIP0=6\nIP1=5\nip0=3\nIP2=4\nIP3=7\n");
}

TEST_F(SettingsFileText, MegabyteLongLinesReadAndSurviveRewrites) {
    const std::string longValue(3 << 20, 'x');
    const std::string junk(2 << 20, 'j');
    const std::string original = "[List]\nMAC0=" + longValue + "\n" + junk + "\nTotal=2\n";
    app::SettingsFile settings(PathWith(original));
    EXPECT_EQ(settings.ReadText("List", "MAC0"), longValue);
    EXPECT_EQ(settings.ReadInt("List", "Total", 0), 2);
    ASSERT_TRUE(settings.WriteInt("List", "Total", 1));
    EXPECT_EQ(ReadBytes(settings.Path()),
              "[List]\nMAC0=" + longValue + "\n" + junk + "\nTotal=1\n");
}

TEST_F(SettingsFileText, NamesAndValuesThatCannotReadBackAreRefused) {
    const std::string original = "[List]\nTotal=1\n";
    app::SettingsFile settings(PathWith(original));
    EXPECT_FALSE(settings.WriteText("List", "MAC0", "a\nb"));
    EXPECT_FALSE(settings.WriteText("List", "MAC0", std::string("a\0b", 3)));
    EXPECT_FALSE(settings.WriteText("List", "MA\rC0", "a"));
    EXPECT_FALSE(settings.WriteInt("List", "IP=0", 1));
    EXPECT_FALSE(settings.WriteInt("List", "", 1));
    EXPECT_FALSE(settings.WriteInt("List", " IP0", 1));
    EXPECT_FALSE(settings.WriteInt("List", ";IP0", 1));
    EXPECT_FALSE(settings.WriteInt("List", "[IP0", 1));
    EXPECT_FALSE(settings.WriteInt("Li]st", "IP0", 1));
    EXPECT_FALSE(settings.WriteInt("", "IP0", 1));
    EXPECT_EQ(ReadBytes(settings.Path()), original);
    // A CR on its own ends a line, so no value or name may hold one.
    EXPECT_FALSE(settings.WriteText("List", "MAC0", "a\rb"));
    EXPECT_FALSE(settings.WriteText("List", "MAC0", "ab\r"));
    EXPECT_FALSE(settings.WriteText("Li\rst", "MAC0", "a"));
    EXPECT_EQ(ReadBytes(settings.Path()), original);
}

}  // namespace
