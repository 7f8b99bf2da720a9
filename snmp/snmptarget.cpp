#include "snmptarget.h"

#include "snmpstack_p.h"

#include <net-snmp/library/transform_oids.h>

#include <iterator>

namespace {

template <typename Enum>
struct Named
{
    Enum value;
    const char *name;
};

constexpr Named<SnmpAuthProtocol> kAuthNames[] = {
    {SnmpAuthProtocol::MD5, "MD5"},        {SnmpAuthProtocol::SHA1, "SHA-1"},
    {SnmpAuthProtocol::SHA224, "SHA-224"}, {SnmpAuthProtocol::SHA256, "SHA-256"},
    {SnmpAuthProtocol::SHA384, "SHA-384"}, {SnmpAuthProtocol::SHA512, "SHA-512"},
};
constexpr Named<SnmpPrivProtocol> kPrivNames[] = {
    {SnmpPrivProtocol::DES, "DES"},
    {SnmpPrivProtocol::AES128, "AES-128"},
    {SnmpPrivProtocol::AES192, "AES-192"},
    {SnmpPrivProtocol::AES256, "AES-256"},
};
constexpr Named<SnmpSecurityLevel> kLevelNames[] = {
    {SnmpSecurityLevel::NoAuthNoPriv, "noAuthNoPriv"},
    {SnmpSecurityLevel::AuthNoPriv, "authNoPriv"},
    {SnmpSecurityLevel::AuthPriv, "authPriv"},
};
constexpr Named<int> kVersionNames[] = {
    {SNMP_VERSION_V1, "1"}, {SNMP_VERSION_V2C, "2c"}, {SNMP_VERSION_V3, "3"}};

template <typename Enum, size_t N>
QString nameOf(const Named<Enum> (&table)[N], Enum value)
{
    for (const auto &entry : table)
        if (entry.value == value)
            return QString::fromLatin1(entry.name);
    return {};
}

// Compared without regard to case and to the dash, so "sha256" and "AES128"
// (as net-snmp's tools write them) are understood too.
template <typename Enum, size_t N>
std::optional<Enum> valueOf(const Named<Enum> (&table)[N], const QString &name)
{
    const auto plain = [](QString text) { return text.remove(u'-').trimmed().toLower(); };
    const QString wanted = plain(name);
    for (const auto &entry : table)
        if (plain(QString::fromLatin1(entry.name)) == wanted)
            return entry.value;
    return std::nullopt;
}

} // namespace

QString snmpAuthProtocolName(SnmpAuthProtocol protocol) { return nameOf(kAuthNames, protocol); }
std::optional<SnmpAuthProtocol> snmpAuthProtocolFromName(const QString &name)
{
    // net-snmp's tools say "SHA" for SHA-1
    if (name.trimmed().compare(QLatin1String("SHA"), Qt::CaseInsensitive) == 0)
        return SnmpAuthProtocol::SHA1;
    return valueOf(kAuthNames, name);
}
QString snmpPrivProtocolName(SnmpPrivProtocol protocol) { return nameOf(kPrivNames, protocol); }
std::optional<SnmpPrivProtocol> snmpPrivProtocolFromName(const QString &name)
{
    // and "AES" for AES-128
    if (name.trimmed().compare(QLatin1String("AES"), Qt::CaseInsensitive) == 0)
        return SnmpPrivProtocol::AES128;
    return valueOf(kPrivNames, name);
}
QString snmpSecurityLevelName(SnmpSecurityLevel level) { return nameOf(kLevelNames, level); }
std::optional<SnmpSecurityLevel> snmpSecurityLevelFromName(const QString &name)
{
    // the level names differ only in case from each other's parts: exact match
    for (const auto &entry : kLevelNames)
        if (name.trimmed().compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.value;
    return std::nullopt;
}
QString snmpVersionName(int version) { return nameOf(kVersionNames, version); }
std::optional<int> snmpVersionFromName(const QString &name)
{
    QString text = name.trimmed().toLower();
    if (text.startsWith(u'v'))
        text = text.mid(1);
    if (text == u"2")
        text = QStringLiteral("2c");
    return valueOf(kVersionNames, text);
}

bool snmpAuthProtocolSupported(SnmpAuthProtocol protocol)
{
    switch (protocol) {
    case SnmpAuthProtocol::MD5:
#ifndef NETSNMP_DISABLE_MD5
        return true;
#else
        return false;
#endif
    case SnmpAuthProtocol::SHA1:
        return true;
    case SnmpAuthProtocol::SHA224:
    case SnmpAuthProtocol::SHA256:
    case SnmpAuthProtocol::SHA384:
    case SnmpAuthProtocol::SHA512:
#if defined(HAVE_EVP_SHA224) || defined(HAVE_EVP_SHA384) || defined(NETSNMP_USE_INTERNAL_CRYPTO)
        return true;
#else
        return false;
#endif
    }
    return false;
}

bool snmpPrivProtocolSupported(SnmpPrivProtocol protocol)
{
    switch (protocol) {
    case SnmpPrivProtocol::DES:
#ifndef NETSNMP_DISABLE_DES
        return true;
#else
        return false;
#endif
    case SnmpPrivProtocol::AES128:
#ifdef HAVE_AES
        return true;
#else
        return false;
#endif
    case SnmpPrivProtocol::AES192:
    case SnmpPrivProtocol::AES256:
#if defined(HAVE_AES) && defined(NETSNMP_DRAFT_BLUMENTHAL_AES_04)
        return true;
#else
        return false;
#endif
    }
    return false;
}
