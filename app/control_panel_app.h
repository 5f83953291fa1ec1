#pragma once
// The application object: one per process. It owns the single-instance guard and the settings
// path for the whole run; every part reaches the settings through it.
#include <cstdint>
#include <string>
#include <string_view>

#include "app/settings_file.h"
#include "app/string_ids.h"
#include "platform/instance_lock.h"

namespace app {

class CControlPanelApp {
public:
    static constexpr const char* kInstanceGuardName = "QVM_ControlPanel";
    static constexpr int kTitleStringId = string_ids::kApplicationTitle;

    // Taken first at start-up, before a display is opened or a setting read: false when another
    // copy holds the guard (or it cannot be made), and this copy then ends without a window.
    // While held, the guard shows the settings path to other programs (see
    // PanelHoldsSettingsFile), so a command-line edit cannot be undone by this copy's next save.
    bool AcquireInstanceGuard();
    // Dropped once the main window has closed and saved its place.
    void ReleaseInstanceGuard();

    // Where a copy keeps its settings: the executable's path with ".ini" as its extension, or for
    // an installed copy the file in the user's configuration folder (see settings_location.h).
    // The empty path (every read a default, every write refused) when there is no place for it.
    static std::string SettingsPathForExecutable(const std::string& executablePath);
    // SetSettingsPath for the running executable; makes the configuration folder when needed.
    void UseExecutableSettingsPath();
    void SetSettingsPath(std::string path);
    const std::string& SettingsPath() const;

    // True while a running copy holds the guard and uses this settings file: the same file after
    // resolving relative paths and links. Also true while that copy has not yet said which file
    // it uses, since an edit could then be lost.
    static bool PanelHoldsSettingsFile(const std::string& path);

    // String 57344, loaded without the language offset: the caption of every message box.
    std::string ApplicationTitle() const;

    std::int32_t ReadSettingInt(std::string_view section, std::string_view key,
                                std::int32_t defaultValue);
    bool WriteSettingInt(std::string_view section, std::string_view key, std::int32_t value);
    std::string ReadSettingText(std::string_view section, std::string_view key);
    bool WriteSettingText(std::string_view section, std::string_view key, std::string_view text);

    SettingsFile& Settings() { return settings_; }

private:
    void PublishSettingsPath();

    platform::InstanceLock guard_;
    std::string settingsPath_;
    SettingsFile settings_;
};

// The one application object of the process.
CControlPanelApp& TheApp();

}  // namespace app
