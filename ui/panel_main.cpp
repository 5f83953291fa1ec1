// vantrel-panel: the operator's control panel. It takes no arguments.
#include "ui/panel_startup.h"

int main(int, char**) {
    // Qt would act on options such as -platform, -style or -reverse; the panel reads no
    // arguments, so Qt sees only the program's name.
    char name[] = "vantrel-panel";
    char* qtArgv[] = {name, nullptr};
    int qtArgc = 1;
    return RunControlPanel(qtArgc, qtArgv);
}
