#include "app/program_version.h"

namespace app {

// Set by the build for this file alone, so a new commit recompiles nothing else.
#ifndef VANTREL_VERSION_TEXT
#error "the build defines VANTREL_VERSION_TEXT"
#endif

std::string_view ProgramVersion() { return VANTREL_VERSION_TEXT; }

std::string VersionLine(std::string_view programName) {
    std::string line(programName);
    line += ' ';
    line += ProgramVersion();
    line += '\n';
    return line;
}

}  // namespace app
