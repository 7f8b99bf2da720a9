#include "snmpsession.h"

#include "snmplocalengine.h"
#include "snmpstack_p.h"
#include "snmptrapport.h"
#include "snmpv3receiver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QSocketNotifier>

#include <net-snmp/library/keytools.h>
#include <net-snmp/library/snmpusm.h>
#include <net-snmp/library/transform_oids.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace {

// net-snmp's own retransmission is off and its timeout far beyond any
// owner's: the owners run their own response timers and messages.
constexpr long kNetSnmpTimeoutUs = 120L * 1000 * 1000;
constexpr qsizetype kMaxCommunityBytes = 1024;
// A flood of traps is decoded in slices: datagrams taken from the reader
// thread's queue at a time, and how long one event-loop turn may spend on
// them before painting and timers get their turn.
constexpr size_t kTrapBatch = 256;
constexpr qint64 kTrapSliceMs = 10;

QString firstHostAddress()
{
    char name[256] = {};
    if (gethostname(name, sizeof(name) - 1) != 0 || !name[0])
        return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo *result = nullptr;
    if (getaddrinfo(name, nullptr, &hints, &result) != 0 || !result)
        return {};
    const QString text = SnmpInternal::addressText(result->ai_addr, result->ai_addrlen);
    freeaddrinfo(result);
    return text;
}

// Splits what the user typed into host and port. False when it cannot be
// an address at all.
bool splitAgent(const QString &agent, quint16 defaultPort, QString *host, quint16 *port)
{
    QString text = agent.trimmed();
    *port = defaultPort;
    QString portText;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0)
            return false;
        portText = text.mid(close + 1);
        text = text.mid(1, close - 1);
        if (!portText.isEmpty()) {
            if (!portText.startsWith(u':'))
                return false;
            portText = portText.mid(1);
        }
    } else if (text.count(u':') == 1) {
        const qsizetype colon = text.indexOf(u':');
        portText = text.mid(colon + 1);
        text = text.left(colon);
    }
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!(c.isLetterOrNumber() || c == u'.' || c == u'-' || c == u'_' || c == u':' || c == u'%'))
            return false;
        if (c.unicode() > 0x7F)
            return false;
    }
    if (!portText.isEmpty()) {
        bool ok = false;
        const uint p = portText.toUInt(&ok);
        if (!ok || p == 0 || p > 65535)
            return false;
        *port = static_cast<quint16>(p);
    }
    *host = text;
    return true;
}

// Engine IDs found in this run, by transport address: an agent's engine
// ID is asked for once, not before every window's first request.
QHash<QString, QByteArray> &engineIdCache()
{
    static QHash<QString, QByteArray> cache;
    return cache;
}

// Overwrites a secret's bytes before they are freed.
void wipe(QByteArray &bytes)
{
    if (!bytes.isEmpty())
        memset(bytes.data(), 0, static_cast<size_t>(bytes.size()));
    bytes.clear();
}

SnmpNotifyCode sentCodeFor(quint32 type)
{
    switch (type) {
    case SNMP_PDU_GETBULK:
    case SNMP_PDU_GETNEXT:
        return SNMPN_GETNEXT_SENT;
    case SNMP_PDU_GET:
        return SNMPN_GET_SENT;
    default:
        return SNMPN_OTHER_SENT;
    }
}

// What the first bytes of a datagram say it is: an SNMP message (an
// INTEGER first in an outer SEQUENCE), and which version. Lengths that reach
// past the end still make an SNMP message, one whose encoding is broken.
struct MessageStart
{
    bool snmp = false;
    bool versionRead = false;
    long version = -1;
};

MessageStart peekMessage(const QByteArray &datagram)
{
    MessageStart start;
    const auto *p = reinterpret_cast<const unsigned char *>(datagram.constData());
    const auto *end = p + datagram.size();
    if (end - p < 2 || p[0] != (ASN_SEQUENCE | ASN_CONSTRUCTOR))
        return start;
    const unsigned char lengthByte = p[1];
    p += 2;
    if (lengthByte & 0x80) {
        const int octets = lengthByte & 0x7F;
        if (octets == 0 || octets > 4 || end - p < octets)
            return start; // indefinite, or no length at all: no SNMP message
        p += octets;
    }
    if (end - p < 2 || p[0] != ASN_INTEGER)
        return start;
    start.snmp = true;
    const unsigned char length = p[1];
    p += 2;
    if (length == 0 || length > 4 || end - p < length)
        return start;
    long version = (p[0] & 0x80) ? -1 : 0;
    for (int i = 0; i < length; ++i)
        version = static_cast<long>((static_cast<unsigned long>(version) << 8) | p[i]);
    start.versionRead = true;
    start.version = version;
    return start;
}

