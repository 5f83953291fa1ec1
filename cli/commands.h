#pragma once
#include "cli/cli_support.h"

namespace cli {

// args start after the command word. Each command's work ends in an outcome.
Outcome DevicesCommand(Arguments args);         // devices [add|remove] ...
Outcome AdaptersCommand(Arguments args);        // adapters
Outcome CheckCommand(Arguments args);           // check
Outcome SwitcherCommand(Arguments args);        // switcher set
Outcome PassportCommand(Arguments args);        // passport
Outcome PassportVerifyCommand(Arguments args);  // passport verify (args start after "verify")
Outcome DiscoverCommand(Arguments args);        // discover
Outcome SetNetworkCommand(Arguments args);      // set-network
Outcome ModuleCommand(Arguments args);          // command
Outcome DoctorCommand(Arguments args);          // doctor
Outcome SiteCommand(Arguments args);            // site plan|apply
Outcome SweepCommand(Arguments args);           // sweep
Outcome WatchCommand(Arguments args);           // watch

}  // namespace cli
