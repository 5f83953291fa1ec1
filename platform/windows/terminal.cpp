#include "platform/terminal.h"

#include <windows.h>

#include <io.h>
#include <stdio.h>

namespace platform {

// _isatty alone also says yes for the NUL device; only a console has a console mode.
bool StandardInputIsTerminal() {
    DWORD mode = 0;
    return _isatty(_fileno(stdin)) != 0 && GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode);
}

}  // namespace platform
