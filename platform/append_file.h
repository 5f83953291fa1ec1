#pragma once
// Appending one line to a shared text file, as the diagnostic log does: open, append, close.
#include <string>
#include <string_view>

namespace platform {

// Opens path for appending (creating it), takes the file for this process alone while it
// writes, appends text in one write and closes it. False when the file cannot be opened or
// another process is writing it; nothing is written then.
bool AppendExclusive(const std::string& path, std::string_view text);

}  // namespace platform
