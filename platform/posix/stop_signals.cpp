#include "platform/stop_signals.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <pthread.h>

namespace platform {

namespace {

sigset_t StopSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

}  // namespace

void BlockStopSignals() {
    const sigset_t set = StopSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

bool WaitForStopSignal(unsigned timeoutMs) {
    const sigset_t set = StopSet();
    timespec wait{static_cast<time_t>(timeoutMs / 1000),
                  static_cast<long>(timeoutMs % 1000) * 1'000'000L};
    for (;;) {
        if (sigtimedwait(&set, nullptr, &wait) >= 0) return true;
        // Another signal interrupted the wait; the rest of the wait is not worth tracking.
        if (errno != EINTR) return false;
    }
}

}  // namespace platform
