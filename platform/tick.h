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

struct LocalTime {
    int year = 0;    // four digits
    int month = 0;   // 1-12
    int day = 0;     // 1-31
    int hour = 0;    // 0-23
    int minute = 0;
    int second = 0;
};
LocalTime CurrentLocalTime();

}  // namespace platform
