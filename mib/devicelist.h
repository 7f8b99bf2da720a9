#pragma once

// The devices used in this run: the MIB walk dialog adds every device it
// talks to, the SNMP SET dialog offers them again. The main view owns the
// list; the dialogs are handed a pointer.

#include <QList>
#include <QString>

struct tagDEVICE
{
    QString strName;   // shown in the device fields
    QString strSecond; // stored, never shown ("localhost" for the built-in entry)
};

using DeviceList = QList<tagDEVICE>;

// Appends the device unless one of that name (compared without regard to
// case) is there already. True when it was appended.
inline bool AddDevice(DeviceList &list, const QString &name, const QString &second)
{
    for (const tagDEVICE &d : list)
        if (d.strName.compare(name, Qt::CaseInsensitive) == 0)
            return false;
    list.append({name, second});
    return true;
}
