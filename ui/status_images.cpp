#include "ui/status_images.h"

#include <QBitmap>
#include <QColor>
#include <QImage>
#include <QPixmap>

std::array<QIcon, 4> LoadStatusImages() {
    std::array<QIcon, 4> images;
    const QImage strip(QStringLiteral(":/images/bitmap301.bmp"));
    if (strip.isNull()) return images;
    QPixmap pixmap = QPixmap::fromImage(strip);
    pixmap.setMask(QBitmap::fromImage(
        strip.createMaskFromColor(QColor(255, 0, 255).rgb(), Qt::MaskInColor)));
    for (int index = 0; index < static_cast<int>(images.size()); ++index) {
        const QRect cell(index * kStatusImageSize, 0, kStatusImageSize, kStatusImageSize);
        if (cell.right() < pixmap.width()) images[static_cast<std::size_t>(index)] = QIcon(pixmap.copy(cell));
    }
    return images;
}

QIcon LoadWindowIcon() {
    QIcon icon;
    icon.addFile(QStringLiteral(":/images/icon128.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/images/icon128_16.png"), QSize(16, 16));
    return icon;
}
