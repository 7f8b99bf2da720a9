#pragma once

// CSnmpSession: one SNMP conversation of the program.
//
// Every SNMP user owns one session: the trap receive service (CTrapReceiver)
// a session registered for traps, the MIB walk dialog, the SET dialog and
// each monitor window a session towards one agent. The session reports to
// its owner only through the signal snmpNotify(code, payload), and always
// queued: the signal is emitted from the event loop after the call that
// caused it has returned, whatever connection type the owner uses. So an
// owner may call Send... and read its own state before the notification
// arrives, exactly as with a posted message.
//
// Typical use, request side:
//
//     m_session = new CSnmpSession(this);
//     connect(m_session, &CSnmpSession::snmpNotify, this, &Walk::onSnmpNotify);
//     if (!m_session->Initialise()) ...
//     m_session->Open(agentText, community);   // 1 even for an unknown host
//     m_session->SendRequest(u"1.3.6.1.2.1.1.1.0"_s, SNMP_PDU_GETNEXT);
//     // -> SNMPN_GETNEXT_SENT (payload.oid), later SNMPN_RECEIVED
//     //    (payload.received.pdu.requestId == m_session->requestId()) or
//     //    SNMPN_SEND_ERROR (payload.error, text by SnmpErrorText).
//
// Trap side:
//
//     auto *s = new CSnmpSession(this, trapPort);
//     s->Initialise();
//     if (!s->RegisterTraps()) show(s->trapFailureText());
//     // -> SNMPN_RECEIVED for every SNMPv1 trap (in SNMPv2 form), SNMPv2c
//     //    trap and inform (delivered with type SNMP_PDU_TRAP and pdu.inform
//     //    set; a retransmitted inform is delivered once).
//     s->setTrapUsers(users); // SNMPv3 traps and informs of these USM users
//     //    (received.strSecurityName names the user), see snmpv3receiver.h
//
// Requests time out silently: the owners run their own response timers.
// An owner that wants to get rid of its session from inside a notification
// handler uses deleteLater(), as with any QObject whose signal is running.
// Everything runs on the thread that owns the session (the GUI thread); trap
// sockets are drained on a thread of the layer's own, which also answers
// informs at once, however busy the GUI thread is (see snmptrapport.h).

#include "snmperror.h"
#include "snmptarget.h"
#include "snmptrapport.h"
#include "snmptrapuser.h"
#include "snmptypes.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <deque>
#include <memory>
#include <optional>

class QSocketNotifier;
class SnmpV3Receiver;
struct SnmpSessionBridge;

// Notification codes (the owner's "wParam").
enum SnmpNotifyCode : int {
    SNMPN_RECV_ERROR = 1,    // payload.error: code of the failed receive
    SNMPN_RECEIVED = 2,      // payload.received: the message, the owner's own copy
    SNMPN_SEND_ERROR = 3,    // payload.error: why the request did not go out
    SNMPN_GET_SENT = 4,      // payload.oid: the last requested OID
    SNMPN_GETNEXT_SENT = 5,  // payload.oid
    SNMPN_OTHER_SENT = 6,    // payload.oid (SET requests)
};

// One received message. Each notification carries its own, so a second
// message arriving before the owner handled the first overwrites nothing.
struct tagSNMPRECEIVED
{
    QString strAgent;       // sender's address, no port (IPv4-mapped shown as IPv4)
    QString strDestination; // local address the message was sent to
    QString strCommunity;   // community as text (whole, however long)
    QByteArray community;   // community octets as received
    QString strSecurityName; // SNMPv3: the USM user name; empty for SNMPv1/v2c
    SnmpPdu pdu;            // type, request id, error status/index, varbinds
};

struct SnmpNotifyPayload
{
    quint32 error = 0;         // codes 1 and 3
    SnmpOid oid;               // codes 3 to 6: the last requested OID at the time
    qint32 requestId = 0;      // codes 3 to 6: the request id of that send
    tagSNMPRECEIVED received;  // code 2
};

// Why a datagram on the trap port was not listed.
enum class SnmpDropReason {
    NotSnmp,               // not an SNMP message at all
    BadBer,                // an SNMP message whose encoding is broken
    UnsupportedVersion,    // a version other than 1, 2c and 3, or SNMPv3 of another security model than USM
    UnknownUser,           // SNMPv3: no such USM user for that engine, or an inform to another engine
    AuthenticationFailure, // SNMPv3: wrong digest, or less security than the user's level
    DecryptionFailure,     // SNMPv3: authenticated, but did not decrypt (wrong privacy passphrase)
    NotInTimeWindow,       // SNMPv3: outside the time window, or a replayed trap
    KernelOverflow,        // the socket buffer was full
    QueueOverflow,         // the queue for the GUI thread was full
    Count
};

struct SnmpDropCount
{
    quint64 count = 0;
    QString lastSender; // "address:port"; empty where none is known
};

