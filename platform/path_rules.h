#pragma once
// How this system writes paths: the separator, what makes a path absolute, which folders belong
// to the system, and where a user's configuration lives. Text rules only; nothing is looked up.
#include <string>

namespace platform {

#ifdef _WIN32
// Windows takes either; it writes a backslash.
inline constexpr char kPathSeparator = '\\';
inline constexpr const char* kPathSeparators = "\\/";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr const char* kPathSeparators = "/";
#endif

// True for a path that does not depend on the current folder.
bool IsAbsolutePath(const std::string& path);

// The folder part of path: "." for a bare name, the root for a name in the root.
std::string ParentFolder(const std::string& path);
// The last part of path, after its final separator.
std::string FileName(const std::string& path);
// name inside folder, with exactly one separator between them.
std::string JoinPath(const std::string& folder, const std::string& name);

// The path with its extension (after the last dot of the file name) replaced by newExtension,
// which includes its dot; a name without extension gets it appended.
std::string ReplaceExtension(const std::string& path, const std::string& newExtension);

// True for a program the system installed (under /usr or /opt; on Windows under a Program Files
// folder): its folder belongs to every user, so nothing one user makes should be put beside it.
bool InstalledBySystem(const std::string& programPath);

// The user's configuration folder: configHome (paths.h's ConfigHomeFolder: $XDG_CONFIG_HOME, on
// Windows %APPDATA%) when it is absolute, else "<home>/.config" (on Windows
// "<home>\AppData\Roaming") when home is absolute, else empty. A relative configHome is invalid
// and ignored, so nothing lands wherever the program happened to be started.
std::string UserConfigFolder(const std::string& configHome, const std::string& home);

}  // namespace platform
