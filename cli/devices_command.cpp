#include "cli/commands.h"
namespace cli {
int RunDevicesCommand(Arguments) { return Fail(kExitFailed, "devices: not built yet"); }
}
