#include "platform/local_time.h"

#include <windows.h>

namespace platform {

LocalTimeMs CurrentLocalTimeMs() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return LocalTimeMs{{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond},
                       now.wMilliseconds};
}

}  // namespace platform
