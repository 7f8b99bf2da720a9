#include "snmpv3receiver.h"

#include "snmpber.h"
#include "snmpinformack.h"
#include "snmplocalengine.h"
#include "snmpstack_p.h"
#include "snmptrapport.h"

#include <QCryptographicHash>
#include <QHash>
#include <QScopeGuard>
#include <QSet>

#include <net-snmp/library/keytools.h>
#include <net-snmp/library/lcd_time.h>
#include <net-snmp/library/scapi.h>
#include <net-snmp/library/snmpusm.h>
#include <net-snmp/library/snmpv3.h>
#include <net-snmp/library/transform_oids.h>

#include <chrono>
#include <cstring>
#include <deque>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;
using Byte = SnmpBer::Byte;

// Written into the users this class adds (usmUserPublicString), so that a
// user another session added is never taken for one of them.
constexpr char kOwnMark[] = "orvelle trap receiver";
constexpr size_t kLargestDatagram = 65507;
// USM's time window (RFC 3414), within which a replay is recognised by its
// bytes; older copies fail the time check.
constexpr std::chrono::seconds kTimeWindow{USM_TIME_WINDOW};
// Copies of datagrams remembered for replays at most (some 100 bytes each).
constexpr size_t kMaxRemembered = 32768;
// Engines whose latest message time is kept for the trap time check.
constexpr qsizetype kMaxEngineClocks = 4096;

constexpr quint8 kFlagAuth = 0x01;
constexpr quint8 kFlagPriv = 0x02;
constexpr quint8 kFlagReportable = 0x04;
constexpr qint64 kUsmSecurityModel = 3;

// What this class reads of a message before net-snmp does.
struct Header
{
    quint8 flags = 0;
    qint64 securityModel = 0;
    QByteArray engineId;
    quint32 boots = 0;
    quint32 time = 0;
    QByteArray userName;
    qsizetype authOffset = 0; // the digest in the datagram
    qsizetype authLength = 0;

    bool authenticated() const { return flags & kFlagAuth; }
    bool encrypted() const { return flags & kFlagPriv; }
    bool reportable() const { return flags & kFlagReportable; }
    SnmpSecurityLevel level() const
    {
        return encrypted() ? SnmpSecurityLevel::AuthPriv
                           : authenticated() ? SnmpSecurityLevel::AuthNoPriv : SnmpSecurityLevel::NoAuthNoPriv;
    }
};

// A non-negative INTEGER of up to 31 bits, as every number of the header is.
bool readNumber(const SnmpBer::Element &e, quint32 *value)
{
    if (e.tag != 0x02 || e.length == 0 || e.length > 5 || (e.content[0] & 0x80))
        return false;
    quint64 v = 0;
    for (size_t i = 0; i < e.length; ++i)
        v = (v << 8) | e.content[i];
    if (v > 0x7FFFFFFFu)
        return false;
    *value = static_cast<quint32>(v);
    return true;
}

enum class HeaderParse { Ok, Broken, OtherSecurityModel };

HeaderParse parseHeader(const QByteArray &datagram, Header *h)
{
    const auto *begin = reinterpret_cast<const Byte *>(datagram.constData());
    using SnmpBer::Element;
    using SnmpBer::Reader;
    Element message, version, global, securityParameters, data;
    Reader top(begin, begin + datagram.size());
    if (!top.next(message, 0x30))
        return HeaderParse::Broken;
    Reader inMessage(message);
    if (!inMessage.next(version, 0x02) || !inMessage.next(global, 0x30) || !inMessage.next(securityParameters, 0x04)
        || !inMessage.next(data))
        return HeaderParse::Broken;
    Element id, maxSize, flags, model;
    Reader inGlobal(global);
    quint32 number = 0;
    if (!inGlobal.next(id) || !readNumber(id, &number) || !inGlobal.next(maxSize) || !readNumber(maxSize, &number)
        || !inGlobal.next(flags, 0x04) || flags.length != 1 || !inGlobal.next(model) || !readNumber(model, &number))
        return HeaderParse::Broken;
    h->flags = flags.content[0];
    h->securityModel = number;
    if (h->securityModel != kUsmSecurityModel)
        return HeaderParse::OtherSecurityModel;
    if (h->encrypted() && !h->authenticated())
        return HeaderParse::Broken; // RFC 3412: privacy without authentication is no valid message
    Element usm, engine, boots, time, user, auth, priv;
    Reader inParameters(securityParameters);
    if (!inParameters.next(usm, 0x30))
        return HeaderParse::Broken;
    Reader inUsm(usm);
    if (!inUsm.next(engine, 0x04) || !inUsm.next(boots) || !readNumber(boots, &h->boots) || !inUsm.next(time)
        || !readNumber(time, &h->time) || !inUsm.next(user, 0x04) || !inUsm.next(auth, 0x04) || !inUsm.next(priv, 0x04))
        return HeaderParse::Broken;
    h->engineId = QByteArray(reinterpret_cast<const char *>(engine.content), qsizetype(engine.length));
    h->userName = QByteArray(reinterpret_cast<const char *>(user.content), qsizetype(user.length));
    h->authOffset = reinterpret_cast<const char *>(auth.content) - datagram.constData();
    h->authLength = qsizetype(auth.length);
    // net-snmp compares names as C strings
    if (h->userName.contains('\0'))
        return HeaderParse::Broken;
    return HeaderParse::Ok;
}

