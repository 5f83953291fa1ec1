#pragma once
#include <string>

namespace platform {

// Full path of the running executable, or the empty text when it cannot be found.
std::string ExecutablePath();

// The path with its extension (after the last dot of the file name) replaced by newExtension,
// which includes its dot; a name without extension gets it appended.
std::string ReplaceExtension(const std::string& path, const std::string& newExtension);

// True when this process may create and replace files in folder (the folder exists, and the
// user may write and search it).
bool FolderWritable(const std::string& folder);

// True for root, whom every folder lets write.
bool RunsAsAdministrator();

// The value of an environment variable; empty when it is not set.
std::string EnvironmentValue(const char* name);

// The user's home folder: $HOME, else the one of the user database; empty when neither is known.
std::string HomeFolder();

// Makes folder and any missing parents, each new one readable only by the user (0700); folders
// that exist keep their modes. True when folder is a folder afterwards.
bool MakePrivateFolder(const std::string& folder);

}  // namespace platform
