#include "platform/path_rules.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

// "C:\..." and "\\server\share\..."; a path that starts with one separator is taken as absolute
// too: it names the same place from every folder of the current drive.
bool IsAbsolutePath(const std::string& path) {
    if (!path.empty() && IsSeparator(path.front())) return true;
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && IsSeparator(path[2]);
}

bool InstalledBySystem(const std::string& programPath) {
    std::string lower = programPath;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) {
        return c == '/' ? '\\' : static_cast<char>(std::tolower(c));
    });
    return lower.find(":\\program files\\") == 1 || lower.find(":\\program files (x86)\\") == 1;
}

std::string UserConfigFolder(const std::string& configHome, const std::string& home) {
    if (IsAbsolutePath(configHome)) return configHome;
    if (IsAbsolutePath(home)) return JoinPath(JoinPath(home, "AppData"), "Roaming");
    return {};
}

}  // namespace platform
