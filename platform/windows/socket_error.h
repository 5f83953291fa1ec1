#pragma once
// Winsock's errors in errno's terms, for the callers that name a failure with strerror.

#include <string>

namespace platform::windows {

// Sets errno from WSAGetLastError() for the errors a caller can tell a person about.
void SetErrnoFromWinsock();
// Windows' own words for a system or Winsock error code.
std::string SystemMessage(int error);

}  // namespace platform::windows
