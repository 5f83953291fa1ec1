#pragma once
// Where a program keeps its settings file and its diagnostic log. A copy whose folder its user
// can write (a portable copy, the build tree) keeps them beside itself; an installed copy, whose
// folder belongs to the system, keeps them in the user's configuration folder. Every program
// finds the panel's file by this one rule.
#include <string>

namespace app {

namespace settings_location {

// The name of the folder inside the user's configuration folder.
inline constexpr const char* kConfigFolderName = "vantrel";
// The panel's program name: the other programs find its settings file from it.
inline constexpr const char* kPanelProgramName = "vantrel-panel";

// What the choice depends on, gathered by SettingsPathForProgram.
struct Facts {
    std::string programPath;      // the program the file belongs to, absolute
    bool besideExists = false;    // a file already lies beside the program
    bool folderWritable = false;  // the user can write the program's folder
    bool administrator = false;   // the user may write any folder (root)
    std::string configHome;       // $XDG_CONFIG_HOME, may be empty
    std::string home;             // the user's home folder, may be empty
};

// The program's path with ".ini" when a file lies there or its folder is writable (for the
// administrator, a folder outside /usr and /opt: one settings file put beside an installed copy
// would become every user's, and none of them could save it), else
// "<config home>/vantrel/<program name>.ini", where the config home is an absolute
// $XDG_CONFIG_HOME or "<home>/.config". Empty when the program has no path, or when it would
// need the configuration folder and no absolute one is known.
std::string ChooseSettingsPath(const Facts& facts);

// ChooseSettingsPath with the facts of this computer and user.
std::string SettingsPathForProgram(const std::string& programPath);

// The panel's settings file for a program that lies beside the panel (vantrel-cli and the rest).
std::string PanelSettingsPathBeside(const std::string& programPath);

// The diagnostic log beside a settings file: the same name with ".log".
std::string LogPathForSettings(const std::string& settingsPath);

// Makes the settings file's folder (0700) when it is missing, as before the first write in the
// configuration folder. True when the folder exists afterwards.
bool PrepareSettingsFolder(const std::string& settingsPath);

}  // namespace settings_location

}  // namespace app
