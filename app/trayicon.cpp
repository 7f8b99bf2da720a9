#include "trayicon.h"

#include "i18n.h"

#include <QCoreApplication>

std::time_t noTrapYetTime()
{
    std::tm local{};
    local.tm_year = 90;
    local.tm_mon = 0;
    local.tm_mday = 1;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

QString trayTipText(bool added, bool serviceOn, std::time_t lastTrap)
{
    QString tip = QCoreApplication::translate("CMainFrame", "Orvelle");
    if (added)
        return tip;
    tip += u'\n';
    tip += serviceOn ? QCoreApplication::translate("CMainFrame", "Orvelle - Trap receive service is running")
                     : QCoreApplication::translate("CMainFrame", "Orvelle - Trap receive service is not running");
    std::tm local{};
    localtime_r(&lastTrap, &local);
    if (local.tm_year + 1900 != 1990) {
        tip += u'\n';
        tip += Orvelle::localTimeText(lastTrap, QCoreApplication::translate("CMainFrame", "%m/%d/%Y %H:%M:%S"));
    }
    return tip;
}
