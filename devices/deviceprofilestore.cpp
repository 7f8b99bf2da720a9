#include "deviceprofilestore.h"

#include "deviceprofilefile.h"
#include "secretstore.h"

#include <QDir>
#include <QPointer>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace {

using Texts = DeviceProfileTexts;

const QString kOrganisation = QStringLiteral("Halvorn");
const QString kApplication = QStringLiteral("Orvelle");
const QString kArray = QStringLiteral("devices");

QString shownSettingsFile()
{
    return QDir::toNativeSeparators(DeviceProfileStore::settingsFileName());
}

// The message for an entry that could not be read, naming it.
QString skippedMessage(const QVariantMap &entry, int number, const QString &where, const ProfileProblem &problem)
{
    const QString name = entry.value(QStringLiteral("name")).toString();
    if (name.trimmed().isEmpty())
        return Texts::tr("Device profile number %1 in %2 has no name and was skipped.").arg(number).arg(where);
    return Texts::tr("The device profile \"%1\" in %2 was skipped: %3").arg(name, where, problem.message);
}

} // namespace

DeviceProfileStore::DeviceProfileStore(SecretStore *secrets, QObject *parent)
    : QObject(parent), m_secrets(secrets)
{
    connect(m_secrets, &SecretStore::unavailable, this, &DeviceProfileStore::secretStoreUnavailable);
}

QString DeviceProfileStore::settingsFileName()
{
    return QSettings(kOrganisation, kApplication).fileName();
}

bool DeviceProfileStore::secretStoreAvailable() const
{
    return m_secrets->isAvailable();
}

void DeviceProfileStore::load()
{
    m_profiles.clear();
    m_secretsKnown.clear();
    m_keptEntries.clear();
    m_loadProblems.clear();

    QSettings settings(kOrganisation, kApplication);
    const int count = settings.beginReadArray(kArray);
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        QVariantMap entry;
        for (const QString &key : settings.childKeys())
            entry.insert(key, settings.value(key));
        DeviceProfile profile;
        if (const auto problem = profileFromMap(entry, m_profiles, &profile)) {
            m_loadProblems << skippedMessage(entry, i + 1, shownSettingsFile(), *problem);
            m_keptEntries << entry;
            continue;
        }
        m_profiles << profile;
    }
    settings.endArray();
    emit changed();
}

void DeviceProfileStore::save()
{
    QSettings settings(kOrganisation, kApplication);
    settings.remove(kArray);
    settings.beginWriteArray(kArray, int(m_profiles.size() + m_keptEntries.size()));
    int index = 0;
    const auto writeEntry = [&settings, &index](const QVariantMap &entry) {
        settings.setArrayIndex(index++);
        for (auto it = entry.cbegin(); it != entry.cend(); ++it)
            settings.setValue(it.key(), it.value());
    };
    for (const DeviceProfile &profile : std::as_const(m_profiles))
        writeEntry(profileToMap(profile));
    for (const QVariantMap &entry : std::as_const(m_keptEntries))
        writeEntry(entry);
    settings.endArray();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        emit saveFailed(Texts::tr("The device profiles could not be saved to %1.").arg(shownSettingsFile()));
}

void DeviceProfileStore::writeSecrets(const DeviceProfile &profile)
{
    if (!m_secrets->isAvailable())
        return; // kept in memory, in m_profiles
    for (SecretKind kind : kAllSecretKinds)
        m_secrets->write(profile.name, kind, secretOf(profile, kind), this, {});
}

void DeviceProfileStore::removeSecrets(const QString &name)
{
    if (!m_secrets->isAvailable())
        return;
    for (SecretKind kind : kAllSecretKinds)
        m_secrets->remove(name, kind, this, {});
}

QStringList DeviceProfileStore::names() const
{
    QStringList out;
    for (const DeviceProfile &profile : m_profiles)
        out << profile.name;
    return out;
}

std::optional<DeviceProfile> DeviceProfileStore::profile(const QString &name) const
{
    const QString typed = name.trimmed();
    const qsizetype i = typed.isEmpty() ? -1 : indexOfProfile(m_profiles, typed);
    return i < 0 ? std::nullopt : std::optional<DeviceProfile>(m_profiles.at(i));
}

std::optional<ProfileProblem> DeviceProfileStore::add(const DeviceProfile &profile)
{
    if (auto problem = validateProfile(profile, m_profiles, ValidationScope::Stored))
        return problem;
    m_profiles << profile;
    markKnown(profile.name);
    save();
    writeSecrets(profile);
    emit changed();
    return std::nullopt;
}

std::optional<ProfileProblem> DeviceProfileStore::update(const QString &name, const DeviceProfile &profile)
{
    const qsizetype i = indexOfProfile(m_profiles, name);
    if (i < 0)
        return ProfileProblem{DeviceProfileField::Name,
                              Texts::tr("There is no device profile named \"%1\" any more.").arg(name)};
    QList<DeviceProfile> others = m_profiles;
    others.removeAt(i);
    if (auto problem = validateProfile(profile, others, ValidationScope::Stored))
        return problem;
    const QString oldName = m_profiles.at(i).name;
    m_profiles[i] = profile;
    if (oldName != profile.name) {
        m_secretsKnown.remove(oldName.toCaseFolded());
        removeSecrets(oldName);
    }
    markKnown(profile.name);
    save();
    writeSecrets(profile);
    emit changed();
    return std::nullopt;
}

