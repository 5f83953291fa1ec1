#include "app/settings_location.h"

#include <filesystem>

#include "platform/path_rules.h"
#include "platform/paths.h"

namespace app {

namespace settings_location {

using platform::ParentFolder;

std::string ChooseSettingsPath(const Facts& facts) {
    if (facts.programPath.empty()) return {};
    const std::string beside = platform::ReplaceExtension(facts.programPath, ".ini");
    const bool writable = facts.folderWritable &&
                          !(facts.administrator && platform::InstalledBySystem(facts.programPath));
    if (facts.besideExists || writable) return beside;
    const std::string configFolder = platform::UserConfigFolder(facts.configHome, facts.home);
    if (configFolder.empty()) return {};
    return platform::JoinPath(platform::JoinPath(configFolder, kConfigFolderName),
                              platform::FileName(beside));
}

std::string SettingsPathForProgram(const std::string& programPath) {
    Facts facts;
    facts.programPath = programPath;
    if (!programPath.empty()) {
        std::error_code ignored;
        facts.besideExists =
            std::filesystem::exists(platform::ReplaceExtension(programPath, ".ini"), ignored);
        facts.folderWritable = platform::FolderWritable(ParentFolder(programPath));
        facts.administrator = platform::RunsAsAdministrator();
    }
    facts.configHome = platform::ConfigHomeFolder();
    facts.home = platform::HomeFolder();
    return ChooseSettingsPath(facts);
}

std::string PanelSettingsPathBeside(const std::string& programPath) {
    if (programPath.empty()) return {};
    return SettingsPathForProgram(platform::JoinPath(ParentFolder(programPath), kPanelProgramName));
}

std::string LogPathForSettings(const std::string& settingsPath) {
    if (settingsPath.empty()) return {};
    return platform::ReplaceExtension(settingsPath, ".log");
}

bool PrepareSettingsFolder(const std::string& settingsPath) {
    if (settingsPath.empty()) return false;
    const std::string folder = ParentFolder(settingsPath);
    return platform::IsFolder(folder) || platform::MakePrivateFolder(folder);
}

}  // namespace settings_location

}  // namespace app
