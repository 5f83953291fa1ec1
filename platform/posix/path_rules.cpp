#include "platform/path_rules.h"

namespace platform {

bool IsAbsolutePath(const std::string& path) {
    return !path.empty() && path.front() == kPathSeparator;
}

bool InstalledBySystem(const std::string& programPath) {
    return programPath.starts_with("/usr/") || programPath.starts_with("/opt/");
}

std::string UserConfigFolder(const std::string& configHome, const std::string& home) {
    if (IsAbsolutePath(configHome)) return configHome;
    if (IsAbsolutePath(home)) return JoinPath(home, ".config");
    return {};
}

}  // namespace platform
