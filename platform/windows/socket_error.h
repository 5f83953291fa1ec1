#pragma once
// Winsock's errors in errno's terms, for the callers that name a failure with strerror.

#include <string>

namespace platform::windows {

// Sets errno from WSAGetLastError() for the errors a caller can tell a person about.
void SetErrnoFromWinsock();
// The words for such an errno value, as Linux gives them (the C runtime's strerror knows none
// of the socket errors), or Windows' own for a Winsock code.
std::string SocketErrorText(int error);

}  // namespace platform::windows
