#pragma once
// The switcher address dialog's template: control identifiers, rectangles in dialog units
// (x, y, width, height, as drawn with the dialog font) in tab order, and its texts. Data only;
// CSwitcherAddressDlg builds its controls from it.
#include <array>

#include "widgets/dialog_control.h"

namespace switcher_dialog {

enum ControlId : int {
    kOkButton = 1,
    kCancelButton = 2,
    kAddressField = 1202,
    kAddressLabel = 1401,
    kEtchedLine = -1,  // no id in the template
};

enum class ControlKind { Label, AddressField, EtchedLine, DefaultButton, Button };

using ControlTemplate = DialogControl<ControlKind>;

inline constexpr std::array<ControlTemplate, 5> kControls = {{
    {kAddressLabel, ControlKind::Label, 8, 8, 84, 12},
    {kAddressField, ControlKind::AddressField, 96, 8, 100, 12},
    {kEtchedLine, ControlKind::EtchedLine, 4, 28, 192, 1},
    {kOkButton, ControlKind::DefaultButton, 92, 36, 50, 14},
    {kCancelButton, ControlKind::Button, 147, 36, 50, 14},
}};

inline constexpr int kClientWidth = 204;
inline constexpr int kClientHeight = 55;

inline constexpr int kTitleId = 1402;
// The buttons read the same in both languages.
inline constexpr const char* kOkCaption = "OK";
inline constexpr const char* kCancelCaption = "Cancel";

}  // namespace switcher_dialog
