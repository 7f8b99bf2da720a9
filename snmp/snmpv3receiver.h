#pragma once

// SnmpV3Receiver: the SNMPv3 side of the trap session (CSnmpSession owns one
// while it receives). net-snmp's own user-based security model (USM) checks
// the digests, decrypts, keeps the time windows, answers engine discovery
// with the Reports that senders expect and builds the authenticated
// Responses to informs; this class feeds it and keeps its user list.
//
// net-snmp reads no socket here. Its session runs over a transport of this
// class's own: every SNMPv3 datagram the trap port's reader thread queued is
// handed to net-snmp's parser, and what net-snmp sends back (Reports,
// Responses) leaves through SnmpTrapPort::reply from the socket the datagram
// came in on. It all runs on the GUI thread, as every call into net-snmp.
//
// Users. net-snmp keeps one list of USM users for the whole process, shared
// with the SNMPv3 request sessions of device profiles. This class adds users
// of its own, marked as its own, and never changes or removes one it did not
// add. A request session may put its own user in place of one of these for
// the same engine and name; that one is used as it is.
//  - Informs: every user, with keys localized for the receiver's own engine
//    (SnmpLocalEngine), whose ID and boots net-snmp takes over at start().
//  - Traps: a user with an engine ID, localized for that engine at once; a
//    user without one, for each engine that sends as that user, as soon as
//    a datagram's digest proves that the engine knows the passphrase. The
//    digest is checked here before net-snmp sees the datagram, so one that
//    does not authenticate leaves no state behind. At most
//    kMaxLearnedEngines engines are learned; past that the one heard from
//    least recently is forgotten. A passphrase becomes its key (Ku, a
//    megabyte of hashing) once; a new engine costs one localization.
//
// A message must be as safe as its user: one of a lower security level than
// the user's (noAuthNoPriv from an authPriv user, say) is refused, where
// net-snmp alone would take it. Replays: a byte-identical authenticated
// datagram seen again within the time window is a trap dropped, or an inform
// answered again but delivered once; so is an inform retransmitted by its
// sender (new message id, same sender, request id and content). A trap older
// than the window of what its engine sent last is dropped too, as net-snmp
// takes the latest message of an engine again however old it is.

#include "snmpsession.h"
#include "snmptrapuser.h"

#include <QByteArray>
#include <QList>

#include <memory>

class SnmpTrapPort;

class SnmpV3Receiver
{
public:
    enum class Outcome {
        Delivered, // `received` holds a trap or an inform (answered)
        Duplicate, // an inform seen before: answered again, not delivered again
        Ignored,   // engine discovery and time synchronisation, or no notification
        Dropped,   // for `reason`
    };
    struct Result
    {
        Outcome outcome = Outcome::Dropped;
        SnmpDropReason reason = SnmpDropReason::BadBer;
        bool answered = false;     // a Response went out
        bool answerFailed = false; // a Response could not be sent
    };

    static constexpr int kMaxLearnedEngines = 256;

    // `port` must outlive the receiver.
    explicit SnmpV3Receiver(SnmpTrapPort *port);
    ~SnmpV3Receiver();
    SnmpV3Receiver(const SnmpV3Receiver &) = delete;
    SnmpV3Receiver &operator=(const SnmpV3Receiver &) = delete;

    // Counts a start of the local engine (its boots grow), hands its ID and
    // boots to net-snmp and opens the session. False when net-snmp refused.
    bool start();
    // Users that cannot be used (no name, a passphrase net-snmp refuses, a
    // protocol this net-snmp lacks) are left out.
    void setUsers(const QList<SnmpTrapUser> &users);

    // One datagram of version 3.
    Result process(const SnmpTrapPort::Datagram &datagram, tagSNMPRECEIVED &received);

    QByteArray engineId() const;
    quint32 engineBoots() const;
    int usableUserCount() const;
    int learnedEngineCount() const;

    struct Private;

private:
    std::unique_ptr<Private> d;
};
