#include "app/control_panel_app.h"

#include <filesystem>
#include <optional>

#include "app/localized_strings.h"
#include "app/settings_location.h"
#include "platform/paths.h"

namespace app {

namespace {

// The absolute path with links followed as far as they exist; a file that does not exist yet
// keeps its own name.
std::string ResolvedPath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    if (error) return path;
    const auto resolved = std::filesystem::weakly_canonical(absolute, error);
    return (error ? absolute.lexically_normal() : resolved).string();
}

bool SameFile(const std::string& a, const std::string& b) {
    if (ResolvedPath(a) == ResolvedPath(b)) return true;
    std::error_code error;  // a hard link is the same file under another name
    return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace

bool CControlPanelApp::AcquireInstanceGuard() {
    if (!guard_.Acquire(kInstanceGuardName)) return false;
    // Without a path yet, the guard says nothing until SetSettingsPath: an empty line would
    // tell the command line that no file is in use.
    if (!settingsPath_.empty()) PublishSettingsPath();
    return true;
}

void CControlPanelApp::PublishSettingsPath() {
    if (guard_.Held()) guard_.Publish(ResolvedPath(settingsPath_));
}

bool CControlPanelApp::PanelHoldsSettingsFile(const std::string& path) {
    std::optional<std::string> held;
    if (!platform::InstanceLock::ReadHolder(kInstanceGuardName, held)) return false;
    return !held || SameFile(*held, path);
}

void CControlPanelApp::ReleaseInstanceGuard() { guard_.Release(); }

std::string CControlPanelApp::SettingsPathForExecutable(const std::string& executablePath) {
    return settings_location::SettingsPathForProgram(executablePath);
}

void CControlPanelApp::UseExecutableSettingsPath() {
    SetSettingsPath(SettingsPathForExecutable(platform::ExecutablePath()));
    // A failure shows later, as a refused write, like any other unwritable settings file.
    settings_location::PrepareSettingsFolder(settingsPath_);
}

void CControlPanelApp::SetSettingsPath(std::string path) {
    settingsPath_ = std::move(path);
    settings_.SetPath(settingsPath_);
    PublishSettingsPath();
}

const std::string& CControlPanelApp::SettingsPath() const { return settingsPath_; }

std::string CControlPanelApp::ApplicationTitle() const { return LoadTableString(kTitleStringId); }

std::int32_t CControlPanelApp::ReadSettingInt(std::string_view section, std::string_view key,
                                              std::int32_t defaultValue) {
    return settings_.ReadInt(section, key, defaultValue);
}

bool CControlPanelApp::WriteSettingInt(std::string_view section, std::string_view key,
                                       std::int32_t value) {
    return settings_.WriteInt(section, key, value);
}

std::string CControlPanelApp::ReadSettingText(std::string_view section, std::string_view key) {
    return settings_.ReadText(section, key);
}

bool CControlPanelApp::WriteSettingText(std::string_view section, std::string_view key,
                                        std::string_view text) {
    return settings_.WriteText(section, key, text);
}

CControlPanelApp& TheApp() {
    static CControlPanelApp app;
    return app;
}

}  // namespace app
