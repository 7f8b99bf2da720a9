#pragma once

// SecretStore: where the communities and passphrases of device profiles
// live, apart from the settings file. Each secret is keyed by the profile's
// name and its kind.
//
// Every operation is asynchronous and answers through its callback from
// the event loop, never before the call has returned, and only while
// `context` lives: a desktop keyring may take a while (or ask the user to
// unlock it) and the GUI must not wait for it.
//
// A store that finds no backend (no Secret Service or KWallet on the
// session bus, as on CI and headless hosts) says so by answering
// SecretReply::Unavailable and by emitting unavailable() once; from then on
// it answers every operation that way without trying again.
//
//     store->read(u"router"_s, SecretKind::ReadCommunity, this, [](const SecretReply &r) {
//         if (r.status == SecretReply::Found) use(r.secret);
//     });

#include "deviceprofile.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

struct SecretReply
{
    enum Status {
        Found,       // `secret` holds it (write and remove: done)
        NotFound,    // nothing stored under that key
        Unavailable, // no secret store runs, or it refused: `error` says why
    };
    Status status = NotFound;
    QString secret;
    QString error;
};

class SecretStore : public QObject
{
    Q_OBJECT
public:
    using Callback = std::function<void(const SecretReply &)>;

    explicit SecretStore(QObject *parent = nullptr) : QObject(parent) {}

    virtual void read(const QString &profile, SecretKind kind, QObject *context, Callback done) = 0;
    // An empty secret removes the entry.
    virtual void write(const QString &profile, SecretKind kind, const QString &secret, QObject *context,
                       Callback done) = 0;
    virtual void remove(const QString &profile, SecretKind kind, QObject *context, Callback done) = 0;

    // False once the store has found it cannot be used in this run.
    bool isAvailable() const { return m_available; }
    QString unavailableReason() const { return m_reason; }

    // The key under which a secret is kept ("router/readCommunity").
    static QString key(const QString &profile, SecretKind kind);

signals:
    void unavailable(const QString &reason);

protected:
    void markUnavailable(const QString &reason);
    // Calls `done` from the event loop while `context` lives.
    static void answerLater(QObject *context, Callback done, const SecretReply &reply);

private:
    bool m_available = true;
    QString m_reason;
};

// Secrets in memory only, for this run: the store of the tests, and what is
// left where no secret store runs.
class MemorySecretStore : public SecretStore
{
    Q_OBJECT
public:
    using SecretStore::SecretStore;

    void read(const QString &profile, SecretKind kind, QObject *context, Callback done) override;
    void write(const QString &profile, SecretKind kind, const QString &secret, QObject *context,
               Callback done) override;
    void remove(const QString &profile, SecretKind kind, QObject *context, Callback done) override;

    // Every secret held, by key (for tests).
    const QHash<QString, QString> &secrets() const { return m_secrets; }
    // From now on behaves as a store without a backend.
    void simulateUnavailable(const QString &reason) { markUnavailable(reason); }

private:
    QHash<QString, QString> m_secrets;
};
