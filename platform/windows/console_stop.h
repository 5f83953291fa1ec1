#pragma once
// Windows has no SIGINT or SIGTERM: Ctrl+C, Ctrl+Break and closing the console window reach a
// console program as control events, handled on a thread of their own. One handler serves both
// platform/stop_request.h and platform/stop_signals.h.

namespace platform::windows {

// Installs the handler (once); from then on a control event only sets the request.
void CatchConsoleStops();
bool ConsoleStopRequested();
// Waits up to timeoutMs for a control event; true when one came (now or before).
bool WaitForConsoleStop(unsigned timeoutMs);

}  // namespace platform::windows
