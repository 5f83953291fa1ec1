#include "cli/cli_support.h"

#include <cstdio>
#include <filesystem>

#include "app/settings_location.h"
#include "platform/paths.h"

namespace cli {

std::string DefaultSettingsPath() {
    return app::settings_location::PanelSettingsPathBeside(platform::ExecutablePath());
}

bool CheckSettingsFile(const std::string& path, bool mustExist, std::string& error) {
    if (path.empty()) {
        error =
            "the panel's settings file has no place: its folder is not writable and neither "
            "XDG_CONFIG_HOME nor HOME names a folder; give --settings FILE";
        return false;
    }
    if (platform::IsFolder(path)) {
        error = "--settings: " + path + " is a folder, not a settings file";
        return false;
    }
    std::error_code ignored;
    if (mustExist && !std::filesystem::exists(path, ignored)) {
        error = "--settings: " + path + " does not exist";
        return false;
    }
    return true;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

}  // namespace cli
