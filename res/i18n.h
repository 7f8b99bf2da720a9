#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <ctime>

class QCoreApplication;

namespace Orvelle {

// Loads the program's own catalogue and Qt's (qtbase) for the locale's UI
// language, so that standard buttons and dialogs follow it too. Returns true
// when the program's catalogue was found; English needs none.
bool installTranslations(QCoreApplication *app, const QLocale &locale = QLocale::system());

// "ja" when the locale's language is Japanese, otherwise "en": the language
// code that MIB descriptions are chosen by.
QString languageCode(const QLocale &locale = QLocale::system());

// `time` in local time through a strftime format, in the C library's
// locale as start-up set it, so that month and weekday names follow the
// user's language.
QString localTimeText(std::time_t time, const QString &format);

// The file types the save dialogs offer (comma-separated text first), as
// QFileDialog name filters.
QStringList dataFileFilters();

} // namespace Orvelle