int levelRank(SnmpSecurityLevel level)
{
    return static_cast<int>(level);
}

void wipe(QByteArray &bytes)
{
    if (!bytes.isEmpty())
        memset(bytes.data(), 0, static_cast<size_t>(bytes.size()));
    bytes.clear();
}

// Ku (RFC 3414 A.2) of a passphrase, with the hash of the user's
// authentication protocol, for authentication and privacy alike.
QByteArray passwordToKey(SnmpAuthProtocol protocol, const QString &passphrase)
{
    QByteArray pass = passphrase.toUtf8();
    if (pass.size() < USM_LENGTH_P_MIN) {
        wipe(pass);
        return {};
    }
    const SnmpInternal::ProtocolOid auth = SnmpInternal::authProtocolOid(protocol);
    u_char key[USM_AUTH_KU_LEN];
    size_t length = sizeof(key);
    const int rc = generate_Ku(auth.ids, auth.length, reinterpret_cast<const u_char *>(pass.constData()),
                               static_cast<size_t>(pass.size()), key, &length);
    wipe(pass);
    QByteArray ku;
    if (rc == SNMPERR_SUCCESS)
        ku = QByteArray(reinterpret_cast<const char *>(key), static_cast<qsizetype>(length));
    memset(key, 0, sizeof(key));
    return ku;
}

// The address a reply goes to: what net-snmp keeps as a PDU's transport data.
struct ReplyAddress
{
    sockaddr_storage to;
    socklen_t length;
    int socketIndex;
};

} // namespace

struct SnmpV3Receiver::Private
{
    struct User
    {
        SnmpTrapUser config;
        QByteArray name; // UTF-8, as it travels
        QByteArray authKu;
        QByteArray privKu;
    };
    struct Learned
    {
        quint64 lastHeard = 0;
        QList<QByteArray> names;
    };
    struct EngineClock
    {
        quint32 boots = 0;
        quint32 time = 0;
        Clock::time_point at;
    };

    SnmpTrapPort *port;
    void *sessp = nullptr;
    netsnmp_transport *transport = nullptr;
    QByteArray engineId;
    quint32 boots = 0;

    QList<SnmpTrapUser> given; // as setUsers() had them
    QList<User> users;         // those of them that can be used
    QHash<QString, QByteArray> keys; // Ku by protocol and passphrase, kept across setUsers()
    QList<QPair<QByteArray, QByteArray>> added; // (engine, name) of the users this class added
    QHash<QByteArray, Learned> learned;
    quint64 heardCounter = 0;
    QHash<QByteArray, EngineClock> clocks;

    // Datagrams taken, for replays: their hashes, oldest first.
    std::deque<std::pair<Clock::time_point, QByteArray>> seenOrder;
    QSet<QByteArray> seen;
    // Informs delivered, for their senders' retransmissions.
    SnmpInformMemory informs;

    explicit Private(SnmpTrapPort *p) : port(p) {}
    ~Private();

    bool open();
    static int send(netsnmp_transport *t, const void *buffer, int size, void **opaque, int *olength);
    static int receive(netsnmp_transport *, void *, int, void **, int *) { return -1; }
    static int close(netsnmp_transport *t)
    {
        t->sock = -1;
        return 0;
    }
    static char *formatAddress(netsnmp_transport *, const void *data, int length);

