#pragma once
#include <string>

namespace platform {

// Full path of the running executable, or the empty text when it cannot be found.
std::string ExecutablePath();

// The path with its extension (after the last dot of the file name) replaced by newExtension,
// which includes its dot; a name without extension gets it appended.
std::string ReplaceExtension(const std::string& path, const std::string& newExtension);

}  // namespace platform
