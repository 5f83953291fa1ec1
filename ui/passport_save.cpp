#include "ui/passport_save.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "netconfig/passport_file.h"
#include "platform/tick.h"

namespace {

// The Save As dialog with the checks the operator expects before anything is written: an
// existing file is replaced only after the overwrite question, and the folder must exist.
class PassportSaveDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override {
        const QString chosen = selectedFiles().value(0);
        const QFileInfo file(chosen);
        if (!chosen.isEmpty() && !file.isDir() && !QFileInfo(file.absolutePath()).isDir()) {
            QMessageBox::warning(this, windowTitle(),
                                 QFileDialog::tr("%1\nDirectory not found.\nPlease verify the "
                                                 "correct directory name was given.")
                                     .arg(QDir::toNativeSeparators(file.absolutePath())));
            return;
        }
        QFileDialog::accept();
    }
};

// The folder of the last passport saved in this run: the next Save As opens there, as the
// system's own dialog does, so saving a row of devices needs no walk back to it each time.
QString& LastPassportFolder() {
    static QString folder;
    return folder;
}

}  // namespace

QStringList QtNameFilters(const std::string& filterText) {
    const QStringList parts = QString::fromStdString(filterText).split(QLatin1Char('|'));
    QStringList filters;
    // Pairs up to the empty entry that ends the list; a description without a pattern is dropped.
    for (qsizetype n = 0; n + 1 < parts.size(); n += 2) {
        const QString description = parts[n].trimmed();
        QString patterns = parts[n + 1].trimmed();
        if (description.isEmpty() || patterns.isEmpty()) break;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        const QString bracketed = QStringLiteral("(%1)").arg(patterns);
        filters << (description.endsWith(bracketed) ? description
                                                    : description + QLatin1Char(' ') + bracketed);
    }
    return filters;
}

bool SavePassportFile(QWidget* parent, std::uint32_t deviceAddress,
                      const netconfig::PassportBuffer& passport, const std::string& filterText) {
    const std::string proposed =
        netconfig::ProposedPassportName(passport, platform::CurrentLocalTime());

    PassportSaveDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Qt's own dialog asks the overwrite question itself and behaves the same on every desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setNameFilters(QtNameFilters(filterText));
    if (!LastPassportFolder().isEmpty() && QFileInfo(LastPassportFolder()).isDir())
        dialog.setDirectory(LastPassportFolder());
    dialog.selectFile(QString::fromStdString(proposed));
    if (dialog.exec() != QDialog::Accepted) return true;

    const QString path = dialog.selectedFiles().value(0);
    if (path.isEmpty()) return true;
    if (!netconfig::WritePassportFile(QFile::encodeName(path).toStdString(), deviceAddress,
                                      passport))
        return false;
    LastPassportFolder() = QFileInfo(path).absolutePath();
    return true;
}