    const User *firstUser(const QByteArray &name) const;
    QList<const User *> trapCandidates(const QByteArray &name, const QByteArray &engine) const;
    bool isOwn(const usmUser *user) const;
    bool addUser(const QByteArray &engine, const User &user);
    void removeOwn(const QByteArray &engine, const QByteArray &name);
    void removeAllOwn();
    bool digestMatches(const User &user, const QByteArray &engine, const QByteArray &datagram, const Header &h) const;
    void learn(const QByteArray &engine, const User &user);
    void heard(const QByteArray &engine);

    bool seenBefore(const QByteArray &hash, Clock::time_point now);
    void remember(const QByteArray &hash, Clock::time_point now);
    bool staleForEngine(const Header &h, Clock::time_point now);

    bool answer(netsnmp_pdu *inform);
};

SnmpV3Receiver::Private::~Private()
{
    removeAllOwn();
    if (sessp)
        snmp_sess_close(sessp);
    for (QByteArray &key : keys)
        wipe(key);
    for (User &user : users) {
        wipe(user.authKu);
        wipe(user.privKu);
    }
}

int SnmpV3Receiver::Private::send(netsnmp_transport *t, const void *buffer, int size, void **opaque, int *olength)
{
    auto *self = t->data ? *static_cast<Private **>(t->data) : nullptr;
    if (!self || !opaque || !*opaque || !olength || *olength != int(sizeof(ReplyAddress)) || size <= 0)
        return -1;
    const auto *to = static_cast<const ReplyAddress *>(*opaque);
    const QByteArray payload(static_cast<const char *>(buffer), size);
    return self->port->reply(to->socketIndex, to->to, to->length, payload) ? size : -1;
}

char *SnmpV3Receiver::Private::formatAddress(netsnmp_transport *, const void *data, int length)
{
    QByteArray text("orvelle trap port");
    if (data && length == int(sizeof(ReplyAddress))) {
        const auto *address = static_cast<const ReplyAddress *>(data);
        text = SnmpAddressPortText(reinterpret_cast<const sockaddr *>(&address->to), address->length).toLatin1();
    }
    return strdup(text.constData());
}

bool SnmpV3Receiver::Private::open()
{
    transport = static_cast<netsnmp_transport *>(calloc(1, sizeof(netsnmp_transport)));
    auto *owner = static_cast<Private **>(malloc(sizeof(Private *)));
    if (!transport || !owner) {
        free(transport);
        free(owner);
        transport = nullptr;
        return false;
    }
    *owner = this; // net-snmp frees the transport's data with it
    transport->domain = netsnmpUDPDomain;
    transport->domain_length = static_cast<int>(netsnmpUDPDomain_len);
    transport->sock = -1;
    transport->data = owner;
    transport->data_length = sizeof(Private *);
    transport->msgMaxSize = kLargestDatagram;
    transport->f_send = &Private::send;
    transport->f_recv = &Private::receive;
    transport->f_close = &Private::close;
    transport->f_fmtaddr = &Private::formatAddress;

    netsnmp_session session;
    snmp_sess_init(&session);
    session.version = SNMP_VERSION_3;
    session.securityModel = SNMP_SEC_MODEL_USM;
    // the receiver of a trap is not the authoritative engine, the receiver
    // of an inform is: net-snmp tells them apart by the reportable flag
    session.isAuthoritative = SNMP_SESS_UNKNOWNAUTH;
    session.flags |= SNMP_FLAGS_DONT_PROBE;
    session.retries = 0;
    session.rcvMsgMaxSize = kLargestDatagram;
    session.sndMsgMaxSize = kLargestDatagram;
    sessp = snmp_sess_add_ex(&session, transport, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!sessp) {
        // snmp_sess_add_ex frees the transport on every failure
        transport = nullptr;
        return false;
    }
    return true;
}

const SnmpV3Receiver::Private::User *SnmpV3Receiver::Private::firstUser(const QByteArray &name) const
{
    for (const User &user : users)
        if (user.name == name)
            return &user;
    return nullptr;
}

QList<const SnmpV3Receiver::Private::User *> SnmpV3Receiver::Private::trapCandidates(const QByteArray &name,
                                                                                    const QByteArray &engine) const
{
    QList<const User *> out;
    for (const User &user : users)
        if (user.name == name && (user.config.engineId.isEmpty() || user.config.engineId == engine))
            out << &user;
    return out;
}

