#pragma once
// vantrel-modsim's command line and the module list it names.
#include <string>
#include <vector>

#include "sim/module_config.h"

namespace sim {

struct ModsimOptions {
    std::vector<std::string> configFiles;
    std::vector<std::string> moduleSpecs;
    std::string capturePath;
    unsigned durationMs = 0;  // 0: until a signal
    bool broadcast = false;
    bool help = false;
    bool version = false;
    bool listKeys = false;
};

constexpr unsigned kMaxDurationSeconds = 7 * 24 * 3600;

// The usage text, naming every key of a module.
std::string ModsimUsage();

// args are the arguments after the program name. False, with `error` set, for anything it does
// not understand.
bool ParseModsimArguments(const std::vector<std::string>& args, ModsimOptions& options,
                          std::string& error);

// The modules of every --config file, in order, then those of every --module, checked as a set.
bool LoadModules(const ModsimOptions& options, std::vector<ModuleConfig>& modules,
                 std::string& error);

// Broadcasts may only be heard inside the test network: every IPv4 address of this network
// namespace must be on loopback or in 198.18.0.0/24.
bool CheckBroadcastAllowedHere(std::string& error);

}  // namespace sim
