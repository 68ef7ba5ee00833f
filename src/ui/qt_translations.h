#pragma once
// Qt's own texts (the labels of the file, folder and font dialogs, the
// buttons of the questions) in Japanese, like every other text of the window.

#include <QCoreApplication>

namespace kestrilo {

// Installs Qt's Japanese catalogue for `application` and makes Japanese the
// default locale of dialogs. False when the catalogue is not installed
// (Debian's qt6-translations-l10n): Qt's texts then stay in English.
bool InstallQtTranslations(QCoreApplication& application);

}  // namespace kestrilo
