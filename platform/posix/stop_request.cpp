#include <signal.h>

#include "platform/stop_request.h"

namespace platform {

namespace {

volatile sig_atomic_t stopRequested = 0;

void RequestStop(int) { stopRequested = 1; }

}  // namespace

void CatchStopRequests() {
    // No SA_RESTART: a wait in progress returns at once, so the loop sees the request.
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() { return stopRequested != 0; }

}  // namespace platform
