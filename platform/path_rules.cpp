#include "platform/path_rules.h"

#include <string_view>

namespace platform {

std::string ParentFolder(const std::string& path) {
    const auto separator = path.find_last_of(kPathSeparators);
    if (separator == std::string::npos) return ".";
    return separator == 0 ? std::string(1, path.front()) : path.substr(0, separator);
}

std::string FileName(const std::string& path) {
    const auto separator = path.find_last_of(kPathSeparators);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() &&
        std::string_view(kPathSeparators).find(folder.back()) != std::string_view::npos)
        return folder + name;
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

}  // namespace platform
