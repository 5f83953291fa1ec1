#include "platform/windows/socket_error.h"

#include <winsock2.h>

#include <cerrno>
#include <string>

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

std::string SocketErrorText(int error) {
    switch (error) {
        case EADDRINUSE: return "Address already in use";
        case EADDRNOTAVAIL: return "Cannot assign requested address";
        case EACCES: return "Permission denied";
        case EINVAL: return "Invalid argument";
        case EIO: return "Input/output error";
    }
    wchar_t* words = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&words), 0, nullptr);
    std::wstring text(words != nullptr ? words : L"", length);
    LocalFree(words);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L'.'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : Narrow(text);
}

}  // namespace platform::windows
