#pragma once
// Dialog units as the template uses them: a horizontal unit is a quarter of the dialog font's
// average character width, a vertical unit an eighth of its height. Rectangles are converted
// edge by edge with rounding, as MapDialogRect does, so adjacent controls stay adjacent.
#include <QFont>
#include <QRect>
#include <QSize>

struct DialogBaseUnits {
    int x = 0;  // average character width, pixels
    int y = 0;  // character height, pixels
};

// The dialog font: the closest match to an 8-point sans serif dialog font that every machine
// with fonts-dejavu-core has.
QFont DialogFont();

// Average width of the 52 ASCII letters, rounded, and the font's height.
DialogBaseUnits BaseUnitsFor(const QFont& font);

int DialogUnitsToPixelsX(const DialogBaseUnits& units, int x);
int DialogUnitsToPixelsY(const DialogBaseUnits& units, int y);
QRect DialogRectToPixels(const DialogBaseUnits& units, int x, int y, int width, int height);
QSize DialogSizeToPixels(const DialogBaseUnits& units, int width, int height);
