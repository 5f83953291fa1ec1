#include "platform/process_memory.h"

#include <cstdio>
#include <unistd.h>

namespace platform {

std::size_t ResidentMemoryBytes() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) return 0;
    unsigned long size = 0;
    unsigned long resident = 0;
    const int read = std::fscanf(statm, "%lu %lu", &size, &resident);
    std::fclose(statm);
    const long page = sysconf(_SC_PAGESIZE);
    return read == 2 && page > 0 ? resident * static_cast<std::size_t>(page) : 0;
}

}  // namespace platform
