#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

namespace Orvelle {

// Loads the program's own catalogue and Qt's (qtbase) for the locale's UI
// language, so that standard buttons and dialogs follow it too. Returns true
// when the program's catalogue was found; English needs none.
bool installTranslations(QCoreApplication *app, const QLocale &locale = QLocale::system());

// "ja" when the locale's language is Japanese, otherwise "en": the language
// code that MIB descriptions are chosen by.
QString languageCode(const QLocale &locale = QLocale::system());

} // namespace Orvelle
