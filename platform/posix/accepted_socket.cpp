#include "platform/accepted_socket.h"

#include <sys/socket.h>
#include <unistd.h>

namespace platform {

bool SetListenerAddressUse(SocketHandle listener) { return SetReuseAddress(listener); }

void EndSending(SocketHandle socket) { shutdown(socket, SHUT_WR); }

void ShutdownAndClose(SocketHandle socket) {
    if (socket == kInvalidSocket) return;
    shutdown(socket, SHUT_RDWR);
    close(socket);
}

}  // namespace platform
