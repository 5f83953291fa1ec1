#pragma once
// The button list of a skin: a text file with one button per line, in hit-test order.
//
//   # name          left top right bottom  press   release  repeat
//   POWER           20   44  56    72      A001    A081     -
//
// Fields are separated by blanks. A command is its bytes as an even number of hexadecimal
// digits with no blanks inside (at most 128 bytes), or "-" for none. Lines that are empty or
// start with '#' are skipped. Every rectangle must lie inside the picture and hold a point.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "remote/panel_button.h"

using PanelButtons = std::vector<std::unique_ptr<CPanelButton>>;

struct SkinButtonsResult {
    bool ok = false;
    std::size_t line = 0;  // the first line that could not be read; 0 for the file as a whole
    std::string error;     // what was wrong with it
};

inline constexpr std::size_t kMaxSkinButtons = 1024;

// Reads `text` for a picture of width x height pixels. On failure `buttons` is left empty.
SkinButtonsResult ParseSkinButtons(std::string_view text, int width, int height,
                                   PanelButtons& buttons);

// The buttons' indices in reading order, as the keyboard visits them: rows from top to bottom,
// each from left to right. A button joins the row of the first button above whose top-to-bottom
// span holds its vertical centre, so keys drawn a few pixels apart still read as one row.
std::vector<std::size_t> ReadingOrder(const PanelButtons& buttons);
