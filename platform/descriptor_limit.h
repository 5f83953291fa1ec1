#pragma once
// How many descriptors this process may hold open, raised on request as far as the system allows.
#include <cstddef>

namespace platform {

// Raises the soft limit on open descriptors towards `wanted` (never above the hard limit, never
// lowering it) and returns the soft limit in force afterwards. A failing query returns `wanted`,
// since then nothing is known that would argue for fewer.
std::size_t RaiseDescriptorLimit(std::size_t wanted);

}  // namespace platform
