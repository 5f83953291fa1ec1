#pragma once
// A static text that can show its text in a chosen colour: while coloured, the text is drawn in
// that colour on light grey; otherwise the text and background are the parent's.
#include <QColor>
#include <QLabel>

class CColorStatic : public QLabel {
    Q_OBJECT

public:
    explicit CColorStatic(const QString& text = {}, QWidget* parent = nullptr);

    void SetTextColor(const QColor& color);
    void SetColored(bool colored);

private:
    void Apply();

    QColor textColor_ = Qt::black;
    bool colored_ = false;
};
