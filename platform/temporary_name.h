#pragma once
// The names of the new files an atomic replacement writes beside its target, for file_store.cpp
// of each system: "<target>.tmp.<process id>.<counter>".
#include <string>
#include <string_view>

namespace platform::temporary_name {

std::string Beside(const std::string& target, unsigned long processId, unsigned counter);

// The process id in such a name for the target named targetName, or 0 when it is not one.
unsigned long WriterOf(std::string_view name, std::string_view targetName);

}  // namespace platform::temporary_name
