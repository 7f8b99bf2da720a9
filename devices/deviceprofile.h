#pragma once

// DeviceProfile: a device the user has named once and picks by name from
// then on: where it is (an SnmpTarget), how to speak to it (version and
// credentials), and how patient to be with it (timeout, retries, GETBULK
// size, the encoding of its texts).
//
// The secrets (both communities, both passphrases) are held here in memory
// only. profileToMap() leaves them out, so whatever goes through it (the
// settings file, an export) cannot carry one; DeviceProfileStore keeps them
// in a secret store.
//
// validateProfile() checks what can be checked at once; whether the host
// resolves is a separate, asynchronous check (HostResolveCheck), as a
// resolver may take seconds to answer.

#include "snmptarget.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <optional>

struct DeviceProfile
{
    static constexpr int kDefaultTimeoutSec = 5;
    static constexpr int kMinTimeoutSec = 1;
    static constexpr int kMaxTimeoutSec = 30;
    static constexpr int kDefaultRetries = 0;
    static constexpr int kMinRetries = 0;
    static constexpr int kMaxRetries = 10;
    static constexpr int kDefaultMaxRepetitions = 25; // varbinds per GETBULK answer
    static constexpr int kMinMaxRepetitions = 1;
    static constexpr int kMaxMaxRepetitions = 1000;
    static constexpr int kMinPort = 1;
    static constexpr int kMaxPort = 65535;

    QString name;
    // target.community is left empty here: readTarget() and writeTarget()
    // fill it with the community the request needs.
    SnmpTarget target;
    QString readCommunity;
    QString writeCommunity;
    int timeoutSec = kDefaultTimeoutSec;
    int retries = kDefaultRetries;
    int maxRepetitions = kDefaultMaxRepetitions;
    QByteArray textEncoding = QByteArrayLiteral("UTF-8"); // as iconv names it

    // The target for reading (GET, GET NEXT, GETBULK) and for SET. SNMPv3
    // has no communities: both are the target with its user's credentials.
    SnmpTarget readTarget() const;
    SnmpTarget writeTarget() const;

    friend bool operator==(const DeviceProfile &, const DeviceProfile &) = default;
};

// The fields of a profile, so that a refusal can name one and a dialog can
// put the cursor there.
enum class DeviceProfileField {
    Name,
    Host,
    Port,
    Version,
    ReadCommunity,
    WriteCommunity,
    Timeout,
    Retries,
    MaxRepetitions,
    TextEncoding,
    UserName,
    SecurityLevel,
    AuthProtocol,
    AuthPassphrase,
    PrivProtocol,
    PrivPassphrase,
    ContextName,
};

struct ProfileProblem
{
    DeviceProfileField field = DeviceProfileField::Name;
    QString message; // translated, names the field, ready to show
};

// The translation context of the engine's texts.
class DeviceProfileTexts
{
    Q_DECLARE_TR_FUNCTIONS(DeviceProfileTexts)
};

// What the secrets of a profile are, one by one: the secret store keys
// them by profile name and kind.
enum class SecretKind { ReadCommunity, WriteCommunity, AuthPassphrase, PrivPassphrase };
constexpr SecretKind kAllSecretKinds[] = {SecretKind::ReadCommunity, SecretKind::WriteCommunity,
                                          SecretKind::AuthPassphrase, SecretKind::PrivPassphrase};
QString secretOf(const DeviceProfile &profile, SecretKind kind);
void setSecret(DeviceProfile &profile, SecretKind kind, const QString &secret);
// The profile without any of its secrets.
DeviceProfile withoutSecrets(DeviceProfile profile);

enum class ValidationScope {
    // what the settings file and an import carry: everything but secrets
    Stored,
    // a profile about to be saved from the dialog or used: also the
    // passphrases and whether net-snmp can do the chosen protocols
    Complete,
};

// The first problem of `profile`, or nothing when it may be saved. `others`
// are the profiles beside it (its own earlier version excluded): names are
// unique without regard to case.
std::optional<ProfileProblem> validateProfile(const DeviceProfile &profile, const QList<DeviceProfile> &others,
                                              ValidationScope scope = ValidationScope::Complete);
// Only the name: empty, or taken by one of `others`.
std::optional<ProfileProblem> validateProfileName(const QString &name, const QList<DeviceProfile> &others);

// The profile as plain keys and values ("name", "host", "port", "version",
// ...; the SNMPv3 keys only for SNMPv3), never with a secret: what the
// settings file and the export file hold.
QVariantMap profileToMap(const DeviceProfile &profile);
// And back, with everything profileToMap() writes checked (types, ranges,
// names of versions, levels and protocols, the encoding) and the name checked
// against `others`. The secrets stay empty.
std::optional<ProfileProblem> profileFromMap(const QVariantMap &map, const QList<DeviceProfile> &others,
                                             DeviceProfile *profile);

// `name` when none of `profiles` has it, else "name (2)", "name (3)", ...
QString uniqueProfileName(const QString &name, const QList<DeviceProfile> &profiles);
// The index of the profile named `name` (without regard to case), or -1.
qsizetype indexOfProfile(const QList<DeviceProfile> &profiles, const QString &name);
