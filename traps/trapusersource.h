#pragma once

// TrapUserSource: the SNMPv3 users whose traps and informs the receiver
// takes are the users of the SNMPv3 device profiles. This reads them with
// their passphrases from the profile store (asynchronously: the secrets
// come from the desktop's keyring) and hands them to the receiver at start
// and whenever the profiles change. CTrapReceiver::followDeviceProfiles()
// makes one, owned by the receiver.
//
// Where no secret store runs, the store has no passphrases to give
// (AskUser): those profiles give no user, profilesWithoutSecrets() names
// them, and the Devices dialog says so. Profiles give no engine ID: each
// sending engine is learned (see snmpv3receiver.h).

#include "snmptrapuser.h"

#include <QList>
#include <QObject>
#include <QStringList>

class CTrapReceiver;
class DeviceProfileStore;

class TrapUserSource : public QObject
{
    Q_OBJECT
public:
    // Neither is taken over; both must outlive this.
    TrapUserSource(DeviceProfileStore *store, CTrapReceiver *receiver, QObject *parent = nullptr);

    QStringList profilesWithoutSecrets() const { return m_withoutSecrets; }

signals:
    // The receiver has the users of the profiles as they are now.
    void usersApplied();

private:
    void reload();

    DeviceProfileStore *m_store;
    CTrapReceiver *m_receiver;
    quint64 m_generation = 0; // answers for an older state of the profiles are dropped
    QStringList m_withoutSecrets;
};
