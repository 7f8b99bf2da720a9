#include "deviceprofile.h"

#include "textencodings.h"

namespace {

using Texts = DeviceProfileTexts;
using Field = DeviceProfileField;

// Keys of the stored form. The secrets have none, on purpose.
const QString kName = QStringLiteral("name");
const QString kHost = QStringLiteral("host");
const QString kPort = QStringLiteral("port");
const QString kVersion = QStringLiteral("version");
const QString kTimeout = QStringLiteral("timeout");
const QString kRetries = QStringLiteral("retries");
const QString kMaxRepetitions = QStringLiteral("maxRepetitions");
const QString kTextEncoding = QStringLiteral("textEncoding");
const QString kUser = QStringLiteral("user");
const QString kLevel = QStringLiteral("securityLevel");
const QString kAuthProtocol = QStringLiteral("authProtocol");
const QString kPrivProtocol = QStringLiteral("privProtocol");
const QString kContext = QStringLiteral("context");

ProfileProblem problem(Field field, const QString &message)
{
    return {field, message};
}

bool usesAuth(SnmpSecurityLevel level)
{
    return level != SnmpSecurityLevel::NoAuthNoPriv;
}

bool usesPriv(SnmpSecurityLevel level)
{
    return level == SnmpSecurityLevel::AuthPriv;
}

std::optional<ProfileProblem> portProblem(qint64 port)
{
    if (port < DeviceProfile::kMinPort || port > DeviceProfile::kMaxPort)
        return problem(Field::Port, Texts::tr("The port must be a number from %1 to %2.")
                                        .arg(DeviceProfile::kMinPort)
                                        .arg(DeviceProfile::kMaxPort));
    return std::nullopt;
}

std::optional<ProfileProblem> hostProblem(const QString &host)
{
    if (host.trimmed().isEmpty())
        return problem(Field::Host, Texts::tr("Please enter the host name or IP address of the device."));
    // The session would take "host:port" as typed, over the Port field:
    // one place for the port only.
    if (host.contains(u'[') || host.contains(u']') || host.count(u':') == 1)
        return problem(Field::Host, Texts::tr("The host \"%1\" contains a port: please enter the port in the "
                                              "Port field and only the name or address as host.")
                                        .arg(host));
    if (host.trimmed() != host || host.contains(u' '))
        return problem(Field::Host, Texts::tr("The host \"%1\" contains blanks.").arg(host));
    return std::nullopt;
}

std::optional<ProfileProblem> rangeProblem(Field field, qint64 value)
{
    switch (field) {
    case Field::Timeout:
        if (value < DeviceProfile::kMinTimeoutSec || value > DeviceProfile::kMaxTimeoutSec)
            return problem(field, Texts::tr("The timeout must be from %1 to %2 seconds.")
                                      .arg(DeviceProfile::kMinTimeoutSec)
                                      .arg(DeviceProfile::kMaxTimeoutSec));
        break;
    case Field::Retries:
        if (value < DeviceProfile::kMinRetries || value > DeviceProfile::kMaxRetries)
            return problem(field, Texts::tr("The number of retries must be from %1 to %2.")
                                      .arg(DeviceProfile::kMinRetries)
                                      .arg(DeviceProfile::kMaxRetries));
        break;
    case Field::MaxRepetitions:
        if (value < DeviceProfile::kMinMaxRepetitions || value > DeviceProfile::kMaxMaxRepetitions)
            return problem(field, Texts::tr("The GETBULK max-repetitions must be from %1 to %2.")
                                      .arg(DeviceProfile::kMinMaxRepetitions)
                                      .arg(DeviceProfile::kMaxMaxRepetitions));
        break;
    default:
        break;
    }
    return std::nullopt;
}

// A whole number from the stored form: settings give text, JSON a double.
std::optional<qint64> wholeNumber(const QVariant &value)
{
    if (value.typeId() == QMetaType::Double) {
        const double d = value.toDouble();
        if (d != static_cast<double>(static_cast<qint64>(d)))
            return std::nullopt;
        return static_cast<qint64>(d);
    }
    bool ok = false;
    const qint64 n = value.toString().trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

} // namespace

SnmpTarget DeviceProfile::readTarget() const
{
    SnmpTarget t = target;
    t.community = target.version == SNMP_VERSION_V3 ? QString() : readCommunity;
    return t;
}

SnmpTarget DeviceProfile::writeTarget() const
{
    SnmpTarget t = target;
    t.community = target.version == SNMP_VERSION_V3 ? QString() : writeCommunity;
    return t;
}

QString secretOf(const DeviceProfile &profile, SecretKind kind)
{
    switch (kind) {
    case SecretKind::ReadCommunity: return profile.readCommunity;
    case SecretKind::WriteCommunity: return profile.writeCommunity;
    case SecretKind::AuthPassphrase: return profile.target.usm.authPassphrase;
    case SecretKind::PrivPassphrase: return profile.target.usm.privPassphrase;
    }
    return {};
}

void setSecret(DeviceProfile &profile, SecretKind kind, const QString &secret)
{
    switch (kind) {
    case SecretKind::ReadCommunity: profile.readCommunity = secret; break;
    case SecretKind::WriteCommunity: profile.writeCommunity = secret; break;
    case SecretKind::AuthPassphrase: profile.target.usm.authPassphrase = secret; break;
    case SecretKind::PrivPassphrase: profile.target.usm.privPassphrase = secret; break;
    }
}

DeviceProfile withoutSecrets(DeviceProfile profile)
{
    for (SecretKind kind : kAllSecretKinds)
        setSecret(profile, kind, QString());
    profile.target.community.clear();
    return profile;
}

qsizetype indexOfProfile(const QList<DeviceProfile> &profiles, const QString &name)
{
    for (qsizetype i = 0; i < profiles.size(); ++i)
        if (profiles.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

std::optional<ProfileProblem> validateProfileName(const QString &name, const QList<DeviceProfile> &others)
{
    if (name.trimmed().isEmpty())
        return problem(Field::Name, Texts::tr("Please enter a name for the device profile."));
    if (indexOfProfile(others, name) >= 0)
        return problem(Field::Name, Texts::tr("A device profile named \"%1\" exists already: please choose another "
                                              "name.")
                                        .arg(name));
    return std::nullopt;
}

std::optional<ProfileProblem> validateProfile(const DeviceProfile &profile, const QList<DeviceProfile> &others,
                                              ValidationScope scope)
{
    if (auto p = validateProfileName(profile.name, others))
        return p;
    if (auto p = hostProblem(profile.target.host))
        return p;
    if (auto p = portProblem(profile.target.port))
        return p;
    const int version = profile.target.version;
    if (version != SNMP_VERSION_V1 && version != SNMP_VERSION_V2C && version != SNMP_VERSION_V3)
        return problem(Field::Version, Texts::tr("The SNMP version must be 1, 2c or 3."));
    if (auto p = rangeProblem(Field::Timeout, profile.timeoutSec))
        return p;
    if (auto p = rangeProblem(Field::Retries, profile.retries))
        return p;
    if (auto p = rangeProblem(Field::MaxRepetitions, profile.maxRepetitions))
        return p;
    if (!textEncodingAvailable(profile.textEncoding))
        return problem(Field::TextEncoding, Texts::tr("The text encoding \"%1\" is not known to this system.")
                                                .arg(QString::fromLatin1(profile.textEncoding)));
    if (version != SNMP_VERSION_V3)
        return std::nullopt;

    const SnmpUsmCredentials &usm = profile.target.usm;
    if (usm.userName.isEmpty())
        return problem(Field::UserName, Texts::tr("Please enter the SNMPv3 user name."));
    if (scope == ValidationScope::Stored)
        return std::nullopt;
    if (usesAuth(usm.level)) {
        if (!snmpAuthProtocolSupported(usm.authProtocol))
            return problem(Field::AuthProtocol,
                           Texts::tr("The authentication protocol %1 is not supported by the installed net-snmp.")
                               .arg(snmpAuthProtocolName(usm.authProtocol)));
        if (usm.authPassphrase.size() < kSnmpMinPassphraseLength)
            return problem(Field::AuthPassphrase,
                           Texts::tr("The authentication passphrase must have at least %1 characters.")
                               .arg(kSnmpMinPassphraseLength));
    }
    if (usesPriv(usm.level)) {
        if (!snmpPrivProtocolSupported(usm.privProtocol))
            return problem(Field::PrivProtocol,
                           Texts::tr("The privacy protocol %1 is not supported by the installed net-snmp.")
                               .arg(snmpPrivProtocolName(usm.privProtocol)));
        if (usm.privPassphrase.size() < kSnmpMinPassphraseLength)
            return problem(Field::PrivPassphrase, Texts::tr("The privacy passphrase must have at least %1 characters.")
                                                      .arg(kSnmpMinPassphraseLength));
    }
    return std::nullopt;
}

QVariantMap profileToMap(const DeviceProfile &profile)
{
    QVariantMap map;
    map.insert(kName, profile.name);
    map.insert(kHost, profile.target.host);
    map.insert(kPort, int(profile.target.port));
    map.insert(kVersion, snmpVersionName(profile.target.version));
    map.insert(kTimeout, profile.timeoutSec);
    map.insert(kRetries, profile.retries);
    map.insert(kMaxRepetitions, profile.maxRepetitions);
    map.insert(kTextEncoding, QString::fromLatin1(profile.textEncoding));
    if (profile.target.version == SNMP_VERSION_V3) {
        const SnmpUsmCredentials &usm = profile.target.usm;
        map.insert(kUser, usm.userName);
        map.insert(kLevel, snmpSecurityLevelName(usm.level));
        map.insert(kAuthProtocol, snmpAuthProtocolName(usm.authProtocol));
        map.insert(kPrivProtocol, snmpPrivProtocolName(usm.privProtocol));
        map.insert(kContext, usm.contextName);
    }
    return map;
}

std::optional<ProfileProblem> profileFromMap(const QVariantMap &map, const QList<DeviceProfile> &others,
                                             DeviceProfile *out)
{
    DeviceProfile p;
    p.name = map.value(kName).toString();
    p.target.host = map.value(kHost).toString();

    const auto number = [&map](const QString &key, Field field, qint64 fallback,
                               qint64 *value) -> std::optional<ProfileProblem> {
        if (!map.contains(key)) {
            *value = fallback;
            return std::nullopt;
        }
        const std::optional<qint64> n = wholeNumber(map.value(key));
        if (!n)
            return problem(field, Texts::tr("The value \"%1\" of \"%2\" is not a whole number.")
                                      .arg(map.value(key).toString(), key));
        *value = *n;
        return std::nullopt;
    };
    qint64 port = 0, timeout = 0, retries = 0, repetitions = 0;
    if (auto e = validateProfileName(p.name, others))
        return e;
    if (auto e = hostProblem(p.target.host))
        return e;
    if (!map.contains(kPort))
        return problem(Field::Port, Texts::tr("The port is missing."));
    if (auto e = number(kPort, Field::Port, 0, &port))
        return e;
    if (auto e = portProblem(port))
        return e;
    p.target.port = static_cast<quint16>(port);

    const std::optional<int> version = snmpVersionFromName(map.value(kVersion).toString());
    if (!version)
        return problem(Field::Version, Texts::tr("The SNMP version must be 1, 2c or 3."));
    p.target.version = *version;

    if (auto e = number(kTimeout, Field::Timeout, DeviceProfile::kDefaultTimeoutSec, &timeout))
        return e;
    if (auto e = number(kRetries, Field::Retries, DeviceProfile::kDefaultRetries, &retries))
        return e;
    if (auto e = number(kMaxRepetitions, Field::MaxRepetitions, DeviceProfile::kDefaultMaxRepetitions, &repetitions))
        return e;
    for (auto [field, value] : {std::pair{Field::Timeout, timeout}, std::pair{Field::Retries, retries},
                                std::pair{Field::MaxRepetitions, repetitions}})
        if (auto e = rangeProblem(field, value))
            return e;
    p.timeoutSec = int(timeout);
    p.retries = int(retries);
    p.maxRepetitions = int(repetitions);
    if (map.contains(kTextEncoding))
        p.textEncoding = map.value(kTextEncoding).toString().toLatin1();

    if (p.target.version == SNMP_VERSION_V3) {
        SnmpUsmCredentials &usm = p.target.usm;
        usm.userName = map.value(kUser).toString();
        usm.contextName = map.value(kContext).toString();
        const auto level = snmpSecurityLevelFromName(map.value(kLevel).toString());
        if (!level)
            return problem(Field::SecurityLevel, Texts::tr("The security level \"%1\" is not one of noAuthNoPriv, "
                                                           "authNoPriv and authPriv.")
                                                     .arg(map.value(kLevel).toString()));
        usm.level = *level;
        // a protocol the level does not use may be absent
        if (map.contains(kAuthProtocol) || usesAuth(usm.level)) {
            const auto auth = snmpAuthProtocolFromName(map.value(kAuthProtocol).toString());
            if (!auth)
                return problem(Field::AuthProtocol, Texts::tr("The authentication protocol \"%1\" is not known.")
                                                        .arg(map.value(kAuthProtocol).toString()));
            usm.authProtocol = *auth;
        }
        if (map.contains(kPrivProtocol) || usesPriv(usm.level)) {
            const auto priv = snmpPrivProtocolFromName(map.value(kPrivProtocol).toString());
            if (!priv)
                return problem(Field::PrivProtocol, Texts::tr("The privacy protocol \"%1\" is not known.")
                                                        .arg(map.value(kPrivProtocol).toString()));
            usm.privProtocol = *priv;
        }
    }
    if (auto e = validateProfile(p, others, ValidationScope::Stored))
        return e;
    *out = p;
    return std::nullopt;
}

QString uniqueProfileName(const QString &name, const QList<DeviceProfile> &profiles)
{
    if (indexOfProfile(profiles, name) < 0)
        return name;
    for (int n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)").arg(name).arg(n);
        if (indexOfProfile(profiles, candidate) < 0)
            return candidate;
    }
}
