#pragma once

// DeviceProfileStore: the device profiles of the user, one store for the
// run, owned by the main view and handed to every window that offers
// devices (the Devices dialog; the walk, SET and monitor windows next).
//
// The profiles live in the user's settings (QSettings("Halvorn",
// "Orvelle"), array "devices"), written at once on every change; their
// secrets live in a SecretStore and never in the settings file. Secrets are
// read when a profile is about to be used, not at start, so that a locked
// keyring asks only when it must:
//
//     store->withSecrets(name, this, [this](const DeviceProfile &p, DeviceProfileStore::SecretsState s) {
//         if (s == DeviceProfileStore::SecretsState::Complete) open(p.readTarget());
//     });
//
// Where no secret store runs, withSecrets answers AskUser: the window tells
// the user once per run (secretStoreNoticeGiven) and asks for the secrets,
// which rememberSecrets() keeps in memory for the rest of the run
// (useDeviceProfile() in profileuse.h does all of that).
//
// A profile in the settings file that cannot be read is skipped with a
// message (loadProblems()) and written back unchanged on the next save, so a
// hand edit gone wrong never loses the entry.

#include "deviceprofile.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <optional>

class SecretStore;

// What an import did, for the user.
struct DeviceProfileImportReport
{
    QString error;         // the file could not be read at all: nothing imported
    QStringList imported;  // names as they are now in the store
    QStringList messages;  // one sentence per renamed or skipped entry
};

class DeviceProfileStore : public QObject
{
    Q_OBJECT
public:
    enum class SecretsState {
        Complete,      // the profile carries its secrets
        AskUser,       // no secret store to read them from: ask, then rememberSecrets()
        NoSuchProfile, // no profile of that name (any more)
    };
    using SecretsCallback = std::function<void(const DeviceProfile &profile, SecretsState state)>;

    // `secrets` is not taken over; it must outlive the store.
    explicit DeviceProfileStore(SecretStore *secrets, QObject *parent = nullptr);

    // (Re)reads the profiles from the settings; secrets already known for
    // this run are forgotten.
    void load();
    // One message per profile load() skipped, naming it and the file.
    QStringList loadProblems() const { return m_loadProblems; }

    // In the user's order. Secrets are filled only where already known in
    // this run: use withSecrets() for a profile about to be used.
    QList<DeviceProfile> profiles() const { return m_profiles; }
    QStringList names() const;
    // By name, without regard to case and to blanks around what was typed;
    // nothing for an empty name.
    std::optional<DeviceProfile> profile(const QString &name) const;

    // Changes, saved at once, each followed by changed(). The profiles are
    // taken with their secrets as given (empty ones remove what the secret
    // store held). Refused, with nothing changed, when validateProfile()
    // finds a fault in what the settings hold (the dialog checks secrets and
    // the host before).
    std::optional<ProfileProblem> add(const DeviceProfile &profile);
    // `name` is the profile's name before the change (a rename moves its secrets).
    std::optional<ProfileProblem> update(const QString &name, const DeviceProfile &profile);
    bool remove(const QString &name);
    std::optional<ProfileProblem> setProfiles(const QList<DeviceProfile> &profiles);

    // Calls `done` from the event loop, while `context` lives, with the
    // profile and its secrets as far as they can be had.
    void withSecrets(const QString &name, QObject *context, SecretsCallback done);
    // Secrets the user typed for this run only (nothing is written).
    void rememberSecrets(const DeviceProfile &profile);

    SecretStore *secretStore() const { return m_secrets; }
    // False once the secret store failed in this run.
    bool secretStoreAvailable() const;
    // Whether the user has been told in this run that secrets are kept in
    // memory only.
    bool secretStoreNoticeGiven() const { return m_noticeGiven; }
    void setSecretStoreNoticeGiven() { m_noticeGiven = true; }

    // The export file holds no secret; see deviceprofilefile.h for its form.
    bool exportFile(const QString &path, QString *error) const;
    // Adds the file's profiles; one whose name is taken is renamed
    // "name (2)" and reported. Imported profiles carry no secrets.
    DeviceProfileImportReport importFile(const QString &path);

    // The settings file the profiles are kept in.
    static QString settingsFileName();

signals:
    void changed();
    // Secrets typed for a profile (rememberSecrets) are known from now on.
    void secretsRemembered(const QString &name);
    // The settings could not be written: the message names the file.
    void saveFailed(const QString &message);
    // Relayed once from the secret store (reason as the store gives it).
    void secretStoreUnavailable(const QString &reason);

private:
    void save();
    void writeSecrets(const DeviceProfile &profile);
    void removeSecrets(const QString &name);
    void markKnown(const QString &name) { m_secretsKnown.insert(name.toCaseFolded()); }
    bool isKnown(const QString &name) const { return m_secretsKnown.contains(name.toCaseFolded()); }

    SecretStore *m_secrets;
    QList<DeviceProfile> m_profiles;
    QSet<QString> m_secretsKnown;      // case-folded names
    QList<QVariantMap> m_keptEntries;  // skipped by load(), written back as they were
    QStringList m_loadProblems;
    bool m_noticeGiven = false;
};
