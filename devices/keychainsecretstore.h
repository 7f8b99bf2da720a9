#pragma once

// The desktop's keyring through QtKeychain: the Secret Service (GNOME
// Keyring, KeePassXC ...) or KWallet, whichever runs. Secrets are kept under
// the service "Orvelle" with keys "<profile>/<kind>".
//
// QtKeychain's plain-text fallback stays off: where no keyring runs, the
// first operation fails, the store reports itself unavailable and the
// secrets stay in memory (DeviceProfileStore asks the user for them).

#include "secretstore.h"

namespace QKeychain {
class Job;
}

class KeychainSecretStore : public SecretStore
{
    Q_OBJECT
public:
    explicit KeychainSecretStore(QObject *parent = nullptr,
                                 const QString &service = QStringLiteral("Orvelle"));

    void read(const QString &profile, SecretKind kind, QObject *context, Callback done) override;
    void write(const QString &profile, SecretKind kind, const QString &secret, QObject *context,
               Callback done) override;
    void remove(const QString &profile, SecretKind kind, QObject *context, Callback done) override;

private:
    void start(QKeychain::Job *job, QObject *context, Callback done);

    QString m_service;
};
