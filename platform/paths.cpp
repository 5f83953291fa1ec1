#include "platform/paths.h"

#include <climits>
#include <unistd.h>

namespace platform {

std::string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string ReplaceExtension(const std::string& path, const std::string& newExtension) {
    const auto slash = path.find_last_of("/\\");
    const auto nameStart = slash == std::string::npos ? 0 : slash + 1;
    const auto dot = path.rfind('.');
    // A dot that opens the name (".hidden") is not an extension, as with _splitpath.
    if (dot == std::string::npos || dot <= nameStart) return path + newExtension;
    return path.substr(0, dot) + newExtension;
}

}  // namespace platform