bool SnmpV3Receiver::Private::isOwn(const usmUser *user) const
{
    return user && user->userPublicString && user->userPublicStringLen == sizeof(kOwnMark) - 1
        && memcmp(user->userPublicString, kOwnMark, sizeof(kOwnMark) - 1) == 0;
}

bool SnmpV3Receiver::Private::addUser(const QByteArray &engine, const User &from)
{
    if (engine.isEmpty()
        || usm_get_user(reinterpret_cast<const u_char *>(engine.constData()), static_cast<size_t>(engine.size()),
                        from.name.constData()))
        return false;
    usmUser *user = usm_create_user();
    if (!user)
        return false;
    const auto fail = [user] {
        usm_free_user(user);
        return false;
    };
    user->engineID = static_cast<u_char *>(malloc(static_cast<size_t>(engine.size())));
    user->name = strdup(from.name.constData());
    user->secName = strdup(from.name.constData());
    user->userPublicString = reinterpret_cast<u_char *>(strdup(kOwnMark));
    if (!user->engineID || !user->name || !user->secName || !user->userPublicString)
        return fail();
    memcpy(user->engineID, engine.constData(), static_cast<size_t>(engine.size()));
    user->engineIDLen = static_cast<size_t>(engine.size());
    user->userPublicStringLen = sizeof(kOwnMark) - 1;
    user->userStorageType = ST_VOLATILE;
    user->userStatus = RS_ACTIVE;
    const SnmpTrapUser &config = from.config;
    if (config.usm.level != SnmpSecurityLevel::NoAuthNoPriv) {
        const SnmpInternal::ProtocolOid auth = SnmpInternal::authProtocolOid(config.usm.authProtocol);
        free(user->authProtocol);
        user->authProtocol = snmp_duplicate_objid(auth.ids, auth.length);
        user->authProtocolLen = auth.length;
        user->authKey = static_cast<u_char *>(calloc(1, USM_AUTH_KU_LEN));
        user->authKeyLen = USM_AUTH_KU_LEN;
        if (!user->authProtocol || !user->authKey
            || generate_kul(auth.ids, auth.length, user->engineID, user->engineIDLen,
                            reinterpret_cast<const u_char *>(from.authKu.constData()),
                            static_cast<size_t>(from.authKu.size()), user->authKey,
                            &user->authKeyLen) != SNMPERR_SUCCESS)
            return fail();
        if (config.usm.level == SnmpSecurityLevel::AuthPriv) {
            const SnmpInternal::ProtocolOid priv = SnmpInternal::privProtocolOid(config.usm.privProtocol);
            free(user->privProtocol);
            user->privProtocol = snmp_duplicate_objid(priv.ids, priv.length);
            user->privProtocolLen = priv.length;
            user->privKey = static_cast<u_char *>(calloc(1, USM_PRIV_KU_LEN));
            user->privKeyLen = USM_PRIV_KU_LEN;
            if (!user->privProtocol || !user->privKey
                || generate_kul(auth.ids, auth.length, user->engineID, user->engineIDLen,
                                reinterpret_cast<const u_char *>(from.privKu.constData()),
                                static_cast<size_t>(from.privKu.size()), user->privKey,
                                &user->privKeyLen) != SNMPERR_SUCCESS
                // AES-192/256 need more key than SHA-1 or MD5 give
                || usm_extend_user_kul(user, USM_PRIV_KU_LEN) != SNMPERR_SUCCESS)
                return fail();
        }
    }
    usm_add_user(user);
    added.append({engine, from.name});
    return true;
}

void SnmpV3Receiver::Private::removeOwn(const QByteArray &engine, const QByteArray &name)
{
    usmUser *user = usm_get_user(reinterpret_cast<const u_char *>(engine.constData()),
                                 static_cast<size_t>(engine.size()), name.constData());
    if (isOwn(user)) {
        usm_remove_user(user);
        usm_free_user(user);
    }
    added.removeAll(QPair<QByteArray, QByteArray>(engine, name));
}

void SnmpV3Receiver::Private::removeAllOwn()
{
    const auto all = added;
    for (const auto &entry : all)
        removeOwn(entry.first, entry.second);
    added.clear();
    learned.clear();
}