// What the trap session has seen since RegisterTraps. Every datagram read
// ends in exactly one of delivered, informDuplicates, malformed, ignored and
// queueDrops; malformed counts the drops of every reason but the two
// overflows, so drops[r].count summed over those reasons is malformed.
struct SnmpTrapStatistics
{
    quint64 datagrams = 0;            // read from the trap sockets
    quint64 delivered = 0;            // notifications handed to the owner
    quint64 informsAcknowledged = 0;  // responses sent, retransmissions included
    quint64 acknowledgeFailures = 0;  // informs left without a response (send failed, or unreadable here)
    quint64 informDuplicates = 0;     // retransmitted informs: answered again, not delivered again
    quint64 malformed = 0;            // dropped: not SNMP, broken, or refused by SNMPv3 security
    quint64 ignored = 0;              // decodable but not a notification (SNMPv3 engine discovery too)
    quint64 queueDrops = 0;           // dropped because the layer's queue was full (informs unanswered)
    quint64 kernelDrops = 0;          // dropped by the kernel (socket buffer full)
    int receiveBufferBytes = 0;       // as granted by the kernel
    // By reason, with the last sender ("address:port", IPv6 in brackets);
    // kernel and queue overflows also appear in the counts above (the
    // kernel's drops have no sender).
    std::array<SnmpDropCount, static_cast<size_t>(SnmpDropReason::Count)> drops{};

    // Every datagram that was not listed, whatever the reason.
    quint64 dropped() const { return malformed + queueDrops + kernelDrops; }
};

class CSnmpSession : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 kDefaultTrapPort = 162;
    static constexpr quint16 kDefaultAgentPort = 161;

    // `owner` becomes the QObject parent (the owner deletes its session).
    // Nothing is opened here.
    explicit CSnmpSession(QObject *owner = nullptr, quint16 trapPort = kDefaultTrapPort);
    ~CSnmpSession() override;

    // Starts the stack for this session and finds the local address (first
    // IPv4 address of the host name) unless one is given. The address is
    // informational only: request sockets are never bound to it. Gives 1.
    int Initialise(const QString &localAddress = QString());

    // Opens the session towards `agent` (host name, IPv4 or IPv6 address;
    // "host:port" or "[v6]:port" also accepted, otherwise agentPort()).
    // Gives 1, also when the name does not resolve: that is reported by the
    // first send as SNMPN_SEND_ERROR with SNMPAPI_ENTITY_INVALID. Gives 0
    // when the session is already open (it stays as it is). Resets the
    // request id: the first request after Open carries id 1. The community
    // is converted to 8-bit text of at most 1,024 bytes.
    int Open(const QString &agent, const QString &community);
    // The same towards a target: its version, port and credentials. For
    // SNMPv3 the agent's engine ID is discovered before the first request
    // goes out, without blocking.
    int Open(const SnmpTarget &target);
    // Releases everything Open and the sends hold; pending requests are
    // forgotten. Safe at any time.
    void Close();
    bool isOpen() const;

    // Trap reception on UDP trapPort() (every address of trapAddresses()).
    // 1 when receiving; 0 when already open (nothing shown) or when the port
    // could not be bound: lastError() and trapFailureText() say why.
    int RegisterTraps();
    // 1 when reception has stopped (or nothing was open).
    int UnregisterTraps();
    bool isReceivingTraps() const;

    // One request with one variable; `value` only for SET. Gives 1 when it
    // went out (then SNMPN_GET_SENT / GETNEXT_SENT / OTHER_SENT follows), 0
    // when not (then SNMPN_SEND_ERROR follows). An OID text that does not
    // parse is refused with SNMPAPI_OID_INVALID.
    int SendRequest(const QString &oidText, quint32 pduType, const std::optional<SnmpValue> &value = std::nullopt);
    int SendOidRequest(const SnmpOid &oid, quint32 pduType, const std::optional<SnmpValue> &value = std::nullopt);
    // One GET carrying every OID in order. An empty list sends nothing and
    // gives 0 (no notification). Leaves lastRequestedOid() as it was.
    int SendGetList(const QStringList &oidTexts);
    // One GETBULK (SNMPv2c and SNMPv3 only; SNMPv1 is refused with
    // SNMPAPI_OPERATION_INVALID): `maxRepetitions` successors of `oid`.
    // Notifies SNMPN_GETNEXT_SENT, as a GET NEXT does.
    int SendBulkRequest(const SnmpOid &oid, int maxRepetitions);

    // Forgets the SNMPv3 engine IDs found so far, so that the next request
    // to each agent asks for it anew (after an unknownEngineID report).
    static void forgetEngineIds();

    qint32 requestId() const { return m_requestId; }
    const SnmpOid &lastRequestedOid() const { return m_lastOid; }
    QString localAddress() const { return m_localAddress; }
    quint32 lastError() const { return m_lastError; }

    // SNMP version of requests: SNMP_VERSION_V1 (default) or SNMP_VERSION_V2C.
    int version() const { return m_version; }
    void setVersion(int version) { m_version = version; }
    quint16 agentPort() const { return m_agentPort; }
    void setAgentPort(quint16 port) { m_agentPort = port; }

    quint16 trapPort() const { return m_trapPort; }
    void setTrapPort(quint16 port) { m_trapPort = port; }
    // Addresses the trap session binds; default every address ("0.0.0.0"
    // and "::"). Tests and benchmarks use loopback only.
    QStringList trapAddresses() const { return m_trapAddresses; }
    void setTrapAddresses(const QStringList &addresses) { m_trapAddresses = addresses; }
    // The message of the last failed RegisterTraps / UnregisterTraps, ready
    // to show: what failed, on which port, and what to do.
    QString trapFailureText() const { return m_trapFailureText; }
    SnmpTrapStatistics trapStatistics() const;

    // The SNMPv3 users whose traps and informs are taken; kept across
    // RegisterTraps and UnregisterTraps. Applied at once while receiving.
    void setTrapUsers(const QList<SnmpTrapUser> &users);
    QList<SnmpTrapUser> trapUsers() const { return m_trapUsers; }
    // The receiver's own snmpEngineID (RFC 3411), the one agents send
    // informs to: made once and kept (SnmpLocalEngine), the same before,
    // during and after reception.
    static QByteArray localEngineId();
    // snmpEngineBoots of this reception; 0 while not receiving.
    quint32 trapEngineBoots() const;