// The text ends at the first NUL, as the community buffer always did: the
// list, the export and a trap action's argument all see the same text.
QString communityText(const QByteArray &community)
{
    const qsizetype nul = community.indexOf('\0');
    return QString::fromLocal8Bit(nul < 0 ? community : community.left(nul));
}

} // namespace

// The C callbacks of net-snmp, forwarded to the session they belong to.
struct SnmpSessionBridge
{
    static int parse(netsnmp_session *sp, netsnmp_pdu *pdu, u_char *data, size_t length)
    {
        auto *self = static_cast<CSnmpSession *>(sp->callback_magic);
        SnmpMessage message;
        if (!SnmpInternal::decodeInto(data, length, pdu, message))
            return SNMPERR_BAD_PARSE;
        auto received = std::make_unique<tagSNMPRECEIVED>();
        received->strAgent = SnmpInternal::addressText(static_cast<const sockaddr *>(pdu->transport_data),
                                                       pdu->transport_data_length);
        received->strDestination = self->m_localAddress;
        received->community = message.community;
        received->strCommunity = communityText(message.community);
        received->pdu = std::move(message.pdu);
        self->m_parsed = std::move(received);
        self->m_parsedFor = pdu;
        return SNMPERR_SUCCESS;
    }

    static int callback(int op, netsnmp_session *, int, netsnmp_pdu *pdu, void *magic)
    {
        auto *self = static_cast<CSnmpSession *>(magic);
        switch (op) {
        case NETSNMP_CALLBACK_OP_RECEIVED_MESSAGE:
            if (self->m_probing) {
                // The agent's Report names its engine ID; the real session
                // is opened once net-snmp has returned from this read.
                if (pdu && pdu->securityEngineID && pdu->securityEngineIDLen > 0)
                    self->m_discoveredEngineId = QByteArray(reinterpret_cast<const char *>(pdu->securityEngineID),
                                                            static_cast<qsizetype>(pdu->securityEngineIDLen));
                return 1;
            }
            if (self->m_parsed && self->m_parsedFor == pdu) {
                SnmpNotifyPayload payload;
                payload.received = std::move(*self->m_parsed);
                self->post(SNMPN_RECEIVED, std::move(payload));
            } else if (pdu && self->m_version == SNMP_VERSION_V3) {
                SnmpNotifyPayload payload;
                payload.received.strAgent = SnmpInternal::addressText(
                    static_cast<const sockaddr *>(pdu->transport_data), pdu->transport_data_length);
                payload.received.strDestination = self->m_localAddress;
                payload.received.pdu = SnmpInternal::pduFrom(pdu);
                // An agent that could not read the request (wrong keys)
                // cannot echo its id; net-snmp matched the Report to the
                // request by the message id.
                if (pdu->command == SNMP_MSG_REPORT && pdu->msgid == self->m_lastMessageId)
                    payload.received.pdu.requestId = self->m_lastMessageRequestId;
                self->post(SNMPN_RECEIVED, std::move(payload));
            }
            self->m_parsed.reset();
            self->m_parsedFor = nullptr;
            return 1;
        case NETSNMP_CALLBACK_OP_SEND_FAILED: {
            SnmpNotifyPayload payload;
            payload.error = SNMPAPI_TL_UNDELIVERABLE;
            payload.oid = self->m_lastOid;
            payload.requestId = pdu ? static_cast<qint32>(pdu->reqid) : self->m_requestId;
            self->m_lastError = payload.error;
            self->post(SNMPN_SEND_ERROR, std::move(payload));
            return 1;
        }
        default:
            // A timeout is not an error here: the owners time out themselves.
            return 1;
        }
    }
};

CSnmpSession::CSnmpSession(QObject *owner, quint16 trapPort)
    : QObject(owner), m_trapPort(trapPort),
      m_trapAddresses{QStringLiteral("0.0.0.0"), QStringLiteral("::")}
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CSnmpSession::onTimer);
}

CSnmpSession::~CSnmpSession()
{
    UnregisterTraps();
    Close();
    if (m_started)
        SnmpCleanup();
}

int CSnmpSession::Initialise(const QString &localAddress)
{
    if (!m_started) {
        if (!SnmpStartup())
            return 0;
        m_started = true;
    }
    m_localAddress = localAddress.isEmpty() ? firstHostAddress() : localAddress.left(79);
    return 1;
}

bool CSnmpSession::isOpen() const
{
    return m_open || m_trap;
}

int CSnmpSession::Open(const QString &agent, const QString &community)
{
    if (isOpen())
        return 0;
    if (!m_started) {
        if (!SnmpStartup())
            return 0;
        m_started = true;
    }
    m_requestId = 0;
    m_agentText = agent;
    m_community = SnmpToLocal8Bit(community, kMaxCommunityBytes);
    m_open = true;
    // A failure here (a name that does not resolve) is reported by the
    // first send, which tries again.
    quint32 error = SNMPAPI_SUCCESS;
    openNetSnmp(&error);
    return 1;
}

