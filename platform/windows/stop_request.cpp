#include "platform/stop_request.h"

#include "platform/windows/console_stop.h"

namespace platform {

// The handler runs on a thread of its own and cannot cut a wait short; every wait of a serving
// loop is bounded, so the request is seen when the current one ends.
void CatchStopRequests() { windows::CatchConsoleStops(); }

bool StopRequested() { return windows::ConsoleStopRequested(); }

}  // namespace platform
