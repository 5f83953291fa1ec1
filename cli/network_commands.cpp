#include "cli/commands.h"
namespace cli {
int RunAdaptersCommand(Arguments) { return Fail(kExitFailed, "not built yet"); }
int RunCheckCommand(Arguments) { return Fail(kExitFailed, "not built yet"); }
int RunSwitcherCommand(Arguments) { return Fail(kExitFailed, "not built yet"); }
int RunPassportCommand(Arguments) { return Fail(kExitFailed, "not built yet"); }
int RunDiscoverCommand(Arguments) { return Fail(kExitFailed, "not built yet"); }
int RunSetNetworkCommand(Arguments) { return Fail(kExitFailed, "not built yet"); }
}
