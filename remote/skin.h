#pragma once
// A skin: a folder with the normal face (normal.png), the pressed face (pressed.png, the same
// picture with every button down, of the same size) and the button list (buttons.txt, see
// skin_buttons.h).
#include <string>

#include <QImage>
#include <QString>

#include "remote/skin_buttons.h"

struct Skin {
    static constexpr int kMaxSide = 2048;  // pixels; a remote is a hand-sized picture

    QImage normal;
    QImage pressed;
    PanelButtons buttons;
};

inline constexpr const char* kSkinNormalFile = "normal.png";
inline constexpr const char* kSkinPressedFile = "pressed.png";
inline constexpr const char* kSkinButtonsFile = "buttons.txt";

// False with one line in `error` that names the file (and line) and what is wrong; `skin` is
// then left as it was.
bool LoadSkin(const QString& folder, Skin& skin, std::string& error);
