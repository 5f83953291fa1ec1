#pragma once
// The program's text is UTF-8; Windows' wide calls take UTF-16. Converted at the boundary only.
#include <string>
#include <string_view>

namespace platform::windows {

// Invalid UTF-8 becomes U+FFFD, so a bad name fails to open instead of naming another file.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace platform::windows