bool DeviceProfileStore::remove(const QString &name)
{
    const qsizetype i = indexOfProfile(m_profiles, name);
    if (i < 0)
        return false;
    const QString stored = m_profiles.takeAt(i).name;
    m_secretsKnown.remove(stored.toCaseFolded());
    save();
    removeSecrets(stored);
    emit changed();
    return true;
}

std::optional<ProfileProblem> DeviceProfileStore::setProfiles(const QList<DeviceProfile> &profiles)
{
    QList<DeviceProfile> checked;
    for (const DeviceProfile &profile : profiles) {
        if (auto problem = validateProfile(profile, checked, ValidationScope::Stored))
            return problem;
        checked << profile;
    }
    // secret keys are exact names: a profile renamed in case only leaves its old key too
    for (const DeviceProfile &old : std::as_const(m_profiles))
        if (std::none_of(profiles.cbegin(), profiles.cend(), [&old](const DeviceProfile &p) { return p.name == old.name; }))
            removeSecrets(old.name);
    m_profiles = profiles;
    m_secretsKnown.clear();
    for (const DeviceProfile &profile : profiles)
        markKnown(profile.name);
    save();
    for (const DeviceProfile &profile : profiles)
        writeSecrets(profile);
    emit changed();
    return std::nullopt;
}

void DeviceProfileStore::rememberSecrets(const DeviceProfile &profile)
{
    const qsizetype i = indexOfProfile(m_profiles, profile.name);
    if (i < 0)
        return;
    for (SecretKind kind : kAllSecretKinds)
        setSecret(m_profiles[i], kind, secretOf(profile, kind));
    markKnown(profile.name);
    emit secretsRemembered(profile.name);
}

void DeviceProfileStore::withSecrets(const QString &name, QObject *context, SecretsCallback done)
{
    const auto answer = [this, context, done](const DeviceProfile &profile, SecretsState state) {
        QTimer::singleShot(0, context ? context : this, [done, profile, state] { done(profile, state); });
    };
    const qsizetype i = indexOfProfile(m_profiles, name);
    if (i < 0)
        return answer(DeviceProfile(), SecretsState::NoSuchProfile);
    const DeviceProfile &known = m_profiles.at(i);
    if (isKnown(known.name))
        return answer(known, SecretsState::Complete);
    if (!m_secrets->isAvailable())
        return answer(known, SecretsState::AskUser);

    struct Pending
    {
        DeviceProfile profile;
        int outstanding = int(std::size(kAllSecretKinds));
        bool failed = false;
    };
    auto pending = std::make_shared<Pending>();
    pending->profile = known;
    const QPointer<QObject> guard(context);
    const bool unguarded = !context;
    for (SecretKind kind : kAllSecretKinds) {
        m_secrets->read(known.name, kind, this, [this, pending, kind, guard, unguarded, done](const SecretReply &reply) {
            if (reply.status == SecretReply::Found)
                setSecret(pending->profile, kind, reply.secret);
            else if (reply.status == SecretReply::Unavailable)
                pending->failed = true;
            if (--pending->outstanding > 0)
                return;
            // The profile may have changed or gone while the store answered.
            const qsizetype now = indexOfProfile(m_profiles, pending->profile.name);
            SecretsState state = SecretsState::NoSuchProfile;
            DeviceProfile result;
            if (now >= 0) {
                if (!isKnown(m_profiles.at(now).name) && !pending->failed) {
                    for (SecretKind k : kAllSecretKinds)
                        setSecret(m_profiles[now], k, secretOf(pending->profile, k));
                    markKnown(m_profiles.at(now).name);
                }
                result = m_profiles.at(now);
                state = isKnown(result.name) ? SecretsState::Complete : SecretsState::AskUser;
            }
            if (unguarded || guard)
                done(result, state);
        });
    }
}

bool DeviceProfileStore::exportFile(const QString &path, QString *error) const
{
    QList<DeviceProfile> plain;
    for (const DeviceProfile &profile : m_profiles)
        plain << withoutSecrets(profile);
    return DeviceProfileFile::write(path, plain, error);
}

DeviceProfileImportReport DeviceProfileStore::importFile(const QString &path)
{
    DeviceProfileImportReport report;
    QList<QVariantMap> entries;
    if (!DeviceProfileFile::read(path, &entries, &report.error))
        return report;
    const QString where = QDir::toNativeSeparators(path);
    int number = 0;
    for (const QVariantMap &entry : std::as_const(entries)) {
        ++number;
        DeviceProfile profile;
        // names are compared below, to rename rather than refuse
        if (const auto problem = profileFromMap(entry, {}, &profile)) {
            report.messages << skippedMessage(entry, number, where, *problem);
            continue;
        }
        const QString wanted = profile.name;
        profile.name = uniqueProfileName(wanted, m_profiles);
        if (profile.name != wanted)
            report.messages << Texts::tr("A device profile named \"%1\" exists already: the imported one is named "
                                         "\"%2\".")
                                   .arg(wanted, profile.name);
        m_profiles << profile;
        markKnown(profile.name); // an import has no secrets: none to read
        report.imported << profile.name;
    }
    if (report.imported.isEmpty())
        return report;
    save();
    for (const QString &name : std::as_const(report.imported))
        writeSecrets(*this->profile(name)); // clears what an earlier profile of that name left
    emit changed();
    return report;
}