int CSnmpSession::Open(const SnmpTarget &target)
{
    if (isOpen())
        return 0;
    m_version = target.version;
    m_agentPort = target.port;
    m_usm = target.usm;
    return Open(target.host, target.community);
}

bool CSnmpSession::openNetSnmp(quint32 *error)
{
    QString host;
    quint16 port = 0;
    if (!splitAgent(m_agentText, m_agentPort, &host, &port)) {
        *error = SNMPAPI_ENTITY_INVALID;
        return false;
    }
    QStringList peers;
    const QString portText = QString::number(port);
    in_addr v4{};
    if (host.contains(u':')) {
        peers << QStringLiteral("udp6:[%1]:%2").arg(host, portText);
    } else if (inet_pton(AF_INET, host.toLatin1().constData(), &v4) == 1) {
        peers << QStringLiteral("udp:%1:%2").arg(host, portText);
    } else {
        // a name: IPv4 first, as most agents are reached, then IPv6
        peers << QStringLiteral("udp:%1:%2").arg(host, portText)
              << QStringLiteral("udp6:%1:%2").arg(host, portText);
    }
    netsnmp_transport *transport = nullptr;
    int openErrno = 0;
    for (const QString &peer : peers) {
        errno = 0;
        transport = netsnmp_transport_open_client("orvelle", peer.toLatin1().constData());
        if (transport)
            break;
        openErrno = errno;
    }
    if (!transport) {
        switch (openErrno) {
        case EMFILE: case ENFILE: case ENOBUFS: case ENOMEM:
            *error = SNMPAPI_TL_RESOURCE_ERROR;
            break;
        default:
            *error = SNMPAPI_ENTITY_INVALID;
            break;
        }
        return false;
    }
    m_peerKey = host.toLower() + u'/' + portText;
    if (!addNetSnmpSession(transport, error))
        return false;
    netsnmp_transport *t = snmp_sess_transport(m_sessp);
    m_notifier = new QSocketNotifier(t->sock, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CSnmpSession::onReadable);
    return true;
}

