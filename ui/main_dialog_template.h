#pragma once
// The main window's dialog template: control identifiers, rectangles in dialog units (x, y,
// width, height, as drawn with the dialog font), tab order and the resizing anchors. Data only;
// CControlPanelDlg builds its controls from it.
#include <array>

#include "widgets/dialog_control.h"

namespace main_dialog {

enum ControlId : int {
    kDeviceList = 1000,
    kCloseButton = 1001,
    kAddButton = 1002,
    kRemoveButton = 1003,
    kLanguageBox = 1004,
    kPassportButton = 1005,
    kIpOutputButton = 1006,  // never shown, no command
    kCheckButton = 1007,
    kCheckAllButton = 1008,
    kSetupButton = 1009,
    kRemoteButton = 1010,  // never shown, no command
    kAdapterBox = 1046,
};

enum class ControlKind { List, DropDown, Button };

// A drop-down list's height includes its open list; the closed box takes the height the style
// gives it.
using ControlTemplate = DialogControl<ControlKind>;

// Tab order. 1006 and 1010 sit at their places in the column; hidden, they take no focus.
inline constexpr std::array<ControlTemplate, 12> kControls = {{
    {kDeviceList, ControlKind::List, 8, 8, 444, 196},
    {kLanguageBox, ControlKind::DropDown, 460, 8, 72, 64},
    {kAdapterBox, ControlKind::DropDown, 460, 28, 72, 64},
    {kCheckButton, ControlKind::Button, 460, 52, 72, 14},
    {kCheckAllButton, ControlKind::Button, 460, 68, 72, 14},
    {kIpOutputButton, ControlKind::Button, 460, 88, 72, 14},
    {kSetupButton, ControlKind::Button, 460, 105, 72, 14},
    {kRemoteButton, ControlKind::Button, 460, 105, 72, 14},
    {kAddButton, ControlKind::Button, 460, 129, 72, 14},
    {kRemoveButton, ControlKind::Button, 460, 145, 72, 14},
    {kPassportButton, ControlKind::Button, 460, 161, 72, 14},
    {kCloseButton, ControlKind::Button, 460, 188, 72, 14},
}};

inline constexpr int kClientWidth = 539;
inline constexpr int kClientHeight = 209;
inline constexpr int kMinimumWidth = 440;
inline constexpr int kMinimumHeight = 230;

// Anchor flags: what a control does when the client area grows by dx, dy.
enum AnchorFlag : int {
    kMoveRight = 1,   // x + dx
    kMoveDown = 2,    // y + dy
    kGrowWidth = 4,   // width + dx
    kGrowHeight = 8,  // height + dy
};

struct Anchor {
    int id;
    int flags;
};

inline constexpr std::array<Anchor, 12> kAnchors = {{
    {kDeviceList, kGrowWidth | kGrowHeight},
    {kLanguageBox, kMoveRight},
    {kAdapterBox, kMoveRight},
    {kCheckButton, kMoveRight},
    {kCheckAllButton, kMoveRight},
    {kIpOutputButton, kMoveRight},
    {kSetupButton, kMoveRight},
    {kRemoteButton, kMoveRight},
    {kAddButton, kMoveRight},
    {kRemoveButton, kMoveRight},
    {kPassportButton, kMoveRight},
    {kCloseButton, kMoveRight | kMoveDown},
}};

// Captioned in this order when the window opens and when the language changes; a control's
// caption id is its own id.
inline constexpr std::array<int, 7> kCaptionedButtons = {
    kAddButton,   kRemoveButton,   kCloseButton, kPassportButton,
    kCheckButton, kCheckAllButton, kSetupButton,
};

inline constexpr const char* kWindowTitle = "Control Panel Configuration";

}  // namespace main_dialog
