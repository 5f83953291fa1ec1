#pragma once
// Winsock's errors in errno's terms, for the callers that name a failure with strerror.

namespace platform::windows {

// Sets errno from WSAGetLastError() for the errors a caller can tell a person about.
void SetErrnoFromWinsock();

}  // namespace platform::windows
