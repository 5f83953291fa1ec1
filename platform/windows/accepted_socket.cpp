#include "platform/accepted_socket.h"

#include <winsock2.h>

namespace platform {

bool SetListenerAddressUse(SocketHandle listener) {
    // Without SO_REUSEADDR Winsock binds a port again at once after a restart; exclusive use
    // keeps a later socket with SO_REUSEADDR from taking the port over.
    const BOOL on = TRUE;
    return setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
                      sizeof on) == 0;
}

void EndSending(SocketHandle socket) { shutdown(socket, SD_SEND); }

void ShutdownAndClose(SocketHandle socket) {
    if (socket == kInvalidSocket) return;
    shutdown(socket, SD_BOTH);
    closesocket(socket);
}

}  // namespace platform
