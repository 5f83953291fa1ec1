#pragma once
// What this system says about the running program, the user and their folders. The rules for
// writing paths are in path_rules.h.
#include <string>

namespace platform {

// Full path of the running executable, or the empty text when it cannot be found.
std::string ExecutablePath();

// True when path names an existing folder (links followed).
bool IsFolder(const std::string& path);

// True when this process may create and replace files in folder (the folder exists, and the
// user may write and search it).
bool FolderWritable(const std::string& folder);

// True for root, whom every folder lets write.
bool RunsAsAdministrator();

// The value of an environment variable; empty when it is not set.
std::string EnvironmentValue(const char* name);

// The user's home folder: $HOME, else the one of the user database (on Windows %USERPROFILE%);
// empty when neither is known.
std::string HomeFolder();

// Where the user's programs keep their settings when the system names a place: $XDG_CONFIG_HOME
// (on Windows %APPDATA%); empty when unset. See UserConfigFolder for the rule that uses it.
std::string ConfigHomeFolder();

// Makes folder and any missing parents, each new one readable only by the user (0700); folders
// that exist keep their modes. True when folder is a folder afterwards.
bool MakePrivateFolder(const std::string& folder);

}  // namespace platform
