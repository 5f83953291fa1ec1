#include "app/control_panel_app.h"

#include "app/localized_strings.h"
#include "platform/paths.h"

bool CControlPanelApp::AcquireInstanceGuard() { return guard_.Acquire(kInstanceGuardName); }

void CControlPanelApp::ReleaseInstanceGuard() { guard_.Release(); }

std::string CControlPanelApp::SettingsPathForExecutable(const std::string& executablePath) {
    if (executablePath.empty()) return {};
    return platform::ReplaceExtension(executablePath, ".ini");
}

std::string CControlPanelApp::PanelSettingsPathBeside(const std::string& executablePath) {
    const auto slash = executablePath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : executablePath.substr(0, slash);
    return folder + "/vantrel-panel.ini";
}

void CControlPanelApp::UseExecutableSettingsPath() {
    SetSettingsPath(SettingsPathForExecutable(platform::ExecutablePath()));
}

void CControlPanelApp::SetSettingsPath(std::string path) {
    settingsPath_ = std::move(path);
    settings_.SetPath(settingsPath_);
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
