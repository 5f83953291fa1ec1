#pragma once
// The local calendar time to the millisecond, for the diagnostic log's time stamps.
#include "platform/tick.h"

namespace platform {

struct LocalTimeMs {
    LocalTime time;
    int millisecond = 0;  // 0-999
};
LocalTimeMs CurrentLocalTimeMs();

}  // namespace platform
