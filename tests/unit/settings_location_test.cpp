// Where each copy of a program keeps its settings file and log: beside itself when it may write
// there, else in the user's configuration folder.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "app/control_panel_app.h"
#include "app/panel_settings.h"
#include "app/settings_location.h"
#include "platform/paths.h"
#include "settings_test_support.h"
#include "tests/support/scoped_env.h"

namespace {

using app::settings_location::ChooseSettingsPath;
using app::settings_location::Facts;
using test_support::TempFolder;
using test_support::WriteBytes;

Facts InstalledCopy() {
    Facts facts;
    facts.programPath = "/usr/bin/vantrel-panel";
    facts.home = "/home/op";
    return facts;
}

TEST(SettingsLocation, WritableFolderOrAnExistingFileKeepsTheFileBesideTheProgram) {
    Facts portable;
    portable.programPath = "/home/op/tools/vantrel-panel";
    portable.folderWritable = true;
    portable.configHome = "/home/op/.cfg";
    EXPECT_EQ(ChooseSettingsPath(portable), "/home/op/tools/vantrel-panel.ini");
    portable.programPath = "/home/op/v1.2/panel.exe";
    EXPECT_EQ(ChooseSettingsPath(portable), "/home/op/v1.2/panel.ini");

    // An administrator's file beside an installed copy wins over the user's folder.
    Facts shipped = InstalledCopy();
    shipped.besideExists = true;
    EXPECT_EQ(ChooseSettingsPath(shipped), "/usr/bin/vantrel-panel.ini");
}

TEST(SettingsLocation, InstalledCopyUsesTheUsersConfigurationFolder) {
    Facts facts = InstalledCopy();
    EXPECT_EQ(ChooseSettingsPath(facts), "/home/op/.config/vantrel/vantrel-panel.ini");
    facts.configHome = "/var/cfg";
    EXPECT_EQ(ChooseSettingsPath(facts), "/var/cfg/vantrel/vantrel-panel.ini");
    // A relative XDG_CONFIG_HOME is not valid and would depend on the current folder.
    facts.configHome = "cfg";
    EXPECT_EQ(ChooseSettingsPath(facts), "/home/op/.config/vantrel/vantrel-panel.ini");
    facts.programPath = "/opt/vantrel/bin/vantrel-remote";
    EXPECT_EQ(ChooseSettingsPath(facts), "/home/op/.config/vantrel/vantrel-remote.ini");
}

// root may write /usr/bin, but a file made there by "sudo vantrel-cli" would become every user's
// settings file, which none of them could save.
TEST(SettingsLocation, AdministratorNeverPutsANewFileBesideAnInstalledCopy) {
    Facts facts = InstalledCopy();
    facts.folderWritable = true;
    EXPECT_EQ(ChooseSettingsPath(facts), "/usr/bin/vantrel-panel.ini");  // a user owning /usr/bin
    facts.administrator = true;
    facts.home = "/root";
    EXPECT_EQ(ChooseSettingsPath(facts), "/root/.config/vantrel/vantrel-panel.ini");
    facts.programPath = "/opt/vantrel/vantrel-panel";
    EXPECT_EQ(ChooseSettingsPath(facts), "/root/.config/vantrel/vantrel-panel.ini");
    facts.besideExists = true;  // one the administrator placed on purpose
    EXPECT_EQ(ChooseSettingsPath(facts), "/opt/vantrel/vantrel-panel.ini");
    facts.besideExists = false;
    facts.programPath = "/home/op/build/bin/vantrel-panel";
    EXPECT_EQ(ChooseSettingsPath(facts), "/home/op/build/bin/vantrel-panel.ini");
    facts.programPath = "/usrlocal/vantrel-panel";  // only the folders themselves count
    EXPECT_EQ(ChooseSettingsPath(facts), "/usrlocal/vantrel-panel.ini");
}

// Without any place the empty path makes every write fail visibly instead of landing in "/".
TEST(SettingsLocation, NoProgramPathOrNoAbsoluteHomeGivesNoPath) {
    Facts facts = InstalledCopy();
    facts.home = "";
    EXPECT_EQ(ChooseSettingsPath(facts), "");
    facts.home = "relative/home";
    EXPECT_EQ(ChooseSettingsPath(facts), "");
    facts = Facts{};
    facts.folderWritable = true;
    EXPECT_EQ(ChooseSettingsPath(facts), "");
}

TEST(SettingsLocation, LogLiesBesideTheSettingsFile) {
    EXPECT_EQ(
        app::settings_location::LogPathForSettings("/home/op/.config/vantrel/vantrel-panel.ini"),
        "/home/op/.config/vantrel/vantrel-panel.log");
    EXPECT_EQ(app::settings_location::LogPathForSettings(""), "");
}

TEST(SettingsLocation, ThisComputersFactsDecideForARealProgram) {
    TempFolder folder, config;
    test_support::ScopedEnv xdg("XDG_CONFIG_HOME", config.Path());
    const std::string program = folder.File("vantrel-panel");
    EXPECT_EQ(app::settings_location::SettingsPathForProgram(program),
              folder.File("vantrel-panel.ini"));
    EXPECT_EQ(app::settings_location::PanelSettingsPathBeside(folder.File("vantrel-cli")),
              folder.File("vantrel-panel.ini"));

    // A folder that cannot be written: missing here; read-only below, where the user is not root.
    const std::string elsewhere = folder.File("missing/vantrel-panel");
    EXPECT_EQ(app::settings_location::SettingsPathForProgram(elsewhere),
              config.Path() + "/vantrel/vantrel-panel.ini");
    ASSERT_EQ(chmod(folder.Path().c_str(), 0555), 0);
    if (!platform::FolderWritable(folder.Path())) {
        EXPECT_EQ(app::settings_location::SettingsPathForProgram(program),
                  config.Path() + "/vantrel/vantrel-panel.ini");
    }
    chmod(folder.Path().c_str(), 0755);
    WriteBytes(folder.File("vantrel-panel.ini"), "[Config]\n");
    ASSERT_EQ(chmod(folder.Path().c_str(), 0555), 0);
    EXPECT_EQ(app::settings_location::SettingsPathForProgram(program),
              folder.File("vantrel-panel.ini"));
    chmod(folder.Path().c_str(), 0755);
}

// The panel reads and writes an installed copy's settings in the configuration folder, which
// its first write makes private to the user.
TEST(SettingsLocation, PanelMakesTheConfigurationFolderAndKeepsItsSettingsThere) {
    TempFolder config;
    const std::string base = config.File("deeper");
    test_support::ScopedEnv xdg("XDG_CONFIG_HOME", base);
    const std::string path = base + "/vantrel/vantrel-panel.ini";
    ASSERT_TRUE(app::settings_location::PrepareSettingsFolder(path));
    struct stat status {};
    ASSERT_EQ(stat((base + "/vantrel").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);

    app::CControlPanelApp app;
    app.SetSettingsPath(path);
    ASSERT_TRUE(app::panel_settings::WriteLanguage(app.Settings(), 1));
    app::CControlPanelApp restarted;
    restarted.SetSettingsPath(path);
    EXPECT_EQ(app::panel_settings::ReadLanguage(restarted.Settings(), 0), 1);

    // A folder that exists keeps its mode; a file where the folder should be is no folder.
    ASSERT_EQ(chmod((base + "/vantrel").c_str(), 0750), 0);
    EXPECT_TRUE(app::settings_location::PrepareSettingsFolder(path));
    ASSERT_EQ(stat((base + "/vantrel").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0750u);
    WriteBytes(config.File("file"), "");
    EXPECT_FALSE(app::settings_location::PrepareSettingsFolder(config.File("file/vantrel/x.ini")));
    EXPECT_FALSE(app::settings_location::PrepareSettingsFolder(""));
}

}  // namespace
