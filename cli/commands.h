#pragma once
#include "cli/cli_support.h"

namespace cli {

// args start after the command word. Each returns an ExitCode.
int RunDevicesCommand(Arguments args);     // devices [add|remove] ...
int RunAdaptersCommand(Arguments args);    // adapters
int RunCheckCommand(Arguments args);       // check
int RunSwitcherCommand(Arguments args);    // switcher set
int RunPassportCommand(Arguments args);    // passport
int RunPassportVerifyCommand(Arguments args);  // passport verify (args start after "verify")
int RunDiscoverCommand(Arguments args);    // discover
int RunSetNetworkCommand(Arguments args);  // set-network
int RunModuleCommand(Arguments args);      // command
int RunDoctorCommand(Arguments args);      // doctor
int RunSiteCommand(Arguments args);        // site plan|apply
int RunWatchCommand(Arguments args);       // watch
int RunSweepCommand(Arguments args);       // sweep

}  // namespace cli
