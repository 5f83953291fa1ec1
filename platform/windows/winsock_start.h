#pragma once
// Winsock must be started once per process before the first socket call.

namespace platform::windows {

// Starts Winsock 2.2 on the first call; later calls do nothing. False when it cannot start.
bool StartWinsock();

}  // namespace platform::windows
