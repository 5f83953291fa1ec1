#include "app/settings_location.h"

#include <filesystem>

#include "platform/paths.h"

namespace settings_location {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

bool InstalledBySystem(const std::string& programPath) {
    return programPath.starts_with("/usr/") || programPath.starts_with("/opt/");
}

}  // namespace

std::string ChooseSettingsPath(const Facts& facts) {
    if (facts.programPath.empty()) return {};
    const std::string beside = platform::ReplaceExtension(facts.programPath, ".ini");
    const bool writable =
        facts.folderWritable && !(facts.administrator && InstalledBySystem(facts.programPath));
    if (facts.besideExists || writable) return beside;
    // A relative XDG_CONFIG_HOME is invalid and must be ignored, so the file never lands
    // wherever the program happened to be started.
    std::string configHome = facts.configHome;
    if (!IsAbsolute(configHome)) {
        if (!IsAbsolute(facts.home)) return {};
        configHome = facts.home + "/.config";
    }
    return configHome + "/" + kConfigFolderName + "/" + NameOf(beside);
}

std::string SettingsPathForProgram(const std::string& programPath) {
    Facts facts;
    facts.programPath = programPath;
    if (!programPath.empty()) {
        std::error_code ignored;
        facts.besideExists =
            std::filesystem::exists(platform::ReplaceExtension(programPath, ".ini"), ignored);
        facts.folderWritable = platform::FolderWritable(FolderOf(programPath));
        facts.administrator = platform::RunsAsAdministrator();
    }
    facts.configHome = platform::EnvironmentValue("XDG_CONFIG_HOME");
    facts.home = platform::HomeFolder();
    return ChooseSettingsPath(facts);
}

std::string PanelSettingsPathBeside(const std::string& programPath) {
    if (programPath.empty()) return {};
    return SettingsPathForProgram(FolderOf(programPath) + "/" + kPanelProgramName);
}

std::string LogPathForSettings(const std::string& settingsPath) {
    if (settingsPath.empty()) return {};
    return platform::ReplaceExtension(settingsPath, ".log");
}

bool PrepareSettingsFolder(const std::string& settingsPath) {
    if (settingsPath.empty()) return false;
    const std::string folder = FolderOf(settingsPath);
    std::error_code ignored;
    if (std::filesystem::is_directory(folder, ignored)) return true;
    return platform::MakePrivateFolder(folder);
}

}  // namespace settings_location
