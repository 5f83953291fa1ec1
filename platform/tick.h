#pragma once
// Time as the rest of the program sees it: a wrapping 32-bit millisecond tick, a sleep, and the
// local calendar time.
#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary point; wraps every ~49.7 days like a Windows tick count.
std::uint32_t TickCount();

// Absolute value of the signed 32-bit difference between now and start, so a wrap in
// between still gives the right elapsed time.
std::uint32_t ElapsedSince(std::uint32_t start);

void SleepMs(unsigned milliseconds);

// A clock for tests, so a deadline can be checked exactly instead of against the wall clock.
// While one is installed, TickCount reads `now`, and time moves only when a wait ends without
// anything to do: SleepMs and a readiness wait that times out (platform::Poll) each add their
// whole time-out. A wait that something ends early adds nothing, so an exchange still meets
// real datagrams but counts its deadline in whole polling steps, however slow the machine is.
struct SteppedClock {
    std::uint32_t now = 0;
    // false: readiness waits look once and do not block, for peers that never answer.
    bool blockInWaits = true;
};

// Installs `clock` until the guard goes; one at a time, on the thread that runs the exchanges.
class SteppedClockScope {
public:
    explicit SteppedClockScope(SteppedClock& clock);
    ~SteppedClockScope();
    SteppedClockScope(const SteppedClockScope&) = delete;
    SteppedClockScope& operator=(const SteppedClockScope&) = delete;
};

// The installed test clock, or null (always, outside tests).
SteppedClock* ActiveSteppedClock();

struct LocalTime {
    int year = 0;   // four digits
    int month = 0;  // 1-12
    int day = 0;    // 1-31
    int hour = 0;   // 0-23
    int minute = 0;
    int second = 0;
};
LocalTime CurrentLocalTime();

}  // namespace platform
