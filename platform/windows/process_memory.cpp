#include "platform/process_memory.h"

#include <windows.h>

#include <psapi.h>

namespace platform {

std::size_t ResidentMemoryBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.WorkingSetSize;
}

}  // namespace platform
