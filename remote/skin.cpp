#include "remote/skin.h"

#include <QDir>
#include <QFile>
#include <QImageReader>

namespace {

constexpr qint64 kMaxButtonsFileBytes = 1 << 20;

bool LoadFace(const QString& path, QImage& image, std::string& error) {
    QImageReader reader(path, "png");
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > Skin::kMaxSide || size.height() > Skin::kMaxSide)) {
        error = path.toStdString() + ": picture of " + std::to_string(size.width()) + " x " +
                std::to_string(size.height()) + " is larger than " +
                std::to_string(Skin::kMaxSide) + " x " + std::to_string(Skin::kMaxSide);
        return false;
    }
    if (!reader.read(&image)) {
        error = path.toStdString() + ": " +
                (QFile::exists(path)
                     ? "not a readable PNG image (" + reader.errorString().toStdString() + ")"
                     : std::string("no such file"));
        return false;
    }
    if (image.isNull() || image.width() == 0 || image.height() == 0) {
        error = path.toStdString() + ": empty picture";
        return false;
    }
    image = image.convertToFormat(QImage::Format_RGB32);
    return true;
}

}  // namespace

bool LoadSkin(const QString& folder, Skin& skin, std::string& error) {
    const QDir dir(folder);
    if (!dir.exists()) {
        error = folder.toStdString() + ": no such skin folder";
        return false;
    }
    Skin read;
    if (!LoadFace(dir.filePath(kSkinNormalFile), read.normal, error)) return false;
    if (!LoadFace(dir.filePath(kSkinPressedFile), read.pressed, error)) return false;
    if (read.pressed.size() != read.normal.size()) {
        error = dir.filePath(kSkinPressedFile).toStdString() + ": " +
                std::to_string(read.pressed.width()) + " x " +
                std::to_string(read.pressed.height()) + " does not match " + kSkinNormalFile +
                "'s " + std::to_string(read.normal.width()) + " x " +
                std::to_string(read.normal.height());
        return false;
    }

    const QString buttonsPath = dir.filePath(kSkinButtonsFile);
    QFile file(buttonsPath);
    if (!file.open(QIODevice::ReadOnly)) {
        error = buttonsPath.toStdString() + ": " +
                (file.exists() ? "cannot be read (" + file.errorString().toStdString() + ")"
                               : std::string("no such file"));
        return false;
    }
    if (file.size() > kMaxButtonsFileBytes) {
        error = buttonsPath.toStdString() + ": larger than " +
                std::to_string(kMaxButtonsFileBytes) + " bytes";
        return false;
    }
    const QByteArray text = file.read(kMaxButtonsFileBytes + 1);
    const SkinButtonsResult parsed =
        ParseSkinButtons(std::string_view(text.constData(), static_cast<std::size_t>(text.size())),
                         read.normal.width(), read.normal.height(), read.buttons);
    if (!parsed.ok) {
        error = buttonsPath.toStdString() + ":" + std::to_string(parsed.line) + ": " + parsed.error;
        return false;
    }
    skin = std::move(read);
    return true;
}
