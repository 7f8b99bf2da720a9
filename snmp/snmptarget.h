#pragma once

// SnmpTarget: how to reach one agent and how to speak to it: address,
// version and the credentials of that version. A session is opened with
// one (CSnmpSession::Open), a device profile holds one, and a device typed
// by address with a community is one too (SNMPv1, the community, port 161).
//
// The secrets (communities, passphrases) live here in memory only; whoever
// stores a target keeps them out of plain files (see devices/).

#include "snmptypes.h"

#include <QMetaType>
#include <QString>
#include <QStringList>

#include <optional>

enum class SnmpSecurityLevel : int { NoAuthNoPriv = 0, AuthNoPriv = 1, AuthPriv = 2 };
enum class SnmpAuthProtocol : int { MD5 = 0, SHA1, SHA224, SHA256, SHA384, SHA512 };
enum class SnmpPrivProtocol : int { DES = 0, AES128, AES192, AES256 };

// The user-based security model's side of an SNMPv3 target. The engine ID
// is discovered from the agent, never typed.
struct SnmpUsmCredentials
{
    QString userName;
    SnmpSecurityLevel level = SnmpSecurityLevel::AuthPriv;
    SnmpAuthProtocol authProtocol = SnmpAuthProtocol::SHA256;
    QString authPassphrase;
    SnmpPrivProtocol privProtocol = SnmpPrivProtocol::AES128;
    QString privPassphrase;
    QString contextName;

    friend bool operator==(const SnmpUsmCredentials &, const SnmpUsmCredentials &) = default;
};

struct SnmpTarget
{
    // Host name, IPv4 or IPv6 address; "host:port" and "[v6]:port" are
    // taken as typed and win over `port`.
    QString host;
    quint16 port = 161;
    int version = SNMP_VERSION_V1; // SNMP_VERSION_V1, SNMP_VERSION_V2C or SNMP_VERSION_V3
    QString community;             // v1 and v2c
    SnmpUsmCredentials usm;        // v3

    friend bool operator==(const SnmpTarget &, const SnmpTarget &) = default;
};

Q_DECLARE_METATYPE(SnmpTarget)

// net-snmp refuses shorter passphrases when it derives the keys.
constexpr int kSnmpMinPassphraseLength = 8;

// The protocols' names as users read them and as they are stored
// ("MD5", "SHA-1", "SHA-256", "DES", "AES-128", ...), and back. The names
// of the levels are RFC 3411's ("noAuthNoPriv", "authNoPriv", "authPriv");
// versions read "1", "2c" and "3".
QString snmpAuthProtocolName(SnmpAuthProtocol protocol);
std::optional<SnmpAuthProtocol> snmpAuthProtocolFromName(const QString &name);
QString snmpPrivProtocolName(SnmpPrivProtocol protocol);
std::optional<SnmpPrivProtocol> snmpPrivProtocolFromName(const QString &name);
QString snmpSecurityLevelName(SnmpSecurityLevel level);
std::optional<SnmpSecurityLevel> snmpSecurityLevelFromName(const QString &name);
QString snmpVersionName(int version);
std::optional<int> snmpVersionFromName(const QString &name);

// What the installed net-snmp can do (SHA-2 and AES-192/256 depend on how
// it was built).
bool snmpAuthProtocolSupported(SnmpAuthProtocol protocol);
bool snmpPrivProtocolSupported(SnmpPrivProtocol protocol);
