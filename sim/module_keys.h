#pragma once
// The simulator's catalogue as data: the keys of a module, its reply behaviours and its control
// module's faults, each one row with its name, its help and how its value is read. The parser,
// its error messages, the usage text and `vantrel-modsim --list-keys` all come from these rows,
// so a new key or mode is one row.
#include <span>
#include <string>
#include <string_view>

#include "sim/module_config.h"

namespace sim {

struct ModuleKey {
    std::string_view name;
    std::string_view help;
    // Sets the key's field from its value, as given and in lower case; false with `expected`
    // saying what the value must be.
    bool (*apply)(ModuleConfig& module, std::string_view value, std::string_view lowerValue,
                  std::string& expected);
};

struct ReplyModeName {
    std::string_view name;
    ReplyMode mode;
    std::string_view argument;  // ":N" when the name takes a number of milliseconds
    std::string_view help;
};

std::span<const ModuleKey> ModuleKeys();
const ModuleKey* FindModuleKey(std::string_view lowerName);
std::span<const ReplyModeName> ReplyModes();

// "ip, mac, mask, ..." in the table's order.
std::string ModuleKeyNames();
// Every key, reply behaviour and control fault with its help, one a line (two blanks, the name,
// blanks, the help) under a heading for each table.
std::string ListKeysText();

}  // namespace sim
