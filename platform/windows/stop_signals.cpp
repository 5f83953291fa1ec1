#include "platform/stop_signals.h"

#include "platform/windows/console_stop.h"

namespace platform {

// Control events arrive on a thread of the system's, never inside a library call of ours, so
// there is nothing to block: the handler only records them.
void BlockStopSignals() { windows::CatchConsoleStops(); }

bool WaitForStopSignal(unsigned timeoutMs) { return windows::WaitForConsoleStop(timeoutMs); }

}  // namespace platform