bool SnmpV3Receiver::Private::digestMatches(const User &user, const QByteArray &engine, const QByteArray &datagram,
                                            const Header &h) const
{
    const SnmpInternal::ProtocolOid auth = SnmpInternal::authProtocolOid(user.config.usm.authProtocol);
    const int type = sc_get_authtype(auth.ids, auth.length);
    if (type < 0 || h.authLength != sc_get_auth_maclen(type))
        return false;
    u_char key[USM_AUTH_KU_LEN];
    size_t keyLength = sizeof(key);
    if (generate_kul(auth.ids, auth.length, reinterpret_cast<const u_char *>(engine.constData()),
                     static_cast<size_t>(engine.size()), reinterpret_cast<const u_char *>(user.authKu.constData()),
                     static_cast<size_t>(user.authKu.size()), key, &keyLength) != SNMPERR_SUCCESS)
        return false;
    // the digest covers the whole message with the digest's own bytes zero
    QByteArray message = datagram;
    memset(message.data() + h.authOffset, 0, static_cast<size_t>(h.authLength));
    const bool match = sc_check_keyed_hash(auth.ids, auth.length, key, static_cast<u_int>(keyLength),
                                           reinterpret_cast<const u_char *>(message.constData()),
                                           static_cast<u_int>(message.size()),
                                           reinterpret_cast<const u_char *>(datagram.constData() + h.authOffset),
                                           static_cast<u_int>(h.authLength))
        == SNMPERR_SUCCESS;
    memset(key, 0, sizeof(key));
    return match;
}

void SnmpV3Receiver::Private::learn(const QByteArray &engine, const User &user)
{
    if (!learned.contains(engine) && learned.size() >= kMaxLearnedEngines) {
        auto oldest = learned.begin();
        for (auto it = learned.begin(); it != learned.end(); ++it)
            if (it->lastHeard < oldest->lastHeard)
                oldest = it;
        for (const QByteArray &name : std::as_const(oldest->names))
            removeOwn(oldest.key(), name);
        learned.erase(oldest);
    }
    if (addUser(engine, user)) {
        Learned &entry = learned[engine];
        entry.names << user.name;
    }
    heard(engine);
}

void SnmpV3Receiver::Private::heard(const QByteArray &engine)
{
    auto it = learned.find(engine);
    if (it != learned.end())
        it->lastHeard = ++heardCounter;
}

bool SnmpV3Receiver::Private::seenBefore(const QByteArray &hash, Clock::time_point now)
{
    while (!seenOrder.empty() && now - seenOrder.front().first >= kTimeWindow) {
        seen.remove(seenOrder.front().second);
        seenOrder.pop_front();
    }
    return seen.contains(hash);
}

void SnmpV3Receiver::Private::remember(const QByteArray &hash, Clock::time_point now)
{
    while (seenOrder.size() >= kMaxRemembered) {
        seen.remove(seenOrder.front().second);
        seenOrder.pop_front();
    }
    seen.insert(hash);
    seenOrder.emplace_back(now, hash);
}

bool SnmpV3Receiver::Private::staleForEngine(const Header &h, Clock::time_point now)
{
    auto it = clocks.find(h.engineId);
    if (it != clocks.end()) {
        const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - it->at).count();
        const qint64 expected = qint64(it->time) + elapsed;
        if (h.boots < it->boots || (h.boots == it->boots && qint64(h.time) + kTimeWindow.count() < expected))
            return true;
        if (h.boots == it->boots && h.time <= it->time)
            return false; // in the window, but no news about the engine's clock
    } else if (clocks.size() >= kMaxEngineClocks) {
        auto oldest = clocks.begin();
        for (auto c = clocks.begin(); c != clocks.end(); ++c)
            if (c->at < oldest->at)
                oldest = c;
        clocks.erase(oldest);
    }
    clocks.insert(h.engineId, {h.boots, h.time, now});
    return false;
}

bool SnmpV3Receiver::Private::answer(netsnmp_pdu *inform)
{
    netsnmp_pdu *response = snmp_clone_pdu(inform);
    if (!response)
        return false;
    response->command = SNMP_MSG_RESPONSE;
    response->errstat = 0;
    response->errindex = 0;
    response->flags &= ~UCD_MSG_FLAG_EXPECT_RESPONSE;
    if (snmp_sess_send(sessp, response) == 0) {
        snmp_free_pdu(response);
        return false;
    }
    return true;
}

