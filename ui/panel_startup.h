#pragma once
// Start-up and shutdown of vantrel-panel: the single-instance guard, the settings path beside
// the executable, the main window run modally, then the end of the process.
#include <functional>
#include <string>

#include "ui/control_panel_dlg.h"

struct PanelRunOptions {
    // The settings file; empty means the executable's own (see settings_location.h).
    std::string settingsPath;
    // Called once, from the event loop, right after the main window was first painted; the
    // window is passed so the caller may close it. Used by the start-up benchmark.
    std::function<void(CControlPanelDlg&)> afterFirstPaint;
    // The local adapters; empty means this computer's own.
    CControlPanelDlg::AdapterSource adapters;
};

// Process exit status of a refused start (another copy holds the guard).
inline constexpr int kPanelAlreadyRunning = 1;

// Exit status when no display can be opened; the one line on standard error says so.
inline constexpr int kPanelNoDisplay = 1;
inline constexpr const char* kNoDisplayMessage = "no display: set DISPLAY or run on a desktop\n";

// Returns the process exit status: 0 after the main window closed, kPanelAlreadyRunning at once,
// with no window and without touching the settings file, when another copy runs, and
// kPanelNoDisplay, with no window and the settings untouched, when there is no display. Of the
// command line only the program's name is used.
int RunControlPanel(int argc, char** argv, const PanelRunOptions& options = {});
