#pragma once
// Ending a long-running program cleanly on SIGINT (Ctrl-C) or SIGTERM (a service manager): the
// signal only raises a flag, and the program's own loop notices it, finishes its line and ends.

namespace platform {

// Installs the handlers; idempotent.
void CatchStopSignals();
bool StopRequested();
// Sleeps up to milliseconds, returning early (true) as soon as a stop is requested.
bool SleepUnlessStopped(unsigned milliseconds);

}  // namespace platform
