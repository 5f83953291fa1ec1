#pragma once
// How much memory this process holds, for a program that reports on itself.
#include <cstddef>

namespace platform {

// The resident set size in bytes; 0 when the system does not tell.
std::size_t ResidentMemoryBytes();

}  // namespace platform
