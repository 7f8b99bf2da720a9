#include "keychainsecretstore.h"

#include <qt6keychain/keychain.h>

#include <QPointer>

KeychainSecretStore::KeychainSecretStore(QObject *parent, const QString &service)
    : SecretStore(parent), m_service(service)
{
}

// A job lives until it has finished, whatever happens to the store or the
// caller: libsecret calls back into it after the operation, and a job
// deleted before would be called through a dangling pointer.
void KeychainSecretStore::start(QKeychain::Job *job, QObject *context, Callback done)
{
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    const QPointer<KeychainSecretStore> self(this);
    const QPointer<QObject> guard(context);
    const bool unguarded = !context;
    connect(job, &QKeychain::Job::finished, job,
            [self, guard, unguarded, done = std::move(done)](QKeychain::Job *finished) {
                SecretReply reply;
                switch (finished->error()) {
                case QKeychain::NoError:
                    reply.status = SecretReply::Found;
                    if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(finished))
                        reply.secret = read->textData();
                    break;
                case QKeychain::EntryNotFound:
                    reply.status = SecretReply::NotFound;
                    break;
                default:
                    // a failure other than a missing entry: the keyring
                    // cannot be used in this run
                    reply.status = SecretReply::Unavailable;
                    reply.error = finished->errorString();
                    if (self)
                        self->markUnavailable(reply.error);
                    break;
                }
                if (done && (unguarded || guard))
                    done(reply);
            });
    job->start();
}

void KeychainSecretStore::read(const QString &profile, SecretKind kind, QObject *context, Callback done)
{
    if (!isAvailable())
        return answerLater(context, std::move(done), {SecretReply::Unavailable, {}, unavailableReason()});
    auto *job = new QKeychain::ReadPasswordJob(m_service);
    job->setKey(key(profile, kind));
    start(job, context, std::move(done));
}

void KeychainSecretStore::write(const QString &profile, SecretKind kind, const QString &secret, QObject *context,
                                Callback done)
{
    if (secret.isEmpty())
        return remove(profile, kind, context, std::move(done));
    if (!isAvailable())
        return answerLater(context, std::move(done), {SecretReply::Unavailable, {}, unavailableReason()});
    auto *job = new QKeychain::WritePasswordJob(m_service);
    job->setKey(key(profile, kind));
    job->setTextData(secret);
    start(job, context, std::move(done));
}

void KeychainSecretStore::remove(const QString &profile, SecretKind kind, QObject *context, Callback done)
{
    if (!isAvailable())
        return answerLater(context, std::move(done), {SecretReply::Unavailable, {}, unavailableReason()});
    auto *job = new QKeychain::DeletePasswordJob(m_service);
    job->setKey(key(profile, kind));
    start(job, context, std::move(done));
}
