#pragma once
// What every vantrel-cli command shares: exit codes, argument reading and JSON text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,       // a device did not answer or an exchange failed
    kExitBadArguments = 2,
};

using Arguments = std::vector<std::string>;

// Removes "--name VALUE" from args and returns VALUE; nullopt when absent. `missingValue` is set
// when the option is present without a value.
std::optional<std::string> TakeOption(Arguments& args, std::string_view name, bool& missingValue);
// Removes a "--name" flag from args; true when it was present.
bool TakeFlag(Arguments& args, std::string_view name);

// The panel's own settings file for a panel beside this executable: vantrel-panel.ini beside
// it, or in the user's configuration folder for an installed copy. Empty when it has no place.
std::string DefaultSettingsPath();

// The name among names nearest to a misspelt word, when one is near enough to be meant.
std::optional<std::string_view> NearestName(std::string_view word,
                                            const std::vector<std::string_view>& names);

// A settings file a command is about to use: a folder is never one, the empty path (no place for
// the panel's own) neither, and a missing file is an error when mustExist (a file the user named to be read). False with a one-line reason.
bool CheckSettingsFile(const std::string& path, bool mustExist, std::string& error);

// Prints "vantrel-cli: message" to standard error and returns code.
int Fail(int code, const std::string& message);

std::string JsonString(std::string_view text);

}  // namespace cli
