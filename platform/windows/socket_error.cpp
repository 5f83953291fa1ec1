#include "platform/windows/socket_error.h"

#include <winsock2.h>

#include <cerrno>

namespace platform::windows {

void SetErrnoFromWinsock() {
    switch (WSAGetLastError()) {
        case WSAEADDRINUSE: errno = EADDRINUSE; break;
        case WSAEADDRNOTAVAIL: errno = EADDRNOTAVAIL; break;
        case WSAEACCES: errno = EACCES; break;
        case WSAEINVAL: errno = EINVAL; break;
        default: errno = EIO; break;
    }
}

}  // namespace platform::windows
