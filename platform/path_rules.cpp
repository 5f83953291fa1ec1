#include "platform/path_rules.h"

namespace platform {

bool IsAbsolutePath(const std::string& path) {
    return !path.empty() && path.front() == kPathSeparator;
}

std::string ParentFolder(const std::string& path) {
    const auto separator = path.find_last_of(kPathSeparator);
    if (separator == std::string::npos) return ".";
    return separator == 0 ? std::string(1, kPathSeparator) : path.substr(0, separator);
}

std::string FileName(const std::string& path) {
    const auto separator = path.find_last_of(kPathSeparator);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == kPathSeparator) return folder + name;
    return folder + kPathSeparator + name;
}

std::string ReplaceExtension(const std::string& path, const std::string& newExtension) {
    // A backslash ends a folder name too, so a name typed the Windows way keeps its folders.
    const auto slash = path.find_last_of("/\\");
    const auto nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = path.rfind('.');
    // A dot that opens the name (".hidden") is not an extension, as with _splitpath.
    if (dot == std::string::npos || dot <= nameStart) return path + newExtension;
    return path.substr(0, dot) + newExtension;
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
