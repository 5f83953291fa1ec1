#include "cli/cli_support.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "app/settings_location.h"
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
    return settings_location::PanelSettingsPathBeside(platform::ExecutablePath());
}

std::optional<std::string_view> NearestName(std::string_view word,
                                            const std::vector<std::string_view>& names) {
    // Edit distance: a letter added, dropped, changed, or two neighbours swapped.
    const auto distance = [](std::string_view a, std::string_view b) {
        std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
        for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
        for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
        for (std::size_t i = 1; i <= a.size(); ++i) {
            for (std::size_t j = 1; j <= b.size(); ++j) {
                const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
                d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
                if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                    d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
        return d[a.size()][b.size()];
    };
    std::optional<std::string_view> best;
    std::size_t bestDistance = 0;
    for (const std::string_view name : names) {
        const std::size_t d = distance(word, name);
        if (!best || d < bestDistance) {
            best = name;
            bestDistance = d;
        }
    }
    // Beyond a third of the word's letters (at least two) a guess would be noise.
    const std::size_t limit = std::max<std::size_t>(2, word.size() / 3);
    if (!best || bestDistance == 0 || bestDistance > limit) return std::nullopt;
    return best;
}

bool CheckSettingsFile(const std::string& path, bool mustExist, std::string& error) {
    if (path.empty()) {
        error = "the panel's settings file has no place: its folder is not writable and neither "
                "XDG_CONFIG_HOME nor HOME names a folder; give --settings FILE";
        return false;
    }
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
