#include "platform/tick.h"

#include <windows.h>

namespace platform {

std::uint32_t TickCount() {
    if (const SteppedClock* clock = ActiveSteppedClock()) return clock->now;
    return GetTickCount();
}

void SleepMs(unsigned milliseconds) {
    if (SteppedClock* clock = ActiveSteppedClock()) {
        clock->now += milliseconds;
        return;
    }
    Sleep(milliseconds);
}

LocalTime CurrentLocalTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace platform
