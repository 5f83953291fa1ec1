#include "platform/windows/console_stop.h"

#include <windows.h>

#include <atomic>

namespace platform::windows {

namespace {

std::atomic<bool> stopRequested{false};
HANDLE stopEvent = nullptr;

BOOL WINAPI OnControlEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            stopRequested = true;
            SetEvent(stopEvent);
            return TRUE;
        default: return FALSE;
    }
}

}  // namespace

void CatchConsoleStops() {
    static const bool installed = [] {
        stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        return SetConsoleCtrlHandler(OnControlEvent, TRUE) != 0;
    }();
    (void)installed;
}

bool ConsoleStopRequested() { return stopRequested; }

bool WaitForConsoleStop(unsigned timeoutMs) {
    if (stopRequested) return true;
    if (stopEvent == nullptr) {
        Sleep(timeoutMs);
        return stopRequested;
    }
    return WaitForSingleObject(stopEvent, timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace platform::windows
