#include "cli/cli_support.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "app/control_panel_app.h"
#include "platform/paths.h"

namespace cli {

std::optional<std::string> TakeOption(Arguments& args, std::string_view name, bool& missingValue) {
    missingValue = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] != name) continue;
        if (i + 1 >= args.size()) {
            missingValue = true;
            args.erase(args.begin() + static_cast<long>(i));
            return std::nullopt;
        }
        std::string value = args[i + 1];
        args.erase(args.begin() + static_cast<long>(i), args.begin() + static_cast<long>(i) + 2);
        return value;
    }
    return std::nullopt;
}

bool TakeFlag(Arguments& args, std::string_view name) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            args.erase(args.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

std::string DefaultSettingsPath() {
    return CControlPanelApp::PanelSettingsPathBeside(platform::ExecutablePath());
}

bool CheckSettingsFile(const std::string& path, bool mustExist, std::string& error) {
    std::error_code ignored;
    const auto status = std::filesystem::status(path, ignored);
    if (std::filesystem::is_directory(status)) {
        error = "--settings: " + path + " is a folder, not a settings file";
        return false;
    }
    if (mustExist && !std::filesystem::exists(status)) {
        error = "--settings: " + path + " does not exist";
        return false;
    }
    return true;
}

int Fail(int code, const std::string& message) {
    std::cerr << "vantrel-cli: " << message << '\n';
    return code;
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
