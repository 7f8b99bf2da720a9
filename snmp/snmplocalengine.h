#pragma once

// SnmpLocalEngine: the receiver's own SNMPv3 engine identity, which agents
// are configured with to send it informs: an snmpEngineID in RFC 3411 form,
// made once at random, and the snmpEngineBoots counter that grows at every
// start of reception, so that a sender never takes a Response of a new run
// for a replay of an old one.
//
// Both are kept in a small file of the user's data folder
// (~/.local/share/Halvorn/Orvelle/snmpengine.conf). Nothing in it is
// secret. Where the file cannot be written, an engine ID made for the run
// is used (and shown) for the rest of the run.

#include <QByteArray>
#include <QString>

class SnmpLocalEngine
{
public:
    // RFC 3414: snmpEngineBoots stops at this value.
    static constexpr quint32 kMaxBoots = 2147483647u;

    // The engine ID, made and kept the first time it is asked for.
    static QByteArray engineId();
    // Counts one start: the boots counter grows by one and is kept. Gives the
    // new count and the engine ID in *engineId.
    static quint32 countStart(QByteArray *engineId);
    // The boots count kept; 0 before the first start.
    static quint32 boots();

    // "80 00 1F 88 05 ...": the form agents' configurations take, in hex
    // pairs (snmpd.conf and most agents also take it without the blanks).
    static QString engineIdText(const QByteArray &engineId);
    // A valid snmpEngineID: 5 to 32 octets (RFC 3411).
    static bool isValidEngineId(const QByteArray &engineId);

    static QString stateFilePath();
};
