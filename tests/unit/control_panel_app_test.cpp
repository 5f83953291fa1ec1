#include <gtest/gtest.h>

#include "app/control_panel_app.h"
#include "app/localized_strings.h"
#include "platform/path_rules.h"
#include "settings_test_support.h"

namespace {

using test_support::ReadBytes;
using test_support::TempFolder;
using test_support::WriteBytes;

TEST(ControlPanelApp, SettingsFileIsTheExecutableWithIniAsItsExtension) {
    // Folders that the test can write, so the copy counts as portable.
    TempFolder folder;
    EXPECT_EQ(app::CControlPanelApp::SettingsPathForExecutable(folder.File("panel.exe")),
              folder.File("panel.ini"));
    EXPECT_EQ(app::CControlPanelApp::SettingsPathForExecutable(folder.File("vantrel-panel")),
              folder.File("vantrel-panel.ini"));
    EXPECT_EQ(app::CControlPanelApp::SettingsPathForExecutable(folder.File("a.b.c")),
              folder.File("a.b.ini"));
    EXPECT_EQ(app::CControlPanelApp::SettingsPathForExecutable(""), "");
}

TEST(ControlPanelApp, RunningExecutableGivesTheSettingsPathBesideIt) {
    app::CControlPanelApp app;
    app.UseExecutableSettingsPath();
    EXPECT_TRUE(
        app.SettingsPath().ends_with(platform::kPathSeparator + std::string("unit_tests.ini")))
        << app.SettingsPath();
}

TEST(ControlPanelApp, TitleIsTheSameInBothLanguages) {
    app::CControlPanelApp app;
    EXPECT_EQ(app.ApplicationTitle(), "Vantrel");
    app::SetLanguage(app::kRussian);
    EXPECT_EQ(app.ApplicationTitle(), "Vantrel");
    app::SetLanguage(app::kEnglish);
}

TEST(ControlPanelApp, SettingsOperationsUseTheSettingsPath) {
    TempFolder folder;
    const std::string path = folder.File("panel.ini");
    WriteBytes(path, "[layout]\nleft=15\n");
    app::CControlPanelApp app;
    app.SetSettingsPath(path);
    EXPECT_EQ(app.SettingsPath(), path);
    EXPECT_EQ(app.ReadSettingInt("Layout", "Left", -1), 15);
    EXPECT_EQ(app.ReadSettingInt("Layout", "Top", -1), -1);
    EXPECT_TRUE(app.WriteSettingInt("Config", "LocalIP", -939415360));
    EXPECT_TRUE(app.WriteSettingText("List", "MAC0", "00:11:22:33:44:55"));
    EXPECT_EQ(app.ReadSettingText("list", "mac0"), "00:11:22:33:44:55");
    EXPECT_EQ(ReadBytes(path),
              "[layout]\nleft=15\n[Config]\nLocalIP=-939415360\n[List]\nMAC0=00:11:22:33:44:55\n");

    // Pointed at another file, it starts from that file's defaults.
    app.SetSettingsPath(folder.File("other.ini"));
    EXPECT_EQ(app.ReadSettingInt("Layout", "Left", -1), -1);
}

TEST(ControlPanelApp, UnwritableSettingsLoseValuesSilently) {
    TempFolder folder;
    app::CControlPanelApp app;
    app.SetSettingsPath(folder.Path());  // a folder where the file should be
    EXPECT_FALSE(app.WriteSettingInt("Layout", "Left", 3));
    EXPECT_EQ(app.ReadSettingInt("Layout", "Left", -1), -1);
    app.SetSettingsPath("");
    EXPECT_FALSE(app.WriteSettingInt("Layout", "Left", 3));
    EXPECT_EQ(app.ReadSettingInt("Layout", "Left", -1), -1);
}

}  // namespace