signals:
    void snmpNotify(SnmpNotifyCode code, const SnmpNotifyPayload &payload);

private:
    friend struct SnmpSessionBridge;

    void post(SnmpNotifyCode code, SnmpNotifyPayload payload);
    // Refuses a request whose OID cannot be sent: code 3 with error 9.
    int refuseOid();
    bool openNetSnmp(quint32 *error);
    // The net-snmp session of the current version over an open transport.
    bool addNetSnmpSession(void *transport, quint32 *error);
    void closeNetSnmp();
    int sendPdu(quint32 type, const SnmpVarList &vars, qint32 nonRepeaters = 0, qint32 maxRepetitions = 0);
    // Hands one PDU to net-snmp; SNMPAPI_SUCCESS or why not.
    quint32 transmit(quint32 type, const SnmpVarList &vars, qint32 requestId, qint32 nonRepeaters,
                     qint32 maxRepetitions);
    // SNMPv3: the agent's engine ID has come back from the probe.
    void finishDiscovery();
    void onReadable();
    void onTimer();
    void armTimer();
    void processTrapDatagrams();
    bool decodeTrapDatagram(const SnmpTrapPort::Datagram &datagram, tagSNMPRECEIVED &received);
    bool decodeV3Datagram(const SnmpTrapPort::Datagram &datagram, tagSNMPRECEIVED &received);
    void countDrop(SnmpDropReason reason, const SnmpTrapPort::Datagram &datagram);
    // Answers an inform that only net-snmp could read; false for a
    // retransmission of one answered before (answered again, not listed).
    bool answerInform(const SnmpTrapPort::Datagram &datagram, const SnmpMessage &inform);

    quint16 m_trapPort;
    QStringList m_trapAddresses;
    quint16 m_agentPort = kDefaultAgentPort;
    int m_version = 0;
    bool m_started = false;
    bool m_open = false;
    QString m_localAddress;
    QString m_agentText;
    QByteArray m_community;
    SnmpUsmCredentials m_usm;   // SNMPv3 only; cleared by Close
    QString m_peerKey;          // transport address, the key of the engine ID cache
    // SNMPv3 before the agent's engine ID is known: m_sessp is a probe that
    // asks for it, and the owner's first request waits here meanwhile.
    bool m_probing = false;
    QByteArray m_discoveredEngineId;
    struct PendingSend
    {
        quint32 type;
        SnmpVarList vars;
        qint32 requestId;
        qint32 nonRepeaters;
        qint32 maxRepetitions;
    };
    std::optional<PendingSend> m_pending;
    // The message id of the last request and its request id: a Report is
    // matched to its request by the former alone.
    long m_lastMessageId = -1;
    qint32 m_lastMessageRequestId = 0;
    qint32 m_requestId = 0;
    SnmpOid m_lastOid;
    quint32 m_lastError = SNMPAPI_SUCCESS;

    void *m_sessp = nullptr;          // net-snmp single session
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_timer;
    std::unique_ptr<tagSNMPRECEIVED> m_parsed; // decoded by the parse hook
    const void *m_parsedFor = nullptr;

    std::unique_ptr<SnmpTrapPort> m_trap;
    sockaddr_storage m_lastSource{};
    socklen_t m_lastSourceLength = 0;
    QString m_lastSourceText;
    QByteArray m_lastCommunity;
    QString m_lastCommunityText;
    SnmpTrapStatistics m_trapStats;
    SnmpInformMemory m_answeredHere; // informs answered by answerInform()
    QString m_trapFailureText;
    QList<SnmpTrapUser> m_trapUsers;
    std::unique_ptr<SnmpV3Receiver> m_v3;
    // taken from the port but not yet handled when a turn's time ran out
    std::deque<SnmpTrapPort::Datagram> m_held;
};

// The layer's last error for a session, or without one (nullptr).
quint32 SnmpGetLastError(const CSnmpSession *session);

Q_DECLARE_METATYPE(SnmpNotifyPayload)
