#include "platform/windows/winsock_start.h"

#include <winsock2.h>

namespace platform::windows {

bool StartWinsock() {
    // Never cleaned up: the system releases it with the process, after every socket is gone.
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

}  // namespace platform::windows
