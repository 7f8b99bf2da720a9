#include "keychainsecretstore.h"

#include <qt6keychain/keychain.h>

KeychainSecretStore::KeychainSecretStore(QObject *parent, const QString &service)
    : SecretStore(parent), m_service(service)
{
}

namespace {

// Starts `job` and answers `done` from its result; a failure other than a
// missing entry means the keyring cannot be used in this run.
template <typename Job, typename Unavailable>
void run(Job *job, QObject *context, SecretStore::Callback done, Unavailable markUnavailable)
{
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    QObject::connect(job, &QKeychain::Job::finished, context ? context : job,
                     [done = std::move(done), markUnavailable](QKeychain::Job *finished) {
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
                             reply.status = SecretReply::Unavailable;
                             reply.error = finished->errorString();
                             markUnavailable(reply.error);
                             break;
                         }
                         if (done)
                             done(reply);
                     });
    job->start();
}

} // namespace

void KeychainSecretStore::read(const QString &profile, SecretKind kind, QObject *context, Callback done)
{
    if (!isAvailable())
        return answerLater(context, std::move(done), {SecretReply::Unavailable, {}, unavailableReason()});
    auto *job = new QKeychain::ReadPasswordJob(m_service, this);
    job->setKey(key(profile, kind));
    run(job, context, std::move(done), [this](const QString &why) { markUnavailable(why); });
}

void KeychainSecretStore::write(const QString &profile, SecretKind kind, const QString &secret, QObject *context,
                                Callback done)
{
    if (secret.isEmpty())
        return remove(profile, kind, context, std::move(done));
    if (!isAvailable())
        return answerLater(context, std::move(done), {SecretReply::Unavailable, {}, unavailableReason()});
    auto *job = new QKeychain::WritePasswordJob(m_service, this);
    job->setKey(key(profile, kind));
    job->setTextData(secret);
    run(job, context, std::move(done), [this](const QString &why) { markUnavailable(why); });
}

void KeychainSecretStore::remove(const QString &profile, SecretKind kind, QObject *context, Callback done)
{
    if (!isAvailable())
        return answerLater(context, std::move(done), {SecretReply::Unavailable, {}, unavailableReason()});
    auto *job = new QKeychain::DeletePasswordJob(m_service, this);
    job->setKey(key(profile, kind));
    run(job, context, std::move(done), [this](const QString &why) { markUnavailable(why); });
}
