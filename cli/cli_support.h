#pragma once
// What every vantrel-cli command shares: outcomes, argument reading and JSON text.
#include <string>
#include <string_view>

#include "app/command_line.h"
#include "cli/outcome.h"

namespace cli {

using app::command_line::Arguments;
using app::command_line::FirstOption;
using app::command_line::NearestName;
using app::command_line::TakeFlag;
using app::command_line::TakeOption;

// The panel's own settings file for a panel beside this executable: vantrel-panel.ini beside
// it, or in the user's configuration folder for an installed copy. Empty when it has no place.
std::string DefaultSettingsPath();

// A settings file a command is about to use: a folder is never one, the empty path (no place for
// the panel's own) neither, and a missing file is an error when mustExist (a file the user named
// to be read). False with a one-line reason.
bool CheckSettingsFile(const std::string& path, bool mustExist, std::string& error);

std::string JsonString(std::string_view text);

}  // namespace cli
