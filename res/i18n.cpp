#include "i18n.h"

#include <QCoreApplication>
#include <QDir>
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

    // One catalogue per file named *_<lang>.qm; the program's main one is
    // orvelle_<lang>.qm.
    bool found = false;
    const QString suffix = QStringLiteral("_%1.qm").arg(language);
    const QStringList names = QDir(QStringLiteral(":/i18n")).entryList(QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (!name.endsWith(suffix))
            continue;
        auto *catalogue = new QTranslator(app);
        if (catalogue->load(QStringLiteral(":/i18n/") + name)) {
            app->installTranslator(catalogue);
            found = true;
        } else {
            delete catalogue;
        }
    }
    return found;
}

QString languageCode(const QLocale &locale)
{
    // The UI language, not the number format: a user with Japanese menus and
    // a different region still reads Japanese descriptions.
    const QStringList ui = locale.uiLanguages();
    const QLocale first = ui.isEmpty() ? locale : QLocale(ui.first());
    return first.language() == QLocale::Japanese ? QStringLiteral("ja") : QStringLiteral("en");
}

QString localTimeText(std::time_t time, const QString &format)
{
    std::tm local{};
    localtime_r(&time, &local);
    char buffer[256];
    const size_t length = std::strftime(buffer, sizeof buffer, format.toLocal8Bit().constData(), &local);
    return QString::fromLocal8Bit(buffer, static_cast<qsizetype>(length));
}

QStringList dataFileFilters()
{
    // label|pattern pairs in one translatable text
    const QStringList parts =
        QCoreApplication::translate("FileTypes", "*.csv (csv Files)|*.csv|*.txt (txt Files)|*.txt|*.* (All Files)|*.*|")
            .split(u'|', Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    return filters;
}

} // namespace Orvelle
