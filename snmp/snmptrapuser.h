#pragma once

// SnmpTrapUser: one SNMPv3 user whose notifications the trap receiver takes
// (CSnmpSession::setTrapUsers). A trap is authenticated with keys localized
// for the sending engine: with `engineId` set, for that engine only;
// without it, for any engine that proves it knows the passphrases, learned
// the first time it sends. An inform is authenticated with keys localized
// for the receiver's own engine (CSnmpSession::localEngineId()), whatever
// `engineId` says.
//
// The passphrases live here in memory only, as in SnmpUsmCredentials.

#include "snmptarget.h"

#include <QByteArray>
#include <QString>

struct SnmpTrapUser
{
    // The same user as a request session's (its context name is not used).
    SnmpUsmCredentials usm;
    QByteArray engineId; // the sender's snmpEngineID; empty: learned

    friend bool operator==(const SnmpTrapUser &, const SnmpTrapUser &) = default;
};
