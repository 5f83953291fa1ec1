#pragma once
// The add-device wizard's page templates: page ids, control identifiers, rectangles in dialog
// units (x, y, width, height, drawn with the dialog font) and the texts the wizard shows. Data
// only; the page classes build their controls from it.
#include <array>

#include "widgets/dialog_control.h"

namespace add_wizard {

// The pages in the order the sheet holds them. Next and Back choose among them explicitly.
enum PageId : int { kListPage = 0, kDirectPage = 1, kConfigurePage = 2, kFinishPage = 3 };

enum ControlId : int {
    kModuleList = 1100,
    kRefreshButton = 1101,
    kNotListedBox = 1102,
    kAddressField = 1103,  // the IP address on the Direct and the Configure page
    kMaskField = 1104,
    kGatewayField = 1105,
    kListText = 1106,
    kDirectText = 1107,
    kDirectAddressLabel = 1108,
    kConfigureText = 1109,
    kConfigureAddressLabel = 1110,
    kMaskLabel = 1111,
    kGatewayLabel = 1112,
    kFinishText = 1113,
};

enum class ControlKind { Text, Label, Button, CheckBox, ModuleList, AddressField };

using ControlTemplate = DialogControl<ControlKind>;

// Every page is 296 x 146 dialog units.
inline constexpr int kPageWidth = 296;
inline constexpr int kPageHeight = 146;

// In tab order. Text-bearing controls are captioned with the string of their own id.
inline constexpr std::array<ControlTemplate, 4> kListControls = {{
    {kListText, ControlKind::Text, 8, 8, 220, 28},
    {kRefreshButton, ControlKind::Button, 232, 24, 60, 14},
    {kModuleList, ControlKind::ModuleList, 4, 44, 288, 76},
    {kNotListedBox, ControlKind::CheckBox, 4, 128, 288, 12},
}};
inline constexpr std::array<ControlTemplate, 3> kDirectControls = {{
    {kDirectText, ControlKind::Text, 8, 8, 284, 20},
    {kDirectAddressLabel, ControlKind::Label, 12, 44, 108, 12},
    {kAddressField, ControlKind::AddressField, 124, 44, 100, 12},
}};
inline constexpr std::array<ControlTemplate, 7> kConfigureControls = {{
    {kConfigureText, ControlKind::Text, 8, 8, 280, 28},
    {kConfigureAddressLabel, ControlKind::Label, 12, 44, 108, 12},
    {kAddressField, ControlKind::AddressField, 124, 44, 100, 12},
    {kMaskLabel, ControlKind::Label, 12, 60, 108, 12},
    {kMaskField, ControlKind::AddressField, 124, 60, 100, 12},
    {kGatewayLabel, ControlKind::Label, 12, 76, 108, 12},
    {kGatewayField, ControlKind::AddressField, 124, 76, 100, 12},
}};
inline constexpr std::array<ControlTemplate, 1> kFinishControls = {{
    {kFinishText, ControlKind::Text, 8, 8, 284, 28},
}};

// The module list's columns: 140 pixels each, headed by table strings read without the
// language offset (both languages read "MAC" and "IP").
inline constexpr int kColumnWidth = 140;
inline constexpr int kMacHeadingId = 10005;
inline constexpr int kIpHeadingId = 10006;

inline constexpr int kCaptionId = 10112;
inline constexpr int kAdapterFailedMessageId = 10105;
inline constexpr int kAddressUsedMessageId = 10106;
inline constexpr int kInvalidAddressMessageId = 10107;

// The first search starts this long after the list page is first shown, so the page is drawn
// before the search blocks.
inline constexpr int kFirstSearchDelayMs = 10;

}  // namespace add_wizard
