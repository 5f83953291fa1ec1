// vantrel-panel: the operator's control panel. It takes no arguments.
#include "ui/panel_startup.h"

int main(int argc, char** argv) { return RunControlPanel(argc, argv); }
