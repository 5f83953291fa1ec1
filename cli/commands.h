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

// A command run and reported as the program does: its message printed, its ExitCode returned.
template <Outcome (*command)(Arguments)>
int Run(Arguments args) {
    return Report(command(std::move(args)));
}
inline constexpr auto RunDevicesCommand = &Run<DevicesCommand>;
inline constexpr auto RunAdaptersCommand = &Run<AdaptersCommand>;
inline constexpr auto RunCheckCommand = &Run<CheckCommand>;
inline constexpr auto RunSwitcherCommand = &Run<SwitcherCommand>;
inline constexpr auto RunPassportCommand = &Run<PassportCommand>;
inline constexpr auto RunPassportVerifyCommand = &Run<PassportVerifyCommand>;
inline constexpr auto RunDiscoverCommand = &Run<DiscoverCommand>;
inline constexpr auto RunSetNetworkCommand = &Run<SetNetworkCommand>;
inline constexpr auto RunModuleCommand = &Run<ModuleCommand>;
inline constexpr auto RunDoctorCommand = &Run<DoctorCommand>;
inline constexpr auto RunSiteCommand = &Run<SiteCommand>;
inline constexpr auto RunSweepCommand = &Run<SweepCommand>;
inline constexpr auto RunWatchCommand = &Run<WatchCommand>;

}  // namespace cli
