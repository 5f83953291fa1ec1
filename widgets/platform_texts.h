#pragma once
// Qt's own texts (the message boxes' standard buttons, the file dialog, the wizard's buttons) in
// the interface language, so that a Russian text telling the operator to press "<Далее>" stands
// next to a button that says so. The system's own texts come from the string table and are not
// touched; texts the program sets as literals stay as they are.
#include <QString>

// Qt's translations as the system installs them (Debian: qt6-translations-l10n).
QString InstalledPlatformTranslations();

// English platform texts for language 0; for every other language Qt's Russian translations from
// `folder`. Takes effect at once, also in windows already open. Returns false when the Russian
// translations cannot be loaded: the platform texts then stay English and the program works on.
bool UsePlatformTexts(int language, const QString& folder = InstalledPlatformTranslations());
