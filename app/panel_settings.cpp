#include "app/panel_settings.h"

#include <charconv>

#include "app/settings_file.h"

namespace app {

namespace panel_settings {

DeviceKeys::DeviceKeys(std::size_t position) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, position).ptr;
    const std::string_view number(digits, static_cast<std::size_t>(end - digits));
    ip.append("IP").append(number);
    mac.append("MAC").append(number);
}

std::int32_t ReadLanguage(SettingsFile& settings, std::int32_t defaultLanguage) {
    return settings.ReadInt(kLayoutSection, kLanguageKey, defaultLanguage);
}

bool WriteLanguage(SettingsFile& settings, std::int32_t language) {
    return settings.WriteInt(kLayoutSection, kLanguageKey, language);
}

std::uint32_t ReadLocalAdapter(SettingsFile& settings) {
    return SettingIntToAddress(settings.ReadInt(kConfigSection, kLocalIpKey, 0));
}

bool WriteLocalAdapter(SettingsFile& settings, std::uint32_t address) {
    return settings.WriteInt(kConfigSection, kLocalIpKey, AddressToSettingInt(address));
}

std::int32_t ReadCheckJobs(SettingsFile& settings) {
    return settings.ReadInt(kConfigSection, kCheckJobsKey, kDefaultPanelCheckJobs);
}

bool ReadWindowPlace(SettingsFile& settings, WindowPlace& place) {
    // One snapshot, so a place saved meanwhile by another copy is not read half old, half new.
    settings.BeginBatch();
    place.left = settings.ReadInt(kLayoutSection, kLeftKey, -1);
    place.top = settings.ReadInt(kLayoutSection, kTopKey, -1);
    place.width = settings.ReadInt(kLayoutSection, kWidthKey, -1);
    place.height = settings.ReadInt(kLayoutSection, kHeightKey, -1);
    settings.CommitBatch();
    return place.left != -1 && place.top != -1 && place.width != -1 && place.height != -1;
}

bool WriteWindowPlace(SettingsFile& settings, const WindowPlace& place) {
    settings.BeginBatch();
    settings.WriteInt(kLayoutSection, kLeftKey, place.left);
    settings.WriteInt(kLayoutSection, kTopKey, place.top);
    settings.WriteInt(kLayoutSection, kWidthKey, place.width);
    settings.WriteInt(kLayoutSection, kHeightKey, place.height);
    return settings.CommitBatch();
}

}  // namespace panel_settings

namespace panel_settings {

bool ReadSkinLayout(SettingsFile& settings, SkinPlace& place) {
    settings.BeginBatch();
    const bool present = !settings.ReadText(kSkinLayoutSection, kSkinLeftKey).empty() &&
                         !settings.ReadText(kSkinLayoutSection, kSkinTopKey).empty();
    if (present) {
        place.left = settings.ReadInt(kSkinLayoutSection, kSkinLeftKey, 0);
        place.top = settings.ReadInt(kSkinLayoutSection, kSkinTopKey, 0);
    }
    settings.CommitBatch();
    return present;
}

bool WriteSkinLayout(SettingsFile& settings, const SkinPlace& place) {
    settings.BeginBatch();
    settings.WriteInt(kSkinLayoutSection, kSkinLeftKey, place.left);
    settings.WriteInt(kSkinLayoutSection, kSkinTopKey, place.top);
    return settings.CommitBatch();
}

}  // namespace panel_settings

}  // namespace app
