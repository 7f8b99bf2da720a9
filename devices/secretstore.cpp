#include "secretstore.h"

#include <QPointer>
#include <QTimer>

QString SecretStore::key(const QString &profile, SecretKind kind)
{
    const char *suffix = "";
    switch (kind) {
    case SecretKind::ReadCommunity: suffix = "readCommunity"; break;
    case SecretKind::WriteCommunity: suffix = "writeCommunity"; break;
    case SecretKind::AuthPassphrase: suffix = "authPassphrase"; break;
    case SecretKind::PrivPassphrase: suffix = "privPassphrase"; break;
    }
    return profile + u'/' + QLatin1String(suffix);
}

void SecretStore::markUnavailable(const QString &reason)
{
    if (!m_available)
        return;
    m_available = false;
    m_reason = reason;
    emit unavailable(reason);
}

void SecretStore::answerLater(QObject *context, Callback done, const SecretReply &reply)
{
    if (!done)
        return;
    QTimer::singleShot(0, context ? context : qApp, [done = std::move(done), reply] { done(reply); });
}

void MemorySecretStore::read(const QString &profile, SecretKind kind, QObject *context, Callback done)
{
    SecretReply reply;
    if (!isAvailable()) {
        reply.status = SecretReply::Unavailable;
        reply.error = unavailableReason();
    } else if (const auto it = m_secrets.constFind(key(profile, kind)); it != m_secrets.cend()) {
        reply.status = SecretReply::Found;
        reply.secret = *it;
    }
    answerLater(context, std::move(done), reply);
}

void MemorySecretStore::write(const QString &profile, SecretKind kind, const QString &secret, QObject *context,
                              Callback done)
{
    SecretReply reply{SecretReply::Found, {}, {}};
    if (!isAvailable())
        reply = {SecretReply::Unavailable, {}, unavailableReason()};
    else if (secret.isEmpty())
        m_secrets.remove(key(profile, kind));
    else
        m_secrets.insert(key(profile, kind), secret);
    answerLater(context, std::move(done), reply);
}

void MemorySecretStore::remove(const QString &profile, SecretKind kind, QObject *context, Callback done)
{
    write(profile, kind, QString(), context, std::move(done));
}
