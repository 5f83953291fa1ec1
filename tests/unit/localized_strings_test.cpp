#include <gtest/gtest.h>

#include <cstdlib>

#include "app/localized_strings.h"
#include "app/string_table.h"

namespace {

constexpr int kTitleId = 57344;

// Every id that a window, message or caption table loads.
constexpr int kUsedIds[] = {
    1001,  1002,  1003,  1005,  1006,  1007,  1008,  1009,  1010,  1101,  1102,  1106,
    1107,  1108,  1109,  1110,  1111,  1112,  1113,  1401,  1402,  10005, 10006, 10007,
    10008, 10020, 10021, 10022, 10023, 10101, 10102, 10103, 10104, 10105, 10106, 10107,
    10112, 10115, 10401,
};

class LocalizedStrings : public ::testing::Test {
protected:
    void TearDown() override { SetLanguage(kEnglish); }
};

TEST_F(LocalizedStrings, TableFileReadsWithoutBadLines) {
    const StringTable table = ParseStringTable(StringTableText());
    EXPECT_TRUE(table.badLines.empty()) << "first bad line: " << table.badLines.front();
}

TEST_F(LocalizedStrings, EveryEnglishTextHasItsRussianTwinAndNothingElseIsThere) {
    const StringTable table = ParseStringTable(StringTableText());
    for (const int id : kUsedIds) {
        EXPECT_FALSE(LoadTableString(id).empty()) << id;
        EXPECT_FALSE(LoadTableString(id + kRussianStringOffset).empty()) << id + kRussianStringOffset;
    }
    for (const auto& [id, text] : table.texts) {
        const bool english = (id >= 1000 && id < 2000) || (id >= 10000 && id < 11000);
        const bool russian = (id >= 2000 && id < 3000) || (id >= 11000 && id < 12000);
        EXPECT_TRUE(english || russian || id == kTitleId) << "id outside the ranges: " << id;
        if (english) {
            EXPECT_TRUE(table.texts.contains(id + kRussianStringOffset)) << id;
        }
        if (russian) {
            EXPECT_TRUE(table.texts.contains(id - kRussianStringOffset)) << id;
        }
    }
    EXPECT_EQ(table.texts.size(), std::size(kUsedIds) * 2 + 1);
}

TEST_F(LocalizedStrings, TextsReadExactlyAsWritten) {
    EXPECT_EQ(LoadTableString(1106),
              "Select new device from the list and click <Next>.\n\nClick <Refresh> to refresh the list.");
    EXPECT_EQ(LoadTableString(2106),
              "Выберите новое устройство из списка и нажмите <Далее>.\n\n"
              "Нажмите <Обновить>, чтобы обновить список.");
    EXPECT_EQ(LoadTableString(1113), "Device succesfully added to list!");
    EXPECT_EQ(LoadTableString(10103), "Text files (*.txt)|*.txt||");
    EXPECT_EQ(LoadTableString(11103), "Текстовые файлы (*.txt)|*.txt||");
    EXPECT_EQ(LoadTableString(10020), "#");
    EXPECT_EQ(LoadTableString(11020), "№");
    EXPECT_EQ(LoadTableString(1006), "IP Output");
    EXPECT_EQ(LoadTableString(1010), "Remote control");
    EXPECT_EQ(LoadTableString(2010), "Пульт ДУ");
    EXPECT_EQ(LoadTableString(11005), "MAC");
    EXPECT_EQ(LoadTableString(11006), "IP");
    EXPECT_EQ(LoadTableString(11101), "Удалить устройство с адресом %s из списка?");
    EXPECT_EQ(LoadTableString(kTitleId), "Vantrel");
}

TEST_F(LocalizedStrings, EveryLanguageOtherThanZeroLoadsTheRussianTwin) {
    EXPECT_EQ(CurrentLanguage(), kEnglish);
    EXPECT_EQ(LoadLocalizedString(1007), "Check");
    for (const int language : {1, 5, -1}) {
        SetLanguage(language);
        EXPECT_EQ(CurrentLanguage(), language);
        EXPECT_EQ(LoadLocalizedString(1007), "Проверить");
        EXPECT_EQ(LoadLocalizedString(10023), "В сети");
    }
    // The title has no twin: loaded by its id, it is the same in both languages.
    EXPECT_EQ(LoadTableString(kTitleId), "Vantrel");
}

TEST_F(LocalizedStrings, MissingEntryIsEmpty) {
    EXPECT_EQ(LoadLocalizedString(1004), "");
    EXPECT_EQ(LoadTableString(-5), "");
    SetLanguage(kRussian);
    EXPECT_EQ(LoadLocalizedString(kTitleId), "");
    EXPECT_EQ(LoadLocalizedString(2147483647), "");
}

TEST_F(LocalizedStrings, OnlyRussiaRussianIsTheDefaultRussian) {
    EXPECT_EQ(DefaultLanguageFor(0x0419), kRussian);
    EXPECT_EQ(DefaultLanguageFor(0x0819), kEnglish);
    EXPECT_EQ(DefaultLanguageFor(0x0409), kEnglish);

    const char* saved = std::getenv("LC_ALL");
    const std::string restore = saved != nullptr ? saved : "";
    setenv("LC_ALL", "ru_RU.UTF-8", 1);
    EXPECT_EQ(DefaultLanguage(), kRussian);
    setenv("LC_ALL", "ru_MD.UTF-8", 1);
    EXPECT_EQ(DefaultLanguage(), kEnglish);
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    EXPECT_EQ(DefaultLanguage(), kEnglish);
    if (saved != nullptr) setenv("LC_ALL", restore.c_str(), 1);
    else unsetenv("LC_ALL");
}

TEST_F(LocalizedStrings, RemoveQuestionTakesTheAddressInBothLanguages) {
    EXPECT_EQ(FormatWithText(LoadLocalizedString(10101), "192.168.1.10"),
              "Remove device 192.168.1.10 from the list?");
    SetLanguage(kRussian);
    EXPECT_EQ(FormatWithText(LoadLocalizedString(10101), "10.0.0.1"),
              "Удалить устройство с адресом 10.0.0.1 из списка?");
    EXPECT_EQ(FormatWithText("no placeholder", "x"), "no placeholder");
    EXPECT_EQ(FormatWithText("%s and %s", "%s"), "%s and %s");
}

TEST_F(LocalizedStrings, TableReaderSkipsAndReportsBadLines) {
    const StringTable table = ParseStringTable(
        "# comment\r\n"
        "10\tTen\\nlines \\\\ here\r\n"
        "\n"
        "11\n"             // no text
        "12 \\q\n"          // unknown escape
        "10 again\n"       // id given before
        "x13 text\n"       // no id
        "70000 too big\n"
        "14  two blanks");
    EXPECT_EQ(table.texts.size(), 2u);
    EXPECT_EQ(table.texts.at(10), "Ten\nlines \\ here");
    EXPECT_EQ(table.texts.at(14), "two blanks");
    EXPECT_EQ(table.badLines, (std::vector<int>{4, 5, 6, 7, 8}));
}

}  // namespace