SnmpV3Receiver::SnmpV3Receiver(SnmpTrapPort *port) : d(std::make_unique<Private>(port)) {}

SnmpV3Receiver::~SnmpV3Receiver() = default;

bool SnmpV3Receiver::start()
{
    if (d->sessp)
        return true;
    d->boots = SnmpLocalEngine::countStart(&d->engineId);
    if (set_exact_engineID(reinterpret_cast<const u_char *>(d->engineId.constData()),
                           static_cast<size_t>(d->engineId.size()))
        != SNMPERR_SUCCESS)
        return false;
    // A restart of the library within the process leaves net-snmp a boot to
    // count on its next look at the clock: taken now, before ours is set.
    snmpv3_local_snmpEngineTime();
    // the only setter net-snmp exports; it counts one boot on what it reads.
    // The engine's time goes on as it was, which keeps the time records of
    // the request sessions' agents right.
    QByteArray before = QByteArray::number(d->boots - 1);
    engineBoots_conf("engineBoots", before.data());
    // the local engine must be in net-snmp's list of known engines, or every
    // inform is refused as for an unknown engine
    set_enginetime(reinterpret_cast<const u_char *>(d->engineId.constData()),
                   static_cast<u_int>(d->engineId.size()), d->boots, snmpv3_local_snmpEngineTime(), TRUE);
    return d->open();
}

void SnmpV3Receiver::setUsers(const QList<SnmpTrapUser> &users)
{
    if (users == d->given && !d->given.isEmpty())
        return;
    d->given = users;
    d->removeAllOwn();
    d->clocks.clear();
    for (Private::User &user : d->users) {
        wipe(user.authKu);
        wipe(user.privKu);
    }
    d->users.clear();

    QHash<QString, QByteArray> keys;
    const auto keyOf = [&](SnmpAuthProtocol protocol, const QString &passphrase) {
        const QString id = QString::number(int(protocol)) + u'\n' + passphrase;
        auto known = d->keys.find(id);
        QByteArray ku = known != d->keys.end() ? *known : passwordToKey(protocol, passphrase);
        if (!ku.isEmpty())
            keys.insert(id, ku);
        return ku;
    };
    for (const SnmpTrapUser &config : users) {
        Private::User user;
        user.config = config;
        user.name = config.usm.userName.toUtf8();
        if (user.name.isEmpty() || user.name.contains('\0') || user.name.size() > 32)
            continue;
        if (!config.engineId.isEmpty() && !SnmpLocalEngine::isValidEngineId(config.engineId))
            continue;
        if (config.usm.level != SnmpSecurityLevel::NoAuthNoPriv) {
            if (!snmpAuthProtocolSupported(config.usm.authProtocol))
                continue;
            user.authKu = keyOf(config.usm.authProtocol, config.usm.authPassphrase);
            if (user.authKu.isEmpty())
                continue;
        }
        if (config.usm.level == SnmpSecurityLevel::AuthPriv) {
            if (!snmpPrivProtocolSupported(config.usm.privProtocol))
                continue;
            user.privKu = keyOf(config.usm.authProtocol, config.usm.privPassphrase);
            if (user.privKu.isEmpty())
                continue;
        }
        // one user per name and engine: the first one given
        bool taken = false;
        for (const Private::User &other : std::as_const(d->users))
            taken = taken || (other.config == config);
        if (!taken)
            d->users << user;
    }
    for (auto it = d->keys.begin(); it != d->keys.end(); ++it)
        if (!keys.contains(it.key()))
            wipe(*it);
    d->keys = keys;

    for (const Private::User &user : std::as_const(d->users)) {
        // informs: keys for the own engine, of the first user of each name
        if (d->firstUser(user.name) == &user)
            d->addUser(d->engineId, user);
        if (!user.config.engineId.isEmpty() && user.config.engineId != d->engineId)
            d->addUser(user.config.engineId, user);
    }
}

