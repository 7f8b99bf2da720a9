#include "helplauncher.h"

#include "datafolder.h"
#include "i18n.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>

namespace {

QString launchFailure()
{
    QString text = QCoreApplication::translate("HelpLauncher", "Unable to launch default browser.\r\nor File is not existing.");
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}

bool open(const QUrl &url, QWidget *owner, const QString &caption)
{
    if (!url.isEmpty() && QDesktopServices::openUrl(url))
        return true;
    QMessageBox box(QMessageBox::NoIcon, caption, launchFailure(), QMessageBox::Ok, owner);
    box.exec();
    return false;
}

} // namespace

namespace HelpLauncher {

QUrl userGuideUrl()
{
    const QString path = DataFolder::userGuide(Orvelle::languageCode());
    return path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path);
}

QUrl productPageUrl()
{
    const QString guide = DataFolder::userGuide(Orvelle::languageCode());
    if (guide.isEmpty())
        return {};
    const QString chapter = QFileInfo(guide).absolutePath() + QStringLiteral("/mibdb.htm");
    if (QFileInfo(chapter).isFile())
        return QUrl::fromLocalFile(chapter);
    // A guide without the chapter page still has its summary.
    QUrl summary = QUrl::fromLocalFile(guide);
    summary.setFragment(QStringLiteral("mibdb"));
    return summary;
}

bool openUserGuide(QWidget *owner)
{
    return open(userGuideUrl(), owner, QCoreApplication::translate("HelpLauncher", "Orvelle"));
}

bool openProductPage(QWidget *owner)
{
    return open(productPageUrl(), owner, QCoreApplication::translate("HelpLauncher", "Error"));
}

} // namespace HelpLauncher
