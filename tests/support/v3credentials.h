#pragma once

// The test agent's SNMPv3 authPriv user (SHA-256/AES-128, see snmpdpeer.h)
// as a target, and as net-snmp's tools take it. Header only: the suites
// that use it link the SNMP layer, the support library does not.

#include "snmpdpeer.h"
#include "snmptarget.h"

#include <QStringList>

namespace TestSupport {

inline SnmpTarget v3PrivTarget(quint16 port)
{
    SnmpTarget t;
    t.host = QStringLiteral("127.0.0.1");
    t.port = port;
    t.version = SNMP_VERSION_V3;
    t.usm.userName = QLatin1String(kV3PrivUser);
    t.usm.level = SnmpSecurityLevel::AuthPriv;
    t.usm.authProtocol = SnmpAuthProtocol::SHA256;
    t.usm.privProtocol = SnmpPrivProtocol::AES128;
    t.usm.authPassphrase = QLatin1String(kV3AuthPass);
    t.usm.privPassphrase = QLatin1String(kV3PrivPass);
    return t;
}

inline QStringList v3PrivToolArguments()
{
    return {QStringLiteral("-v3"), QStringLiteral("-l"), QStringLiteral("authPriv"), QStringLiteral("-u"),
            QLatin1String(kV3PrivUser), QStringLiteral("-a"), QStringLiteral("SHA-256"), QStringLiteral("-A"),
            QLatin1String(kV3AuthPass), QStringLiteral("-x"), QStringLiteral("AES"), QStringLiteral("-X"),
            QLatin1String(kV3PrivPass)};
}

} // namespace TestSupport
