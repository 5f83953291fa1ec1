#include "ui/status_images.h"

#include <QBitmap>
#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

namespace {

// Read by Qt's own handler for the format named. A reader left to detect the format first asks
// every image plugin installed, loading each of them, which would cost the window's opening
// more than all its controls.
QImage ReadImage(const QString& path, const char* format) {
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

}  // namespace

std::array<QIcon, 4> LoadStatusImages() {
    std::array<QIcon, 4> images;
    const QImage strip = ReadImage(QStringLiteral(":/images/bitmap301.bmp"), "bmp");
    if (strip.isNull()) return images;
    QPixmap pixmap = QPixmap::fromImage(strip);
    pixmap.setMask(
        QBitmap::fromImage(strip.createMaskFromColor(QColor(255, 0, 255).rgb(), Qt::MaskInColor)));
    for (int index = 0; index < static_cast<int>(images.size()); ++index) {
        const QRect cell(index * kStatusImageSize, 0, kStatusImageSize, kStatusImageSize);
        if (cell.right() < pixmap.width())
            images[static_cast<std::size_t>(index)] = QIcon(pixmap.copy(cell));
    }
    return images;
}

QIcon LoadWindowIcon() {
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(ReadImage(QStringLiteral(":/images/icon128.png"), "png")));
    icon.addPixmap(QPixmap::fromImage(ReadImage(QStringLiteral(":/images/icon128_16.png"), "png")));
    return icon;
}
