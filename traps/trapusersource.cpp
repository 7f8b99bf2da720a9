#include "trapusersource.h"

#include "deviceprofilestore.h"
#include "trapreceiver.h"

#include <memory>

TrapUserSource::TrapUserSource(DeviceProfileStore *store, CTrapReceiver *receiver, QObject *parent)
    : QObject(parent), m_store(store), m_receiver(receiver)
{
    connect(m_store, &DeviceProfileStore::changed, this, &TrapUserSource::reload);
    // without a keyring, passphrases typed for a walk or a test make the
    // profile's user a trap user too
    connect(m_store, &DeviceProfileStore::secretsRemembered, this, &TrapUserSource::reload);
    reload();
}

void TrapUserSource::reload()
{
    const quint64 generation = ++m_generation;
    QStringList names;
    for (const DeviceProfile &profile : m_store->profiles())
        if (profile.target.version == SNMP_VERSION_V3)
            names << profile.name;

    // The answers come one by one from the event loop; the users go to the
    // receiver once all are in, in the profiles' order.
    struct Pending
    {
        QStringList names;
        QList<SnmpTrapUser> users;   // by index of names
        QList<bool> answered;
        QStringList withoutSecrets;
        qsizetype outstanding = 0;
    };
    auto pending = std::make_shared<Pending>();
    pending->names = names;
    pending->users.resize(names.size());
    pending->answered.fill(false, names.size());
    pending->outstanding = names.size();
    const auto finish = [this, pending] {
        QList<SnmpTrapUser> users;
        for (qsizetype i = 0; i < pending->names.size(); ++i)
            if (pending->answered.at(i))
                users << pending->users.at(i);
        m_withoutSecrets = pending->withoutSecrets;
        m_receiver->setTrapUsers(users);
        emit usersApplied();
    };
    if (names.isEmpty()) {
        finish();
        return;
    }
    for (qsizetype i = 0; i < names.size(); ++i) {
        m_store->withSecrets(names.at(i), this,
                             [this, generation, pending, i, finish](const DeviceProfile &profile,
                                                                    DeviceProfileStore::SecretsState state) {
            if (generation != m_generation)
                return;
            // a user without authentication has no passphrase to wait for
            const bool open = profile.target.usm.level == SnmpSecurityLevel::NoAuthNoPriv;
            if (state == DeviceProfileStore::SecretsState::Complete
                || (state == DeviceProfileStore::SecretsState::AskUser && open)) {
                SnmpTrapUser user;
                user.usm = profile.target.usm;
                user.usm.contextName.clear();
                pending->users[i] = user;
                pending->answered[i] = true;
            } else if (state == DeviceProfileStore::SecretsState::AskUser) {
                pending->withoutSecrets << profile.name;
            }
            if (--pending->outstanding == 0)
                finish();
        });
    }
}
