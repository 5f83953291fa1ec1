#pragma once
// A polite request to stop (Ctrl+C, or SIGINT/SIGTERM from another program) that a serving loop
// notices between waits instead of being ended at once.

namespace platform {

// From now on SIGINT and SIGTERM only set the request. A request that arrives during a wait cuts
// the wait short, so the loop sees it at once.
void CatchStopRequests();

// True once a stop has been requested.
bool StopRequested();

// Sleeps up to milliseconds, ending early as soon as a stop is requested; true when one was.
bool SleepUnlessStopped(unsigned milliseconds);

}  // namespace platform
