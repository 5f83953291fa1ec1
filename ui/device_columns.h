#pragma once
// The device list's columns, in order: header text id, width and the text a device's row shows
// there. The window builds its header and every row from this table alone, so a column is one
// row here and its text in the string table. Data and plain functions, no Qt.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "app/device_list.h"
#include "app/string_ids.h"
#include "netconfig/address_text.h"

namespace main_dialog {

// What a row's texts are made from: the device, its list position and the "Online" column's
// answer texts in the current language.
struct DeviceRow {
    const app::DeviceRecord& device;
    std::size_t position;
    std::string_view answerYes;
    std::string_view answerNo;
};

struct DeviceColumn {
    int headerId;
    int width;  // pixels as drawn with the template's font (kTemplateFontCharWidth)
    std::string (*text)(const DeviceRow& row);
};

// The template's font draws an average character this many pixels wide.
inline constexpr int kTemplateFontCharWidth = 6;

// All left-aligned; the row's status image stands in the first column.
inline constexpr std::array<DeviceColumn, 5> kDeviceColumns = {{
    {app::string_ids::kPositionHeader, 40,
     [](const DeviceRow& row) { return std::to_string(row.position + 1); }},
    {app::string_ids::kMacHeader, 110, [](const DeviceRow& row) { return row.device.mac; }},
    {app::string_ids::kIpHeader, 96,
     [](const DeviceRow& row) { return netconfig::FormatIpAddress(row.device.address); }},
    {app::string_ids::kOnlineHeader, 96,
     [](const DeviceRow& row) {
         if (row.device.tested == 0) return std::string();
         return std::string(row.device.online != 0 ? row.answerYes : row.answerNo);
     }},
    {app::string_ids::kSwitcherHeader, 128,
     [](const DeviceRow& row) {
         const std::uint32_t switcher = row.device.switcherAddress;
         return switcher == 0 ? std::string() : netconfig::FormatIpAddress(switcher);
     }},
}};

}  // namespace main_dialog
