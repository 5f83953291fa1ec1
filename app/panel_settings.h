#pragma once
// Every section and key of the panel's settings file, with typed accessors. The panel and the
// command line reach the file's keys only through here, so a key's name has one home.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace app {

class SettingsFile;

namespace panel_settings {

inline constexpr std::string_view kLayoutSection = "Layout";
inline constexpr std::string_view kLeftKey = "Left";
inline constexpr std::string_view kTopKey = "Top";
inline constexpr std::string_view kWidthKey = "Width";
inline constexpr std::string_view kHeightKey = "Height";
inline constexpr std::string_view kLanguageKey = "Language";

inline constexpr std::string_view kConfigSection = "Config";
inline constexpr std::string_view kLocalIpKey = "LocalIP";
inline constexpr std::string_view kCheckJobsKey = "CheckJobs";
inline constexpr std::int32_t kDefaultPanelCheckJobs = 32;

inline constexpr std::string_view kListSection = "List";
inline constexpr std::string_view kTotalKey = "Total";

inline constexpr std::string_view kDebugSection = "Debug";
inline constexpr std::string_view kLogKey = "Log";
inline constexpr std::string_view kSerialKey = "Serial";

inline constexpr std::string_view kSkinLayoutSection = "SkinLayout";

// "IP%d" and "MAC%d" of one list position, without a formatted print per key: a long list
// reads and writes two keys per device.
struct DeviceKeys {
    explicit DeviceKeys(std::size_t position);
    std::string ip;
    std::string mac;
};

// The interface language, 0 English or 1 Russian; defaultLanguage when it was never chosen.
std::int32_t ReadLanguage(SettingsFile& settings, std::int32_t defaultLanguage);
bool WriteLanguage(SettingsFile& settings, std::int32_t language);

// The chosen local adapter (network byte order); 0 when none was ever chosen.
std::uint32_t ReadLocalAdapter(SettingsFile& settings);
bool WriteLocalAdapter(SettingsFile& settings, std::uint32_t address);

// How many devices the main window's Check All asks at a time, as written: the window bounds
// it to what the exchange engine runs (1 asks one device after another).
std::int32_t ReadCheckJobs(SettingsFile& settings);

// The main window's normal client rectangle in screen pixels. Read as missing (false) unless
// all four keys are there and none is -1.
struct WindowPlace {
    int left = -1;
    int top = -1;
    int width = -1;
    int height = -1;
};
bool ReadWindowPlace(SettingsFile& settings, WindowPlace& place);
// One replacement of the file for the four keys.
bool WriteWindowPlace(SettingsFile& settings, const WindowPlace& place);

}  // namespace panel_settings

namespace panel_settings {

inline constexpr std::string_view kSkinLeftKey = kLeftKey;
inline constexpr std::string_view kSkinTopKey = kTopKey;

// The remote control panel's place: the top-left corner of its window in screen pixels.
struct SkinPlace {
    int left = 0;
    int top = 0;
};
// False unless both keys are there.
bool ReadSkinLayout(SettingsFile& settings, SkinPlace& place);
// One replacement of the file for both keys.
bool WriteSkinLayout(SettingsFile& settings, const SkinPlace& place);

}  // namespace panel_settings

}  // namespace app
