#include "widgets/dialog_units.h"

#include <QFontMetrics>

namespace {

// a * b / c rounded half away from zero, like MulDiv.
int MulDiv(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

QFont DialogFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(8);
    return font;
}

DialogBaseUnits BaseUnitsFor(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogBaseUnits{(letters / 26 + 1) / 2, metrics.height()};
}

int DialogUnitsToPixelsX(const DialogBaseUnits& units, int x) { return MulDiv(x, units.x, 4); }

int DialogUnitsToPixelsY(const DialogBaseUnits& units, int y) { return MulDiv(y, units.y, 8); }

QRect DialogRectToPixels(const DialogBaseUnits& units, int x, int y, int width, int height) {
    const int left = DialogUnitsToPixelsX(units, x);
    const int top = DialogUnitsToPixelsY(units, y);
    const int right = DialogUnitsToPixelsX(units, x + width);
    const int bottom = DialogUnitsToPixelsY(units, y + height);
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogSizeToPixels(const DialogBaseUnits& units, int width, int height) {
    return DialogRectToPixels(units, 0, 0, width, height).size();
}
