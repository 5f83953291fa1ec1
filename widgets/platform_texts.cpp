#include "widgets/platform_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace {

// Owned by the application object, so it goes with it; a later application object gets its own.
QPointer<QTranslator> installed;

}  // namespace

QString InstalledPlatformTranslations() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool UsePlatformTexts(int language, const QString& folder) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) return false;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed.data();
    }
    if (language == 0) return true;
    auto* translator = new QTranslator(application);
    // qtbase holds the texts of the widgets and dialogs this program uses.
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                          QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}
