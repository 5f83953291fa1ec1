// The remote panel's place in the settings file: read back only when both keys are there, and
// written next to everything else the file holds.
#include <gtest/gtest.h>

#include "app/panel_settings.h"
#include "app/settings_file.h"
#include "settings_test_support.h"

namespace {

using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

TEST(SkinLayoutSetting, NeedsBothKeys) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    app::panel_settings::SkinPlace place{7, 8};
    app::SettingsFile settings(path);
    EXPECT_FALSE(app::panel_settings::ReadSkinLayout(settings, place));

    WriteBytes(path, "[SkinLayout]\r\nLeft=-20\r\n");
    EXPECT_FALSE(app::panel_settings::ReadSkinLayout(settings, place));
    WriteBytes(path, "[SkinLayout]\r\nLeft=-20\r\nTop=\r\n");
    EXPECT_FALSE(app::panel_settings::ReadSkinLayout(settings, place));
    EXPECT_EQ(place.left, 7);

    // Left, not the main window's "Layout" Left, and a place off the screen's left edge.
    WriteBytes(path, "[Layout]\r\nLeft=1\r\nTop=2\r\n[skinlayout]\r\nleft=-20\r\ntop=300\r\n");
    ASSERT_TRUE(app::panel_settings::ReadSkinLayout(settings, place));
    EXPECT_EQ(place.left, -20);
    EXPECT_EQ(place.top, 300);
}

TEST(SkinLayoutSetting, WritingKeepsTheRestOfTheFile) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "; mine\r\n[Layout]\r\nLeft=1\r\n");
    app::SettingsFile settings(path);
    ASSERT_TRUE(app::panel_settings::WriteSkinLayout(settings, {150, 90}));
    const std::string text = ReadBytes(path);
    EXPECT_NE(text.find("; mine"), std::string::npos);
    EXPECT_NE(text.find("[Layout]\r\nLeft=1"), std::string::npos);
    app::panel_settings::SkinPlace place;
    ASSERT_TRUE(app::panel_settings::ReadSkinLayout(settings, place));
    EXPECT_EQ(place.left, 150);
    EXPECT_EQ(place.top, 90);
}

}  // namespace
