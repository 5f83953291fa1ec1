#include "platform/windows/socket_error.h"

#include <winsock2.h>

#include <cerrno>
#include <string>

#include "platform/socket.h"
#include "platform/windows/wide_text.h"

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

std::string SystemMessage(int error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = length > 0 ? Narrow(std::wstring_view(text, length)) : "";
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message;
}

}  // namespace platform::windows

namespace platform {

// The errno values SetErrnoFromWinsock sets, in Linux's words: the C runtime's strerror knows
// none of the socket errors.
std::string SocketErrorText(int error) {
    switch (error) {
        case EADDRINUSE: return "Address already in use";
        case EADDRNOTAVAIL: return "Cannot assign requested address";
        case EACCES: return "Permission denied";
        case EINVAL: return "Invalid argument";
        case EIO: return "Input/output error";
    }
    return windows::SystemMessage(error);
}

}  // namespace platform