bool CSnmpSession::addNetSnmpSession(void *transportHandle, quint32 *error)
{
    auto *transport = static_cast<netsnmp_transport *>(transportHandle);
    netsnmp_session session;
    snmp_sess_init(&session);
    session.retries = 0;
    session.timeout = kNetSnmpTimeoutUs;
    session.callback = &SnmpSessionBridge::callback;
    session.callback_magic = this;
    if (m_version != SNMP_VERSION_V3) {
        session.version = m_version == SNMP_VERSION_V2C ? SNMP_VERSION_2c : SNMP_VERSION_1;
        session.community = reinterpret_cast<u_char *>(m_community.data());
        session.community_len = static_cast<size_t>(m_community.size());
        m_sessp = snmp_sess_add_ex(&session, transport, nullptr, &SnmpSessionBridge::parse, nullptr, nullptr,
                                   nullptr, nullptr, nullptr);
        if (!m_sessp) {
            *error = SnmpInternal::mapNetSnmpError(session.s_snmp_errno ? session.s_snmp_errno : snmp_errno, 0);
            return false;
        }
        return true;
    }

    session.version = SNMP_VERSION_3;
    session.securityModel = SNMP_SEC_MODEL_USM;
    const QByteArray engineId = engineIdCache().value(m_peerKey);
    QByteArray user = m_usm.userName.toUtf8();
    QByteArray context = m_usm.contextName.toUtf8();
    QByteArray authPass = m_usm.authPassphrase.toUtf8();
    QByteArray privPass = m_usm.privPassphrase.toUtf8();
    const auto cleanUp = [&] { wipe(authPass); wipe(privPass); };
    m_probing = engineId.isEmpty();
    if (m_probing) {
        // net-snmp's own discovery waits for the answer inside the call,
        // which would freeze the window for a whole timeout when the agent
        // is silent. The probe asks the same question without waiting: an
        // empty request, answered by a Report that names the engine.
        // The user's name goes along unauthenticated: an agent checks the
        // engine ID before it looks at the user.
        session.securityLevel = SNMP_SEC_LEVEL_NOAUTH;
        session.securityName = user.data();
        session.securityNameLen = static_cast<size_t>(user.size());
        session.flags |= SNMP_FLAGS_DONT_PROBE;
        m_discoveredEngineId.clear();
    } else {
        session.securityName = user.data();
        session.securityNameLen = static_cast<size_t>(user.size());
        session.securityLevel = SnmpInternal::netSnmpLevel(m_usm.level);
        session.contextName = context.data();
        session.contextNameLen = static_cast<size_t>(context.size());
        session.securityEngineID = reinterpret_cast<u_char *>(const_cast<char *>(engineId.constData()));
        session.securityEngineIDLen = static_cast<size_t>(engineId.size());
        if (m_usm.level != SnmpSecurityLevel::NoAuthNoPriv) {
            const SnmpInternal::ProtocolOid auth = SnmpInternal::authProtocolOid(m_usm.authProtocol);
            session.securityAuthProto = const_cast<oid *>(auth.ids);
            session.securityAuthProtoLen = auth.length;
            session.securityAuthKeyLen = USM_AUTH_KU_LEN;
            if (generate_Ku(auth.ids, auth.length, reinterpret_cast<const u_char *>(authPass.constData()),
                            static_cast<size_t>(authPass.size()), session.securityAuthKey,
                            &session.securityAuthKeyLen) != SNMPERR_SUCCESS) {
                cleanUp();
                *error = SNMPAPI_CONTEXT_INVALID;
                return false;
            }
            if (m_usm.level == SnmpSecurityLevel::AuthPriv) {
                const SnmpInternal::ProtocolOid priv = SnmpInternal::privProtocolOid(m_usm.privProtocol);
                session.securityPrivProto = const_cast<oid *>(priv.ids);
                session.securityPrivProtoLen = priv.length;
                session.securityPrivKeyLen = USM_PRIV_KU_LEN;
                if (generate_Ku(auth.ids, auth.length, reinterpret_cast<const u_char *>(privPass.constData()),
                                static_cast<size_t>(privPass.size()), session.securityPrivKey,
                                &session.securityPrivKeyLen) != SNMPERR_SUCCESS) {
                    cleanUp();
                    memset(session.securityAuthKey, 0, sizeof(session.securityAuthKey));
                    *error = SNMPAPI_CONTEXT_INVALID;
                    return false;
                }
            }
        }
        // The library keeps one user per engine and name: one left by an
        // earlier session (with other passphrases, say) would be used
        // instead of these keys.
        if (usmUser *old = usm_get_user(reinterpret_cast<const u_char *>(engineId.constData()),
                                        static_cast<size_t>(engineId.size()), user.constData())) {
            usm_remove_user(old);
            usm_free_user(old);
        }
    }
    m_sessp = snmp_sess_add_ex(&session, transport, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    memset(session.securityAuthKey, 0, sizeof(session.securityAuthKey));
    memset(session.securityPrivKey, 0, sizeof(session.securityPrivKey));
    cleanUp();
    if (!m_sessp) {
        m_probing = false;
        *error = SnmpInternal::mapNetSnmpError(session.s_snmp_errno ? session.s_snmp_errno : snmp_errno, 0);
        return false;
    }
    if (!m_probing) {
        netsnmp_session *added = snmp_sess_session(m_sessp);
        if (added && usm_create_user_from_session(added) != SNMPERR_SUCCESS) {
            closeNetSnmp();
            *error = SNMPAPI_CONTEXT_INVALID;
            return false;
        }
    }
    return true;
}

void CSnmpSession::forgetEngineIds()
{
    engineIdCache().clear();
}

void CSnmpSession::finishDiscovery()
{
    engineIdCache().insert(m_peerKey, m_discoveredEngineId);
    m_discoveredEngineId.clear();
    closeNetSnmp();
    quint32 error = SNMPAPI_SUCCESS;
    std::optional<PendingSend> pending = std::move(m_pending);
    m_pending.reset();
    if (openNetSnmp(&error) && pending)
        error = transmit(pending->type, pending->vars, pending->requestId, pending->nonRepeaters,
                         pending->maxRepetitions);
    if (error != SNMPAPI_SUCCESS && pending) {
        m_lastError = error;
        SnmpNotifyPayload payload;
        payload.error = error;
        payload.oid = m_lastOid;
        payload.requestId = pending->requestId;
        post(SNMPN_SEND_ERROR, std::move(payload));
    }
}

void CSnmpSession::closeNetSnmp()
{
    m_timer.stop();
    delete m_notifier;
    m_notifier = nullptr;
    if (m_sessp) {
        // closing may call back for pending requests; they are forgotten
        void *sessp = m_sessp;
        m_sessp = nullptr;
        snmp_sess_close(sessp);
    }
    m_parsed.reset();
    m_parsedFor = nullptr;
    m_probing = false;
}

void CSnmpSession::Close()
{
    closeNetSnmp();
    m_open = false;
    m_pending.reset();
    m_agentText.clear();
    wipe(m_community);
    m_usm = SnmpUsmCredentials();
    m_lastOid = SnmpOid();
}

void CSnmpSession::post(SnmpNotifyCode code, SnmpNotifyPayload payload)
{
    QMetaObject::invokeMethod(
        this, [this, code, p = std::move(payload)] { emit snmpNotify(code, p); }, Qt::QueuedConnection);
}

int CSnmpSession::refuseOid()
{
    // Nothing went out, so no request id is used up.
    m_lastError = SNMPAPI_OID_INVALID;
    SnmpNotifyPayload payload;
    payload.error = SNMPAPI_OID_INVALID;
    payload.oid = m_lastOid;
    payload.requestId = m_requestId;
    post(SNMPN_SEND_ERROR, std::move(payload));
    return 0;
}

int CSnmpSession::SendRequest(const QString &oidText, quint32 pduType, const std::optional<SnmpValue> &value)
{
    SnmpOid oid;
    if (!SnmpStrToOid(oidText, oid)) {
        return refuseOid();
    }
    return SendOidRequest(oid, pduType, value);
}

int CSnmpSession::SendOidRequest(const SnmpOid &oid, quint32 pduType, const std::optional<SnmpValue> &value)
{
    if (!SnmpOidIsEncodable(oid)) {
        return refuseOid();
    }
    m_lastOid = oid;
    SnmpVarList vars;
    vars.push_back({oid, value ? *value : SnmpValue()});
    return sendPdu(pduType, vars);
}

int CSnmpSession::SendGetList(const QStringList &oidTexts)
{
    if (oidTexts.isEmpty())
        return 0;
    SnmpVarList vars;
    vars.reserve(static_cast<size_t>(oidTexts.size()));
    for (const QString &text : oidTexts) {
        SnmpOid oid;
        if (!SnmpStrToOid(text, oid) || !SnmpOidIsEncodable(oid)) {
            return refuseOid();
        }
        vars.push_back({std::move(oid), SnmpValue()});
    }
    return sendPdu(SNMP_PDU_GET, vars);
}

int CSnmpSession::SendBulkRequest(const SnmpOid &oid, int maxRepetitions)
{
    if (!SnmpOidIsEncodable(oid))
        return refuseOid();
    if (m_version == SNMP_VERSION_V1) {
        m_lastError = SNMPAPI_OPERATION_INVALID;
        SnmpNotifyPayload payload;
        payload.error = m_lastError;
        payload.oid = m_lastOid;
        payload.requestId = m_requestId;
        post(SNMPN_SEND_ERROR, std::move(payload));
        return 0;
    }
    m_lastOid = oid;
    SnmpVarList vars;
    vars.push_back({oid, SnmpValue()});
    return sendPdu(SNMP_PDU_GETBULK, vars, 0, qMax(1, maxRepetitions));
}

quint32 CSnmpSession::transmit(quint32 type, const SnmpVarList &vars, qint32 requestId, qint32 nonRepeaters,
                               qint32 maxRepetitions)
{
    quint32 error = SNMPAPI_SUCCESS;
    SnmpMessage message;
    message.version = m_version;
    message.community = m_community;
    message.pdu.type = type;
    message.pdu.requestId = requestId;
    if (type == SNMP_PDU_GETBULK) {
        // GETBULK carries its two numbers where other PDUs have the error fields
        message.pdu.errorStatus = nonRepeaters;
        message.pdu.errorIndex = maxRepetitions;
    }
    message.pdu.varbinds = vars;
    netsnmp_pdu *pdu = SnmpInternal::makePdu(message, &error);
    if (!pdu)
        return error;
    m_lastMessageId = pdu->msgid;
    m_lastMessageRequestId = requestId;
    if (snmp_sess_async_send(m_sessp, pdu, &SnmpSessionBridge::callback, this) == 0) {
        int sysErrno = 0;
        int snmpError = 0;
        char *detail = nullptr;
        snmp_sess_error(m_sessp, &sysErrno, &snmpError, &detail);
        free(detail);
        error = SnmpInternal::mapNetSnmpError(snmpError, sysErrno);
        if (error == SNMPAPI_SUCCESS)
            error = SNMPAPI_TL_UNDELIVERABLE;
        snmp_free_pdu(pdu);
    }
    return error;
}

int CSnmpSession::sendPdu(quint32 type, const SnmpVarList &vars, qint32 nonRepeaters, qint32 maxRepetitions)
{
    m_requestId = m_requestId == INT_MAX ? 1 : m_requestId + 1;
    SnmpNotifyPayload payload;
    payload.requestId = m_requestId;
    payload.oid = m_lastOid;
    quint32 error = SNMPAPI_SUCCESS;
    if (!m_open) {
        error = m_trap ? SNMPAPI_OPERATION_INVALID : SNMPAPI_SESSION_INVALID;
    } else if (m_sessp || openNetSnmp(&error)) {
        if (m_probing) {
            // goes out as soon as the agent has named its engine; a newer
            // request replaces one that was still waiting
            if (!m_pending) {
                error = transmit(SNMP_PDU_GET, {}, m_requestId, 0, 0);
            }
            if (error == SNMPAPI_SUCCESS)
                m_pending = PendingSend{type, vars, m_requestId, nonRepeaters, maxRepetitions};
        } else {
            error = transmit(type, vars, m_requestId, nonRepeaters, maxRepetitions);
        }
    }
    if (error != SNMPAPI_SUCCESS) {
        m_lastError = error;
        payload.error = error;
        post(SNMPN_SEND_ERROR, std::move(payload));
        return 0;
    }
    post(sentCodeFor(type), std::move(payload));
    armTimer();
    return 1;
}

void CSnmpSession::onReadable()
{
    if (!m_sessp)
        return;
    const int sock = snmp_sess_transport(m_sessp)->sock;
    netsnmp_large_fd_set fds;
    netsnmp_large_fd_set_init(&fds, sock + 1);
    NETSNMP_LARGE_FD_SET(sock, &fds);
    const int rc = snmp_sess_read2(m_sessp, &fds);
    netsnmp_large_fd_set_cleanup(&fds);
    if (m_probing && !m_discoveredEngineId.isEmpty()) {
        finishDiscovery();
        armTimer();
        return;
    }
    if (rc != 0 && m_sessp) {
        int sysErrno = 0;
        int snmpError = 0;
        char *detail = nullptr;
        snmp_sess_error(m_sessp, &sysErrno, &snmpError, &detail);
        free(detail);
        // A malformed datagram is dropped without a word, as on the trap
        // port; a failing socket is the owner's business.
        if (snmpError == SNMPERR_BAD_RECVFROM) {
            SnmpNotifyPayload payload;
            payload.error = SnmpInternal::mapNetSnmpError(snmpError, sysErrno);
            m_lastError = payload.error;
            post(SNMPN_RECV_ERROR, std::move(payload));
        }
    }
    armTimer();
}

void CSnmpSession::armTimer()
{
    if (!m_sessp) {
        m_timer.stop();
        return;
    }
    int numfds = 0;
    netsnmp_large_fd_set fds;
    netsnmp_large_fd_set_init(&fds, FD_SETSIZE);
    timeval tv{};
    int block = 1;
    snmp_sess_select_info2_flags(m_sessp, &numfds, &fds, &tv, &block, NETSNMP_SELECT_NOALARMS);
    netsnmp_large_fd_set_cleanup(&fds);
    if (block) {
        m_timer.stop();
        return;
    }
    const qint64 ms = static_cast<qint64>(tv.tv_sec) * 1000 + tv.tv_usec / 1000 + 1;
    m_timer.start(static_cast<int>(qBound<qint64>(0, ms, qint64(INT_MAX))));
}

void CSnmpSession::onTimer()
{
    if (!m_sessp)
        return;
    snmp_sess_timeout(m_sessp);
    armTimer();
}

int CSnmpSession::RegisterTraps()
{
    if (isOpen())
        return 0;
    if (!m_started) {
        if (!SnmpStartup())
            return 0;
        m_started = true;
    }
    m_trapFailureText.clear();
    if (m_trapPort == 0) {
        // port 0 would let the kernel pick a different port per address
        m_lastError = SNMPAPI_TL_INVALID_PARAM;
        SnmpSetLastError(m_lastError);
        m_trapFailureText = tr("Unable to receive traps: %1 is not a valid UDP port. Choose a port from 1 to "
                               "65535 with the trap_port setting in DATA/Config.xml.")
                                .arg(m_trapPort);
        return 0;
    }
    auto port = std::make_unique<SnmpTrapPort>();
    SnmpTrapPort::Failure failure;
    if (!port->open(m_trapAddresses, m_trapPort, &failure)) {
        m_lastError = failure.code;
        SnmpSetLastError(failure.code);
        const QString error = SnmpErrorText(failure.code);
        const QString portText = QString::number(m_trapPort);
        if (failure.sysErrno == EACCES || failure.sysErrno == EPERM) {
            const QString program = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                                 : QStringLiteral("orvelle");
            m_trapFailureText = tr("Unable to receive traps on UDP port %1: %2\n"
                                   "Ports below 1024 can only be opened by root or by a program with the "
                                   "capability cap_net_bind_service (for example: sudo setcap "
                                   "cap_net_bind_service=+ep %3). Grant it, or choose a port of 1024 "
                                   "or above with the trap_port setting in DATA/Config.xml.")
                                    .arg(portText, error, program);
        } else if (failure.code == SNMPAPI_TL_IN_USE) {
            m_trapFailureText = tr("Unable to receive traps on UDP port %1: %2\n"
                                   "Another program already uses this port (a system snmptrapd often holds "
                                   "port 162). Stop that program, or choose another port with the trap_port "
                                   "setting in DATA/Config.xml.")
                                    .arg(portText, error);
        } else if (failure.address.isEmpty()) {
            m_trapFailureText = tr("Unable to register for traps on UDP port %1: %2").arg(portText, error);
        } else {
            m_trapFailureText = tr("Unable to open UDP port %1 on %2 for traps: %3\n"
                                   "Check the address, or choose another port with the trap_port setting "
                                   "in DATA/Config.xml.")
                                    .arg(portText, failure.address, error);
        }
        return 0;
    }
    connect(port.get(), &SnmpTrapPort::datagramsReady, this, &CSnmpSession::processTrapDatagrams);
    m_trapStats = SnmpTrapStatistics();
    m_trap = std::move(port);
    // Without it SNMPv3 datagrams are dropped as of an unsupported version;
    // SNMPv1 and v2c are received all the same.
    m_v3 = std::make_unique<SnmpV3Receiver>(m_trap.get());
    if (m_v3->start())
        m_v3->setUsers(m_trapUsers);
    else
        m_v3.reset();
    return 1;
}

int CSnmpSession::UnregisterTraps()
{
    if (!m_trap)
        return 1;
    m_trapStats = trapStatistics();
    // its users and its net-snmp session go before the sockets it replies on
    m_v3.reset();
    m_held.clear();
    m_trap->close();
    m_trap.reset();
    return 1;
}

void CSnmpSession::setTrapUsers(const QList<SnmpTrapUser> &users)
{
    m_trapUsers = users;
    if (m_v3)
        m_v3->setUsers(users);
}

QByteArray CSnmpSession::localEngineId()
{
    return SnmpLocalEngine::engineId();
}

quint32 CSnmpSession::trapEngineBoots() const
{
    return m_v3 ? m_v3->engineBoots() : 0;
}

bool CSnmpSession::isReceivingTraps() const
{
    return m_trap != nullptr;
}

SnmpTrapStatistics CSnmpSession::trapStatistics() const
{
    SnmpTrapStatistics stats = m_trapStats;
    if (m_trap) {
        stats.datagrams = m_trap->datagramsRead();
        stats.queueDrops = m_trap->queueDrops();
        // the reader thread's answers and those given here
        stats.informsAcknowledged += m_trap->informsAcknowledged();
        stats.acknowledgeFailures += m_trap->acknowledgeFailures();
        stats.informDuplicates += m_trap->informDuplicates();
        stats.kernelDrops = m_trap->kernelDrops();
        stats.receiveBufferBytes = m_trap->receiveBufferBytes();
        stats.drops[size_t(SnmpDropReason::KernelOverflow)].count = stats.kernelDrops;
        SnmpDropCount &queue = stats.drops[size_t(SnmpDropReason::QueueOverflow)];
        queue.count = stats.queueDrops;
        if (queue.count)
            queue.lastSender = m_trap->lastQueueDropSender();
    }
    return stats;
}

void CSnmpSession::processTrapDatagrams()
{
    if (!m_trap)
        return;
    // Called from the event loop (a queued signal of the reader thread), so
    // the notifications can be emitted here directly: one event per batch,
    // not one per trap. The owner may stop reception, or drop the session,
    // from its handler. The clock is read after every datagram, as an
    // SNMPv3 one costs far more than one of SNMPv2c: what is left of a batch
    // when the turn is over waits in m_held for the next turn.
    const QPointer<CSnmpSession> self(this);
    QElapsedTimer clock;
    clock.start();
    bool more = true;
    while (clock.elapsed() < kTrapSliceMs) {
        if (m_held.empty()) {
            if (!more)
                break;
            std::vector<SnmpTrapPort::Datagram> batch = m_trap->take(kTrapBatch, &more);
            if (batch.empty())
                break;
            m_held.insert(m_held.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
        }
        while (!m_held.empty() && clock.elapsed() < kTrapSliceMs) {
            const SnmpTrapPort::Datagram d = std::move(m_held.front());
            m_held.pop_front();
            SnmpNotifyPayload payload;
            if (!decodeTrapDatagram(d, payload.received))
                continue;
            ++m_trapStats.delivered;
            emit snmpNotify(SNMPN_RECEIVED, payload);
            if (!self || !m_trap)
                return;
        }
    }
    if (more || !m_held.empty())
        QMetaObject::invokeMethod(this, &CSnmpSession::processTrapDatagrams, Qt::QueuedConnection);
}

void CSnmpSession::countDrop(SnmpDropReason reason, const SnmpTrapPort::Datagram &d)
{
    ++m_trapStats.malformed;
    SnmpDropCount &drop = m_trapStats.drops[static_cast<size_t>(reason)];
    ++drop.count;
    drop.lastSender = SnmpAddressPortText(reinterpret_cast<const sockaddr *>(&d.source), d.sourceLength);
}

bool CSnmpSession::decodeV3Datagram(const SnmpTrapPort::Datagram &d, tagSNMPRECEIVED &r)
{
    if (!m_v3) {
        countDrop(SnmpDropReason::UnsupportedVersion, d);
        return false;
    }
    const SnmpV3Receiver::Result result = m_v3->process(d, r);
    if (result.answered)
        ++m_trapStats.informsAcknowledged;
    if (result.answerFailed)
        ++m_trapStats.acknowledgeFailures;
    switch (result.outcome) {
    case SnmpV3Receiver::Outcome::Delivered:
        return true;
    case SnmpV3Receiver::Outcome::Duplicate:
        ++m_trapStats.informDuplicates;
        return false;
    case SnmpV3Receiver::Outcome::Ignored:
        ++m_trapStats.ignored;
        return false;
    case SnmpV3Receiver::Outcome::Dropped:
        countDrop(result.reason, d);
        return false;
    }
    return false;
}

bool CSnmpSession::answerInform(const SnmpTrapPort::Datagram &d, const SnmpMessage &inform)
{
    SnmpMessage response;
    response.version = inform.version;
    response.community = inform.community;
    response.pdu.type = SNMP_PDU_RESPONSE;
    response.pdu.requestId = inform.pdu.requestId;
    response.pdu.varbinds = inform.pdu.varbinds;
    const QByteArray bytes = SnmpEncodeMessage(response);
    const bool sent = !bytes.isEmpty() && m_trap->reply(d, bytes);
    ++(sent ? m_trapStats.informsAcknowledged : m_trapStats.acknowledgeFailures);
    const auto now = SnmpInformMemory::Clock::now();
    const quint64 content = SnmpInformMemory::contentOf(d.data);
    const auto requestId = static_cast<qint32>(inform.pdu.requestId);
    if (m_answeredHere.contains(d.source, d.sourceLength, requestId, content, now)) {
        ++m_trapStats.informDuplicates;
        return false;
    }
    m_answeredHere.remember(d.source, d.sourceLength, requestId, content, now);
    return true;
}

bool CSnmpSession::decodeTrapDatagram(const SnmpTrapPort::Datagram &d, tagSNMPRECEIVED &r)
{
    const MessageStart start = peekMessage(d.data);
    if (!start.snmp) {
        countDrop(SnmpDropReason::NotSnmp, d);
        return false;
    }
    if (start.versionRead && start.version == SNMP_VERSION_3)
        return decodeV3Datagram(d, r);
    if (start.versionRead && start.version != SNMP_VERSION_1 && start.version != SNMP_VERSION_2c) {
        countDrop(SnmpDropReason::UnsupportedVersion, d);
        return false;
    }
    auto *pdu = static_cast<netsnmp_pdu *>(calloc(1, sizeof(netsnmp_pdu)));
    if (!pdu)
        return false;
    SnmpMessage message;
    const bool decoded = SnmpInternal::decodeInto(reinterpret_cast<const u_char *>(d.data.constData()),
                                                  static_cast<size_t>(d.data.size()), pdu, message);
    snmp_free_pdu(pdu);
    if (!decoded) {
        countDrop(SnmpDropReason::BadBer, d);
        return false;
    }
    switch (message.pdu.type) {
    case SNMP_PDU_V1TRAP:
        r.pdu = SnmpConvertV1Trap(message.pdu, message.community);
        break;
    case SNMP_PDU_TRAP:
        r.pdu = std::move(message.pdu);
        break;
    case SNMP_PDU_INFORM:
        // The reader thread has answered it already, unless its stricter
        // reader refused what net-snmp took: then it is answered here, from
        // the decoded message, and a retransmission of it is listed once.
        if (!d.informAnswered && !answerInform(d, message))
            return false;
        r.pdu = std::move(message.pdu);
        r.pdu.type = SNMP_PDU_TRAP;
        r.pdu.inform = true;
        break;
    default:
        ++m_trapStats.ignored;
        return false;
    }
    // A storm usually comes from one sender with one community: their texts
    // are made once and shared.
    if (d.sourceLength != m_lastSourceLength || memcmp(&d.source, &m_lastSource, d.sourceLength) != 0) {
        m_lastSource = d.source;
        m_lastSourceLength = d.sourceLength;
        m_lastSourceText = SnmpInternal::addressText(reinterpret_cast<const sockaddr *>(&d.source), d.sourceLength);
    }
    if (message.community != m_lastCommunity) {
        m_lastCommunity = message.community;
        m_lastCommunityText = communityText(message.community);
    }
    r.strAgent = m_lastSourceText;
    r.strDestination = d.destination;
    r.community = m_lastCommunity;
    r.strCommunity = m_lastCommunityText;
    return true;
}

quint32 SnmpGetLastError(const CSnmpSession *session)
{
    return session ? session->lastError() : SnmpGetLastError();
}
