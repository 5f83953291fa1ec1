#include "remote/color_static.h"

#include <QPalette>

CColorStatic::CColorStatic(const QString& text, QWidget* parent) : QLabel(text, parent) { Apply(); }

void CColorStatic::SetTextColor(const QColor& color) {
    textColor_ = color;
    Apply();
}

void CColorStatic::SetColored(bool colored) {
    colored_ = colored;
    Apply();
}

void CColorStatic::Apply() {
    if (!colored_) {
        // Transparent: the inherited palette and no background of its own.
        setPalette(QPalette());
        setAutoFillBackground(false);
    } else {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, QColor(192, 192, 192));
        palette.setColor(QPalette::WindowText, textColor_);
        setPalette(palette);
        setAutoFillBackground(true);
    }
    update();
}
