#include "datafolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef ORVELLE_INSTALLED_DATA_DIR
#define ORVELLE_INSTALLED_DATA_DIR "/usr/local/share/orvelle"
#endif

namespace DataFolder {

QStringList baseFolders()
{
    // cleanPath first: "/x/DATA/" must give /x, not /x/DATA
    const QString overrideDir = QDir::cleanPath(qEnvironmentVariable("ORVELLE_DATA_DIR"));
    if (!overrideDir.isEmpty())
        return {QFileInfo(overrideDir).absolutePath()};

    QStringList bases{QDir::currentPath()};
    // AppDataLocation needs the organisation and application names, which
    // the program sets before anything asks for data.
    const QString user = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!user.isEmpty())
        bases << user;
    bases << QStringLiteral(ORVELLE_INSTALLED_DATA_DIR);
    if (QCoreApplication::instance()) {
        // An installation moved to another prefix (~/.local, /opt/...) keeps
        // bin/ and share/orvelle/ side by side.
        const QString executableDir = QCoreApplication::applicationDirPath();
        bases << QDir::cleanPath(executableDir + QStringLiteral("/../share/orvelle")) << executableDir;
    }
    bases.removeDuplicates();
    return bases;
}

QString dataDir()
{
    const QString overrideDir = qEnvironmentVariable("ORVELLE_DATA_DIR");
    if (!overrideDir.isEmpty())
        return QDir::fromNativeSeparators(QDir(overrideDir).absolutePath());
    for (const QString &base : baseFolders()) {
        const QString candidate = base + QStringLiteral("/DATA");
        if (QFileInfo(candidate + QStringLiteral("/Config.xml")).isFile())
            return QDir::fromNativeSeparators(candidate);
    }
    return {};
}

QString userFolder()
{
    // Named outright, not AppDataLocation: orvelle-mibc and the tests have
    // other application names.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Halvorn/Orvelle");
}

QString userMibDatabase()
{
    return userFolder() + QStringLiteral("/DATA/MIBTable.xml");
}

QString userMibFolder()
{
    return userFolder() + QStringLiteral("/mibs");
}

QString userGuide(const QString &language)
{
    const QString relative = QStringLiteral("docs_%1/read1st.htm").arg(language);
    for (const QString &base : baseFolders()) {
        const QString candidate = base + u'/' + relative;
        if (QFileInfo(candidate).isFile())
            return QDir::fromNativeSeparators(QFileInfo(candidate).absoluteFilePath());
    }
    return {};
}

} // namespace DataFolder
