#include "i18n.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace Orvelle {

bool installTranslations(QCoreApplication *app, const QLocale &locale)
{
    const QString language = languageCode(locale);
    if (language == QLatin1String("en"))
        return true;

    auto *qtbase = new QTranslator(app);
    if (qtbase->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app->installTranslator(qtbase);
    else
        delete qtbase;

    auto *own = new QTranslator(app);
    if (own->load(QStringLiteral(":/i18n/orvelle_%1.qm").arg(language))) {
        app->installTranslator(own);
        return true;
    }
    delete own;
    return false;
}

QString languageCode(const QLocale &locale)
{
    // The UI language, not the number format: a user with Japanese menus and
    // a different region still reads Japanese descriptions.
    const QStringList ui = locale.uiLanguages();
    const QLocale first = ui.isEmpty() ? locale : QLocale(ui.first());
    return first.language() == QLocale::Japanese ? QStringLiteral("ja") : QStringLiteral("en");
}

} // namespace Orvelle
