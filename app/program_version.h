#pragma once
// The version every program shows for --version: the project's version, and the commit when it
// was built from a git checkout.
#include <string>
#include <string_view>

namespace app {

// "0.1.0" or "0.1.0 (commit 1b5e4b3)".
std::string_view ProgramVersion();

// "<program> <version>\n", the whole answer to --version.
std::string VersionLine(std::string_view programName);

}  // namespace app
