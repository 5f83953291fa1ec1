#pragma once
// Whether a person can be asked: a command that sends changes asks on a terminal and refuses to
// guess without one.

namespace platform {

bool StandardInputIsTerminal();

}  // namespace platform
