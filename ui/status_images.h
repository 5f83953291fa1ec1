#pragma once
// The list's status images (bitmap 301: four 16 x 16 images side by side, magenta transparent)
// and the window icon (icon 128, large and small).
#include <array>

#include <QIcon>

enum StatusImage : int {
    kStatusAnswered = 0,     // green diamond
    kStatusNotAsked = 1,     // grey diamond
    kStatusNotAnswered = 2,  // red diamond
    kStatusUnused = 3,       // yellow diamond
};

inline constexpr int kStatusImageSize = 16;

// Empty icons when the bitmap cannot be loaded; the list then shows no images.
std::array<QIcon, 4> LoadStatusImages();

QIcon LoadWindowIcon();