SnmpV3Receiver::Result SnmpV3Receiver::process(const SnmpTrapPort::Datagram &datagram, tagSNMPRECEIVED &received)
{
    Result result;
    const auto dropped = [&result](SnmpDropReason reason) {
        result.outcome = Outcome::Dropped;
        result.reason = reason;
        return result;
    };
    if (!d->sessp || datagram.data.size() > qsizetype(kLargestDatagram))
        return dropped(SnmpDropReason::UnsupportedVersion);
    Header h;
    switch (parseHeader(datagram.data, &h)) {
    case HeaderParse::Broken:
        return dropped(SnmpDropReason::BadBer);
    case HeaderParse::OtherSecurityModel:
        return dropped(SnmpDropReason::UnsupportedVersion);
    case HeaderParse::Ok:
        break;
    }
    const bool local = h.engineId == d->engineId;
    const bool discovery = h.reportable() && !h.authenticated() && h.engineId.isEmpty();
    // RFC 3414 4: the second step of discovery, an authenticated message
    // without the engine's time, answered by a Report that carries it
    const bool timeSync = h.reportable() && h.authenticated() && local && h.boots == 0 && h.time == 0;
    // Whether net-snmp may see the datagram: only where it keeps no state
    // for a datagram that turns out not to authenticate.
    std::optional<SnmpDropReason> refused;
    if (discovery) {
        // net-snmp answers it with a Report naming the engine
    } else if (h.reportable()) {
        if (!local) {
            // net-snmp reports an unknown engine, unless it has heard of the
            // engine elsewhere (a trap sender, a request session's agent)
            u_int b = 0, t = 0;
            const bool known = !h.engineId.isEmpty()
                && get_enginetime(reinterpret_cast<const u_char *>(h.engineId.constData()),
                                  static_cast<u_int>(h.engineId.size()), &b, &t, FALSE)
                    == SNMPERR_SUCCESS;
            if (known)
                return dropped(SnmpDropReason::UnknownUser);
            refused = SnmpDropReason::UnknownUser;
        } else if (const Private::User *user = d->firstUser(h.userName);
                   user && levelRank(h.level()) < levelRank(user->config.usm.level)) {
            return dropped(SnmpDropReason::AuthenticationFailure);
        }
    } else {
        const QList<const Private::User *> candidates = d->trapCandidates(h.userName, h.engineId);
        if (h.engineId.isEmpty() || candidates.isEmpty())
            return dropped(SnmpDropReason::UnknownUser);
        int required = levelRank(SnmpSecurityLevel::AuthPriv);
        for (const Private::User *user : candidates)
            required = qMin(required, levelRank(user->config.usm.level));
        if (levelRank(h.level()) < required)
            return dropped(SnmpDropReason::AuthenticationFailure);
        const auto *engine = reinterpret_cast<const u_char *>(h.engineId.constData());
        if (!usm_get_user(engine, static_cast<size_t>(h.engineId.size()), h.userName.constData())) {
            if (!h.authenticated())
                return dropped(SnmpDropReason::UnknownUser); // nothing proves who sent it
            const Private::User *proven = nullptr;
            for (const Private::User *user : candidates) {
                if (levelRank(user->config.usm.level) >= levelRank(h.level())
                    && d->digestMatches(*user, h.engineId, datagram.data, h)) {
                    proven = user;
                    break;
                }
            }
            if (!proven)
                return dropped(SnmpDropReason::AuthenticationFailure);
            d->learn(h.engineId, *proven);
        }
    }

    auto *address = static_cast<ReplyAddress *>(calloc(1, sizeof(ReplyAddress)));
    if (!address)
        return dropped(SnmpDropReason::BadBer);
    address->to = datagram.source;
    address->length = datagram.sourceLength;
    address->socketIndex = datagram.socketIndex;
    // as net-snmp makes the PDU of a datagram it read: it owns the address
    auto *pdu = static_cast<netsnmp_pdu *>(calloc(1, sizeof(netsnmp_pdu)));
    if (!pdu) {
        free(address);
        return dropped(SnmpDropReason::BadBer);
    }
    pdu->transport_data = address;
    pdu->transport_data_length = sizeof(ReplyAddress);
    pdu->tDomain = d->transport->domain;
    pdu->tDomainLen = static_cast<size_t>(d->transport->domain_length);
    // net-snmp blanks the digest in the bytes it parses
    QByteArray bytes(datagram.data.constData(), datagram.data.size());
    const int rc = snmp_parse(static_cast<struct session_list *>(d->sessp), snmp_sess_session(d->sessp), pdu,
                              reinterpret_cast<u_char *>(bytes.data()), static_cast<size_t>(bytes.size()));
    const auto freePdu = qScopeGuard([pdu] { snmp_free_pdu(pdu); });
    if (rc != SNMPERR_SUCCESS || refused) {
        if ((discovery && rc == SNMPERR_USM_UNKNOWNENGINEID) || (timeSync && rc == SNMPERR_USM_NOTINTIMEWINDOW)
            || rc == SNMPERR_JUST_A_CONTEXT_PROBE) {
            result.outcome = Outcome::Ignored;
            return result;
        }
        if (refused)
            return dropped(*refused);
        switch (rc) {
        case SNMPERR_USM_UNKNOWNENGINEID:
        case SNMPERR_USM_UNKNOWNSECURITYNAME:
            return dropped(SnmpDropReason::UnknownUser);
        case SNMPERR_USM_AUTHENTICATIONFAILURE:
        case SNMPERR_USM_UNSUPPORTEDSECURITYLEVEL:
            return dropped(SnmpDropReason::AuthenticationFailure);
        case SNMPERR_USM_DECRYPTIONERROR:
            return dropped(SnmpDropReason::DecryptionFailure);
        case SNMPERR_USM_NOTINTIMEWINDOW:
            return dropped(SnmpDropReason::NotInTimeWindow);
        case SNMPERR_ASN_PARSE_ERR:
            // the digest held, so what does not read after decryption was
            // decrypted with the wrong key (AES and DES cannot tell)
            return dropped(h.encrypted() ? SnmpDropReason::DecryptionFailure : SnmpDropReason::BadBer);
        default:
            return dropped(SnmpDropReason::BadBer);
        }
    }
    if (!local)
        d->heard(h.engineId);

    const bool inform = pdu->command == SNMP_MSG_INFORM;
    if (!inform && pdu->command != SNMP_MSG_TRAP2) {
        result.outcome = Outcome::Ignored;
        return result;
    }
    const auto now = Clock::now();
    const QByteArray hash = QCryptographicHash::hash(datagram.data, QCryptographicHash::Sha256);
    if (h.authenticated()) {
        if (d->seenBefore(hash, now)) {
            if (!inform)
                return dropped(SnmpDropReason::NotInTimeWindow);
        } else if (!inform && !local && d->staleForEngine(h, now)) {
            return dropped(SnmpDropReason::NotInTimeWindow);
        }
    }

    received = tagSNMPRECEIVED();
    received.strAgent = SnmpInternal::addressText(reinterpret_cast<const sockaddr *>(&datagram.source),
                                                  datagram.sourceLength);
    received.strDestination = datagram.destination;
    received.strSecurityName = QString::fromUtf8(pdu->securityName ? pdu->securityName : "",
                                                 static_cast<qsizetype>(pdu->securityName ? pdu->securityNameLen : 0));
    received.pdu = SnmpInternal::pduFrom(pdu);
    if (inform) {
        received.pdu.type = SNMP_PDU_TRAP;
        received.pdu.inform = true;
        result.answered = d->answer(pdu);
        result.answerFailed = !result.answered;
        // a retransmission comes with a new message id: what stays is the
        // sender, its user, the request id and the variables
        QByteArray content = h.userName + '\n';
        for (const SnmpVarBind &vb : received.pdu.varbinds) {
            content += vb.oid.toString().toLatin1() + ' ' + QByteArray::number(vb.value.syntax) + ' '
                + QByteArray::number(vb.value.number) + ' ' + QByteArray::number(vb.value.counter64) + ' '
                + vb.value.octets.toHex() + ' ' + vb.value.oid.toString().toLatin1() + '\n';
        }
        const quint64 key = SnmpInformMemory::contentOf(content);
        const auto informNow = SnmpInformMemory::Clock::now();
        const bool again = (h.authenticated() && d->seen.contains(hash))
            || d->informs.contains(datagram.source, datagram.sourceLength, received.pdu.requestId, key, informNow);
        if (again) {
            result.outcome = Outcome::Duplicate;
            return result;
        }
        d->informs.remember(datagram.source, datagram.sourceLength, received.pdu.requestId, key, informNow);
    }
    if (h.authenticated())
        d->remember(hash, now);
    result.outcome = Outcome::Delivered;
    return result;
}

QByteArray SnmpV3Receiver::engineId() const
{
    return d->engineId;
}

quint32 SnmpV3Receiver::engineBoots() const
{
    return d->boots;
}

int SnmpV3Receiver::usableUserCount() const
{
    return int(d->users.size());
}

int SnmpV3Receiver::learnedEngineCount() const
{
    return int(d->learned.size());
}
