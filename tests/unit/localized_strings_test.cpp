#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/localized_strings.h"
#include "app/string_ids.h"
#include "app/string_table.h"
#include "ui/device_columns.h"
#include "ui/main_dialog_template.h"
#include "tests/support/scoped_env.h"

namespace {

using namespace app::string_ids;
using namespace main_dialog;

constexpr int kTitleId = kApplicationTitle;

// The captions of the wizard pages (1101-1113) and of the switcher address dialog (1401, 1402):
// a caption id is its control's id, and those windows' templates own them.
constexpr int kOtherWindowCaptionIds[] = {
    1101, 1102, 1106, 1107, 1108, 1109, 1110, 1111, 1112, 1113, 1401, 1402,
};

// Every id that a window, message or caption table loads.
std::vector<int> UsedIds() {
    std::vector<int> ids(kCaptionedButtons.begin(), kCaptionedButtons.end());
    // In the table although never loaded: the captions of the two buttons that never show.
    ids.push_back(kIpOutputButton);
    ids.push_back(kRemoteButton);
    ids.insert(ids.end(), std::begin(kOtherWindowCaptionIds), std::end(kOtherWindowCaptionIds));
    for (const DeviceColumn& column : kDeviceColumns) ids.push_back(column.headerId);
    ids.insert(ids.end(),
               {kWizardMacHeader, kWizardIpHeader, kAnswerYes, kAnswerNo, kRemoveQuestion,
                kNotResponding, kPassportFileFilter, kFileSaveFailed, kWizardAdapterFailed,
                kAddressAlreadyUsed, kInvalidAddress, kWizardTitle, kNoAdapter});
    return ids;
}

class LocalizedStrings : public ::testing::Test {
protected:
    void TearDown() override { app::SetLanguage(app::kEnglish); }
};

TEST_F(LocalizedStrings, TableFileReadsWithoutBadLines) {
    const app::StringTable table = app::ParseStringTable(app::StringTableText());
    EXPECT_TRUE(table.badLines.empty()) << "first bad line: " << table.badLines.front();
}

TEST_F(LocalizedStrings, EveryEnglishTextHasItsRussianTwinAndNothingElseIsThere) {
    const app::StringTable table = app::ParseStringTable(app::StringTableText());
    const std::vector<int> used = UsedIds();
    for (const int id : used) {
        EXPECT_FALSE(app::LoadTableString(id).empty()) << id;
        EXPECT_FALSE(app::LoadTableString(id + app::kRussianStringOffset).empty())
            << id + app::kRussianStringOffset;
    }
    for (const auto& [id, text] : table.texts) {
        const bool english = (id >= 1000 && id < 2000) || (id >= 10000 && id < 11000);
        const bool russian = (id >= 2000 && id < 3000) || (id >= 11000 && id < 12000);
        EXPECT_TRUE(english || russian || id == kTitleId) << "id outside the ranges: " << id;
        if (english) {
            EXPECT_TRUE(table.texts.contains(id + app::kRussianStringOffset)) << id;
        }
        if (russian) {
            EXPECT_TRUE(table.texts.contains(id - app::kRussianStringOffset)) << id;
        }
    }
    EXPECT_EQ(table.texts.size(), used.size() * 2 + 1);
}

TEST_F(LocalizedStrings, TextsReadExactlyAsWritten) {
    EXPECT_EQ(app::LoadTableString(1106),
              "Select new device from the list and click <Next>.\n\nClick <Refresh> to refresh the "
              "list.");
    EXPECT_EQ(app::LoadTableString(2106),
              "Выберите новое устройство из списка и нажмите <Далее>.\n\n"
              "Нажмите <Обновить>, чтобы обновить список.");
    EXPECT_EQ(app::LoadTableString(1113), "Device succesfully added to list!");
    EXPECT_EQ(app::LoadTableString(kPassportFileFilter), "Text files (*.txt)|*.txt||");
    EXPECT_EQ(app::LoadTableString(kPassportFileFilter + app::kRussianStringOffset),
              "Текстовые файлы (*.txt)|*.txt||");
    EXPECT_EQ(app::LoadTableString(kPositionHeader), "#");
    EXPECT_EQ(app::LoadTableString(kPositionHeader + app::kRussianStringOffset), "№");
    EXPECT_EQ(app::LoadTableString(kIpOutputButton), "IP Output");
    EXPECT_EQ(app::LoadTableString(kRemoteButton), "Remote control");
    EXPECT_EQ(app::LoadTableString(kRemoteButton + app::kRussianStringOffset), "Пульт ДУ");
    EXPECT_EQ(app::LoadTableString(kWizardMacHeader + app::kRussianStringOffset), "MAC");
    EXPECT_EQ(app::LoadTableString(kWizardIpHeader + app::kRussianStringOffset), "IP");
    EXPECT_EQ(app::LoadTableString(kRemoveQuestion + app::kRussianStringOffset),
              "Удалить устройство с адресом %s из списка?");
    EXPECT_EQ(app::LoadTableString(kTitleId), "Vantrel");
}

TEST_F(LocalizedStrings, EveryLanguageOtherThanZeroLoadsTheRussianTwin) {
    EXPECT_EQ(app::CurrentLanguage(), app::kEnglish);
    EXPECT_EQ(app::LoadLocalizedString(kCheckButton), "Check");
    for (const int language : {1, 5, -1}) {
        app::SetLanguage(language);
        EXPECT_EQ(app::CurrentLanguage(), language);
        EXPECT_EQ(app::LoadLocalizedString(kCheckButton), "Проверить");
        EXPECT_EQ(app::LoadLocalizedString(kOnlineHeader), "В сети");
    }
    // The title has no twin: loaded by its id, it is the same in both languages.
    EXPECT_EQ(app::LoadTableString(kTitleId), "Vantrel");
}

TEST_F(LocalizedStrings, MissingEntryIsEmpty) {
    EXPECT_EQ(app::LoadLocalizedString(kLanguageBox), "");
    EXPECT_EQ(app::LoadTableString(-5), "");
    app::SetLanguage(app::kRussian);
    EXPECT_EQ(app::LoadLocalizedString(kTitleId), "");
    EXPECT_EQ(app::LoadLocalizedString(2147483647), "");
}

TEST_F(LocalizedStrings, OnlyRussiaRussianIsTheDefaultRussian) {
    EXPECT_EQ(app::DefaultLanguageFor(0x0419), app::kRussian);
    EXPECT_EQ(app::DefaultLanguageFor(0x0819), app::kEnglish);
    EXPECT_EQ(app::DefaultLanguageFor(0x0409), app::kEnglish);

    for (const auto& [locale, language] :
         {std::pair{"ru_RU.UTF-8", app::kRussian}, std::pair{"ru_MD.UTF-8", app::kEnglish},
          std::pair{"de_DE.UTF-8", app::kEnglish}}) {
        const test_support::ScopedEnv variable("LC_ALL", locale);
        EXPECT_EQ(app::DefaultLanguage(), language) << locale;
    }
}

TEST_F(LocalizedStrings, RemoveQuestionTakesTheAddressInBothLanguages) {
    EXPECT_EQ(app::FormatWithText(app::LoadLocalizedString(kRemoveQuestion), "192.168.1.10"),
              "Remove device 192.168.1.10 from the list?");
    app::SetLanguage(app::kRussian);
    EXPECT_EQ(app::FormatWithText(app::LoadLocalizedString(kRemoveQuestion), "10.0.0.1"),
              "Удалить устройство с адресом 10.0.0.1 из списка?");
    EXPECT_EQ(app::FormatWithText("no placeholder", "x"), "no placeholder");
    EXPECT_EQ(app::FormatWithText("%s and %s", "%s"), "%s and %s");
}

TEST_F(LocalizedStrings, TableReaderSkipsAndReportsBadLines) {
    const app::StringTable table = app::ParseStringTable(
        "# comment\r\n"
        "10\tTen\\nlines \\\\ here\r\n"
        "\n"
        "11\n"        // no text
        "12 \\q\n"    // unknown escape
        "10 again\n"  // id given before
        "x13 text\n"  // no id
        "70000 too big\n"
        "14  two blanks");
    EXPECT_EQ(table.texts.size(), 2u);
    EXPECT_EQ(table.texts.at(10), "Ten\nlines \\ here");
    EXPECT_EQ(table.texts.at(14), "two blanks");
    EXPECT_EQ(table.badLines, (std::vector<int>{4, 5, 6, 7, 8}));
}

}  // namespace
