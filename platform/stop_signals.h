#pragma once
// Ending a headless program on SIGTERM or SIGINT: the signals are blocked in every thread and
// one thread takes them when it is ready to, so no handler runs in the middle of a library call.
namespace platform {

// Blocks SIGTERM and SIGINT in the calling thread and in every thread it starts afterwards: call
// it before starting any.
void BlockStopSignals();

// Waits up to timeoutMs for SIGTERM or SIGINT (blocked by BlockStopSignals); true when one came.
bool WaitForStopSignal(unsigned timeoutMs);

}  // namespace platform
