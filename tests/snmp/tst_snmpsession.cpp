// CSnmpSession against real peers, all on loopback: requests to a private
// snmpd, traps from net-snmp's snmptrap, and the trap port under hostile
// datagrams, retransmitted informs and bind failures. An inform answered while
// the GUI thread is blocked is proven end to end in tst_trapview.

#include "i18n.h"
#include "snmpsession.h"
#include "snmpstack.h"
#include "snmpdpeer.h"
#include "testsupport.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QTest>
#include <QScopeGuard>
#include <QTranslator>
#include <QNetworkDatagram>
#include <QUdpSocket>


using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::vector<QByteArray>)
Q_DECLARE_METATYPE(std::vector<quint32>)

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

const SnmpOid kSysName0{1, 3, 6, 1, 2, 1, 1, 5, 0};
const SnmpOid kSysLocation0{1, 3, 6, 1, 2, 1, 1, 6, 0};
const SnmpOid kEnterprise{1, 3, 6, 1, 4, 1, 8072, 9999, 1}; // NET-SNMP-MIB::netSnmpPlaypen.1
const SnmpOid kSeq0{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 1, 0};
constexpr int kWaitMs = 15000;
constexpr quint32 kSeed = 20261206;
constexpr int kRandomDatagrams = 3000;
constexpr int kLargestIpv4Datagram = 65507;

using TestSupport::row;

// Records every notification of a session in arrival order.
class NotifyLog : public QObject
{
public:
    explicit NotifyLog(CSnmpSession *session) : QObject(session)
    {
        connect(session, &CSnmpSession::snmpNotify, this,
                [this](SnmpNotifyCode code, const SnmpNotifyPayload &p) { entries.push_back({code, p}); });
    }
    struct Entry
    {
        SnmpNotifyCode code;
        SnmpNotifyPayload payload;
    };
    std::vector<Entry> entries;
    std::vector<Entry> of(SnmpNotifyCode code) const
    {
        std::vector<Entry> out;
        std::copy_if(entries.begin(), entries.end(), std::back_inserter(out), [&](auto &e) { return e.code == code; });
        return out;
    }
    size_t count(SnmpNotifyCode code) const { return of(code).size(); }
};

const SnmpValue *findValue(const SnmpPdu &pdu, const SnmpOid &oid)
{
    for (const SnmpVarBind &vb : pdu.varbinds)
        if (vb.oid == oid)
            return &vb.value;
    return nullptr;
}

SnmpVarBind upTime(quint32 ticks)
{
    return {SnmpOids::sysUpTime0(), SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, ticks)};
}

SnmpVarBind trapOid(const SnmpOid &oid)
{
    return {SnmpOids::snmpTrapOid0(), SnmpValue::objectId(oid)};
}

SnmpOid playpen(std::initializer_list<quint32> tail)
{
    SnmpOid oid = kEnterprise;
    oid.ids.insert(oid.ids.end(), tail);
    return oid;
}

QByteArray validTrap(quint32 sequence, quint32 type = SNMP_PDU_TRAP)
{
    SnmpMessage m;
    m.version = type == SNMP_PDU_V1TRAP ? SNMP_VERSION_V1 : SNMP_VERSION_V2C;
    m.community = "public";
    m.pdu.type = type;
    m.pdu.requestId = static_cast<qint32>(sequence);
    if (type == SNMP_PDU_V1TRAP) {
        m.pdu.enterprise = kEnterprise;
        m.pdu.agentAddress = "\x7f\x00\x00\x01"_ba;
        m.pdu.genericTrap = 6;
    } else {
        m.pdu.varbinds = {upTime(100), trapOid(playpen({0, 1}))};
    }
    m.pdu.varbinds.push_back({kSeq0, SnmpValue::unsignedValue(SNMP_SYNTAX_CNTR32, sequence)});
    m.pdu.varbinds.push_back({playpen({2, 1}), SnmpValue::bytes(SNMP_SYNTAX_OCTETS, QByteArray(40, 'p'))});
    return SnmpEncodeMessage(m);
}

} // namespace

class TestSnmpSession : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_ipv6 = QUdpSocket().bind(QHostAddress::LocalHostIPv6, 0);
        m_trapPort = TestSupport::freeUdpPort();
        m_trapSession = new CSnmpSession(this, m_trapPort);
        m_trapSession->setTrapAddresses({u"127.0.0.1"_s, u"::1"_s});
        m_traps = new NotifyLog(m_trapSession);
        QCOMPARE(m_trapSession->Initialise(u"127.0.0.1"_s), 1);
        QVERIFY2(m_trapSession->RegisterTraps() == 1, qPrintable(m_trapSession->trapFailureText()));
        m_haveTools = !TestSupport::findProgram(u"snmptrap"_s).isEmpty();
        m_agentPort = TestSupport::freeUdpPort();
        const QString error = m_snmpd.start(m_dir.path(), m_agentPort, m_ipv6);
        QVERIFY2(error.isEmpty() || error.contains("not installed"_L1), qPrintable(error));
        if (!error.isEmpty())
            qWarning("%s: the request tests skip", qPrintable(error));
    }

    void cleanupTestCase()
    {
        delete m_trapSession;
        m_snmpd.stop();
    }

    // GET NEXT, SET, error answers and Counter64 against snmpd are proven
    // through the walker (tst_snmp_walker), the walk and the SET dialogs, an
    // Opaque float as net-snmp decodes it in tst_snmp_codec. A request that
    // cannot go out is told from the event loop too.
    void requests_data()
    {
        QTest::addColumn<QString>("agent"); // %1: the agent's port, given in the text
        QTest::addColumn<QString>("source"); // empty: refused
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("oid");
        QTest::addColumn<quint32>("code"); // the answer's syntax, or the error
        QTest::addColumn<int>("requestId"); // an OID that cannot go out uses up no id
        const QString lo = u"127.0.0.1"_s, sysName0 = kSysName0.toString(), refused;
        row("with port", "127.0.0.1:%1", lo, lo, sysName0, 0x04u, 1);
        row("ipv6", "::1", "::1", lo, sysName0, 0x04u, 1);
        row("ipv6 with port", "[::1]:%1", "::1", lo, sysName0, 0x04u, 1);
        // A stock Debian host name resolves to 127.0.1.1, which the agent does
        // not answer: the request socket must not be bound to the local address
        // (and the agent's port is the session's own).
        row("local address is not bound", lo, lo, "127.0.1.1", sysName0, 0x04u, 1);
        const quint32 entity = SNMPAPI_ENTITY_INVALID, badOid = SNMPAPI_OID_INVALID;
        row("unknown name", "no-such-host.invalid", refused, lo, sysName0, entity, 1);
        row("empty agent", QString(), refused, lo, sysName0, entity, 1);
        row("port out of range", "127.0.0.1:99999", refused, lo, sysName0, entity, 1);
        row("oid name", lo, refused, lo, "sysDescr.0", badOid, 0);
        row("first arc 3", lo, refused, lo, "3.1.2", badOid, 0);
    }

    void requests()
    {
        QFETCH(QString, agent);
        QFETCH(QString, source);
        QFETCH(QString, local);
        QFETCH(QString, oid);
        QFETCH(quint32, code);
        QFETCH(int, requestId);
        const bool refused = source.isEmpty();
        if (!refused && (!m_snmpd.isRunning() || (source.contains(u':') && !m_ipv6)))
            QSKIP("no snmpd, or no IPv6 loopback on this host");
        const bool explicitPort = agent.contains("%1"_L1);
        CSnmpSession s;
        s.setAgentPort(explicitPort ? quint16(9) : m_agentPort); // the port in the text wins
        NotifyLog log(&s);
        QCOMPARE(s.Initialise(local), 1);
        QCOMPARE(s.Open(explicitPort ? agent.arg(m_agentPort) : agent, u"public"_s), 1);
        QCOMPARE(s.SendRequest(oid, SNMP_PDU_GET), refused ? 0 : 1);
        QCOMPARE(s.requestId(), requestId);
        if (refused)
            QCOMPARE(SnmpGetLastError(&s), code);
        QVERIFY(log.entries.empty()); // notifications come from the event loop, never inside the call
        QTRY_COMPARE_WITH_TIMEOUT(log.entries.size(), size_t(refused ? 1 : 2), kWaitMs);
        QCOMPARE(log.entries[0].code, refused ? SNMPN_SEND_ERROR : SNMPN_GET_SENT);
        QCOMPARE(log.entries[0].payload.requestId, requestId);
        if (refused) {
            QCOMPARE(log.entries[0].payload.error, code);
            return;
        }
        QCOMPARE(log.entries[0].payload.oid.toString(), oid);
        QCOMPARE(log.entries[1].code, SNMPN_RECEIVED);
        const tagSNMPRECEIVED &r = log.entries[1].payload.received;
        QCOMPARE((QStringList{r.strAgent, r.strDestination, r.strCommunity}), (QStringList{source, local, u"public"_s}));
        QCOMPARE(r.pdu.type, quint32(SNMP_PDU_RESPONSE));
        QCOMPARE(r.pdu.requestId, 1);
        QCOMPARE(r.pdu.errorStatus, 0);
        QCOMPARE(r.pdu.varbinds.size(), size_t(1));
        QCOMPARE(r.pdu.varbinds[0].oid.toString(), oid);
        QCOMPARE(r.pdu.varbinds[0].value.syntax, code);
    }

    void lifecycle()
    {
        if (!m_snmpd.isRunning())
            QSKIP("no snmpd");
        auto s = std::make_unique<CSnmpSession>();
        s->setAgentPort(m_agentPort);
        QCOMPARE(s->Initialise(), 1);
        QCOMPARE(s->Open(u"127.0.0.1"_s, u"public"_s), 1);
        NotifyLog log(s.get());
        // a GET of several objects is proven end to end by the monitor suite
        QCOMPARE(s->SendGetList({}), 0); // nothing sent, nothing said
        QCOMPARE(s->SendGetList({kSysName0.toString(), kSysLocation0.toString()}), 1);
        QCOMPARE(s->requestId(), 1);
        // open already: both refused, the session stays as it was
        QCOMPARE(s->Open(u"no-such-host.invalid"_s, u"other"_s), 0);
        QCOMPARE(s->RegisterTraps(), 0);
        QVERIFY(s->trapFailureText().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(log.count(SNMPN_RECEIVED), size_t(1), kWaitMs);
        QCOMPARE(log.entries[0].code, SNMPN_GET_SENT);

        // a request pending at Close is forgotten with it; ids restart at 1
        QCOMPARE(s->SendOidRequest(kSysName0, SNMP_PDU_GET), 1);
        s->Close();
        QVERIFY(!s->isOpen());
        QCOMPARE(s->SendOidRequest(kSysName0, SNMP_PDU_GET), 0);
        QCOMPARE(s->Open(u"127.0.0.1"_s, u"public"_s), 1);
        QCOMPARE(s->SendOidRequest(kSysName0, SNMP_PDU_GET), 1);
        QCOMPARE(s->requestId(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(log.count(SNMPN_RECEIVED), size_t(2), kWaitMs);
        QCOMPARE(log.count(SNMPN_SEND_ERROR), size_t(1));
        QCOMPARE(log.of(SNMPN_RECEIVED)[1].payload.received.pdu.requestId, 1);
    }

    // A trap from net-snmp's snmptrap with its values as they were sent: a
    // text in UTF-8, bytes that are no text. SNMPv1 traps: converted in
    // tst_snmp_codec, listed from snmptrap in tst_trapview; a trap over IPv6:
    // floodOnOneSocketLeavesTheOtherRead.
    void trapFromSnmptrap()
    {
        if (!m_haveTools)
            QSKIP("snmptrap is not installed (Debian package snmp)");
        const QString text = u"温度 high"_s;
        const size_t before = m_traps->count(SNMPN_RECEIVED);
        const auto r = TestSupport::runSnmpTool(u"snmptrap"_s, {u"-v2c"_s, u"-c"_s, u"public"_s, u"127.0.0.1:%1"_s.arg(m_trapPort), u"777"_s,
                                                                playpen({0, 2}).toString(), playpen({2, 1}).toString(), u"s"_s, text,
                                                                playpen({2, 2}).toString(), u"x"_s, u"00FF10"_s},
                                                m_dir.path());
        QVERIFY2(r.started && r.exitCode == 0, qPrintable(r.output));
        QTRY_COMPARE_WITH_TIMEOUT(m_traps->count(SNMPN_RECEIVED), before + 1, kWaitMs);
        const tagSNMPRECEIVED t = m_traps->entries.back().payload.received;
        QCOMPARE((QStringList{t.strAgent, t.strDestination, t.strCommunity}), (QStringList{u"127.0.0.1"_s, u"127.0.0.1"_s, u"public"_s}));
        QCOMPARE(t.pdu.type, quint32(SNMP_PDU_TRAP));
        QVERIFY(!t.pdu.inform);
        QCOMPARE(t.pdu.varbinds, (SnmpVarList{upTime(777), trapOid(playpen({0, 2})),
                                              {playpen({2, 1}), SnmpValue::bytes(SNMP_SYNTAX_OCTETS, text.toUtf8())},
                                              {playpen({2, 2}), SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "\x00\xff\x10"_ba)}}));
    }

    // The trap session shares net-snmp's list of SNMPv3 users with the
    // request sessions. The agent's own engine sends traps as the users the
    // requests use, once before and once after a request session opened, and
    // the trap users change meanwhile: no request loses its user.
    void v3RequestsBesideV3TrapUsers()
    {
        if (!m_snmpd.isRunning() || !m_haveTools)
            QSKIP("no snmpd or no snmptrap");
        using L = SnmpSecurityLevel;
        const SnmpTrapUser priv{{TestSupport::kV3PrivUser, L::AuthPriv, SnmpAuthProtocol::SHA256, TestSupport::kV3AuthPass,
                                 SnmpPrivProtocol::AES128, TestSupport::kV3PrivPass, {}}, {}};
        const SnmpTrapUser auth{{TestSupport::kV3AuthUser, L::AuthNoPriv, SnmpAuthProtocol::SHA1, TestSupport::kV3AuthPass,
                                 SnmpPrivProtocol::AES128, {}, {}}, {}};
        m_trapSession->setTrapUsers({priv, auth});
        // the agent's snmpEngineID, snmpEngineBoots and snmpEngineTime, which
        // its traps carry (a second on: snmptrap takes a time of 0 for none);
        // empty when the request failed
        const auto open = [this](const SnmpTrapUser &u) {
            auto s = std::make_unique<CSnmpSession>();
            s->Open(SnmpTarget{u"127.0.0.1"_s, m_agentPort, SNMP_VERSION_V3, {}, u.usm});
            return s;
        };
        const auto request = [](CSnmpSession &s) {
            NotifyLog log(&s);
            s.SendGetList({u"1.3.6.1.6.3.10.2.1.1.0"_s, u"1.3.6.1.6.3.10.2.1.2.0"_s, u"1.3.6.1.6.3.10.2.1.3.0"_s});
            (void)QTest::qWaitFor([&] { return log.count(SNMPN_RECEIVED) > 0; }, kWaitMs); // a failure is told by what came
            const auto got = log.of(SNMPN_RECEIVED);
            const bool ok = !got.empty() && got[0].payload.received.pdu.type == SNMP_PDU_RESPONSE
                && got[0].payload.received.pdu.varbinds.size() == 3;
            return ok ? got[0].payload.received.pdu.varbinds : SnmpVarList();
        };
        const auto trap = [this](const SnmpTrapUser &u, const SnmpVarList &agent) {
            const size_t before = m_traps->count(SNMPN_RECEIVED);
            QStringList a{u"-v3"_s, u"-e"_s, QString::fromLatin1(agent[0].value.octets.toHex()), u"-Z"_s,
                          u"%1,%2"_s.arg(agent[1].value.number).arg(agent[2].value.number + 1), u"-u"_s, u.usm.userName, u"-a"_s,
                          snmpAuthProtocolName(u.usm.authProtocol).remove(u"-1"_s), u"-A"_s, u.usm.authPassphrase};
            a << u"-l"_s << (u.usm.privPassphrase.isEmpty() ? u"authNoPriv"_s : u"authPriv"_s);
            if (!u.usm.privPassphrase.isEmpty())
                a << u"-x"_s << u"AES"_s << u"-X"_s << u.usm.privPassphrase;
            TestSupport::runSnmpTool(u"snmptrap"_s, a << u"127.0.0.1:%1"_s.arg(m_trapPort) << QString() << kSeq0.toString(), m_dir.path());
            return QTest::qWaitFor([&] { return m_traps->count(SNMPN_RECEIVED) > before; }, kWaitMs);
        };
        const auto first = open(priv); // the request session's user first
        const SnmpVarList agent = request(*first);
        QVERIFY(!agent.empty());
        QVERIFY(trap(priv, agent));
        QVERIFY(trap(auth, agent)); // the trap session's own user first
        const auto second = open(auth);
        QVERIFY(!request(*second).empty());
        m_trapSession->setTrapUsers({auth});
        m_trapSession->setTrapUsers({priv, auth}); // the trap session drops and makes its own users anew
        QVERIFY(!request(*first).empty());
        QVERIFY(!request(*second).empty());
        QVERIFY(trap(auth, request(*second)));
        m_trapSession->setTrapUsers({});
    }

    // Every inform is answered once per datagram, by the reader thread or,
    // for what only net-snmp reads (a byte after the message), by the GUI
    // thread from the decoded message; a retransmission (same sender, id and
    // bytes) is listed once; an inform with an error status set is listed.
    void informsAnsweredAndListedOnce_data()
    {
        QTest::addColumn<std::vector<QByteArray>>("datagrams"); // from one source port
        QTest::addColumn<std::vector<quint32>>("listed");       // kSeq0 of what is listed
        const QByteArray inform = validTrap(5001, SNMP_PDU_INFORM);
        const QByteArray odd = validTrap(6001, SNMP_PDU_INFORM) + "x";
        SnmpMessage withError = *SnmpDecodeMessage(validTrap(6002, SNMP_PDU_INFORM));
        withError.pdu.errorStatus = 5;
        withError.pdu.errorIndex = 1;
        QTest::newRow("retransmitted") << std::vector<QByteArray>{inform, inform, validTrap(5002, SNMP_PDU_INFORM)} << std::vector<quint32>{5001, 5002};
        QTest::newRow("only net-snmp reads it, and an error status")
            << std::vector<QByteArray>{odd, odd, SnmpEncodeMessage(withError)} << std::vector<quint32>{6001, 6002};
    }
    void informsAnsweredAndListedOnce()
    {
        QFETCH(std::vector<QByteArray>, datagrams);
        QFETCH(std::vector<quint32>, listed);
        const SnmpTrapStatistics before = m_trapSession->trapStatistics();
        const size_t receivedBefore = m_traps->entries.size();
        QUdpSocket peer;
        for (const QByteArray &d : datagrams) {
            QCOMPARE(peer.writeDatagram(d, QHostAddress::LocalHost, m_trapPort), d.size());
            // the answer, the event loop running for those the GUI thread gives
            QVERIFY(QTest::qWaitFor([&] { return peer.hasPendingDatagrams(); }, kWaitMs));
            const auto response = SnmpDecodeMessage(peer.receiveDatagram().data());
            QVERIFY(response);
            QCOMPARE(response->pdu.type, quint32(SNMP_PDU_RESPONSE));
            QCOMPARE(response->pdu.requestId, SnmpDecodeMessage(d)->pdu.requestId);
            QCOMPARE(response->pdu.varbinds, SnmpDecodeMessage(d)->pdu.varbinds);
            QCOMPARE(response->pdu.errorStatus, 0);
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_traps->entries.size(), receivedBefore + listed.size(), kWaitMs);
        QTRY_VERIFY(allHandled());
        QTRY_COMPARE(m_trapSession->trapStatistics().informsAcknowledged - before.informsAcknowledged, quint64(datagrams.size()));
        const SnmpTrapStatistics after = m_trapSession->trapStatistics();
        QCOMPARE(after.informDuplicates - before.informDuplicates, quint64(datagrams.size() - listed.size()));
        QCOMPARE(after.acknowledgeFailures, before.acknowledgeFailures);
        for (size_t i = 0; i < listed.size(); ++i) {
            const SnmpPdu &pdu = m_traps->entries[receivedBefore + i].payload.received.pdu;
            QVERIFY(pdu.inform);
            QCOMPARE(findValue(pdu, kSeq0)->number, listed[i]);
        }
    }

    // Junk flooding the IPv4 socket leaves the IPv6 one read, and Stop is
    // seen at once rather than after the flood.
    void floodOnOneSocketLeavesTheOtherRead()
    {
        if (!m_ipv6)
            QSKIP("no IPv6 loopback on this host");
        const size_t receivedBefore = m_traps->entries.size();
        // three senders on two cores: the socket stays full while the reader waits for a core
        std::atomic<bool> stop{false};
        std::vector<std::thread> flood;
        for (int i = 0; i < 3; ++i)
            flood.emplace_back([&stop, port = m_trapPort] {
                QUdpSocket junk;
                while (!stop)
                    junk.writeDatagram("not an SNMP message at all", QHostAddress::LocalHost, port);
            });
        const auto endFlood = qScopeGuard([&] {
            stop = true;
            for (std::thread &t : flood)
                t.join();
        });
        QTest::qWait(200);
        QUdpSocket v6;
        QVERIFY(v6.writeDatagram(validTrap(7001), QHostAddress::LocalHostIPv6, m_trapPort) > 0);
        const auto listed = [&] {
            return std::find_if(m_traps->entries.begin() + qsizetype(receivedBefore), m_traps->entries.end(), [](const auto &e) {
                const SnmpValue *seq = findValue(e.payload.received.pdu, kSeq0);
                return seq && seq->number == 7001u;
            });
        };
        QTRY_VERIFY_WITH_TIMEOUT(listed() != m_traps->entries.end(), 5000);
        QCOMPARE(listed()->payload.received.strAgent, u"::1"_s);
        QCOMPARE(listed()->payload.received.strDestination, u"::1"_s);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(m_trapSession->UnregisterTraps(), 1);
        const qint64 stopMs = clock.elapsed();
        stop = true;
        QVERIFY2(stopMs < 1000, qPrintable(QString::number(stopMs)));
        QVERIFY(m_trapSession->RegisterTraps() == 1);
    }

    void hostileDatagramsAreDroppedAndValidTrapStillArrives()
    {
        QRandomGenerator random(kSeed);
        const std::vector<QByteArray> valid{validTrap(1), validTrap(2, SNMP_PDU_V1TRAP), validTrap(3, SNMP_PDU_INFORM)};
        std::vector<QByteArray> hostile;
        for (int i = 0; i < kRandomDatagrams; ++i) {
            const QByteArray &v = valid[size_t(random.bounded(int(valid.size())))];
            QByteArray d;
            if (i % 4 == 0) { // random bytes
                d.resize(random.bounded(0, 1500));
                for (char &c : d)
                    c = char(random.bounded(256));
            } else if (i % 4 == 1) { // a valid message cut short: neither listed nor answered
                d = v.left(random.bounded(int(v.size())));
            } else if (i % 4 == 2) { // a valid start, random bytes after it, cut short
                // (random bytes inside a whole message could still spell a valid trap)
                d = v;
                const int from = random.bounded(2, int(v.size()));
                for (int j = from; j < d.size(); ++j)
                    d[j] = char(random.bounded(256));
                d.truncate(random.bounded(from, int(v.size())));
            } else { // an inform announcing more than it holds
                d = "\x30\x84\x7f\xff\xff\xff\x02\x01\x01\x04\x06public\xa6"_ba;
                d.append(QByteArray(random.bounded(0, 64), char(random.bounded(256))));
            }
            hostile.push_back(d);
        }
        // the largest datagrams IPv4 carries: random, and shaped like an inform
        for (int i = 0; i < 4; ++i) {
            QByteArray big(kLargestIpv4Datagram, '\0');
            for (char &c : big)
                c = char(random.bounded(256));
            if (i % 2)
                big.replace(0, 22, "\x30\x83\x00\xff\xfc\x02\x01\x01\x04\x06public\xa6\x83\x00\xff\xef"_ba);
            hostile.push_back(big);
        }

        const SnmpTrapStatistics before = m_trapSession->trapStatistics();
        const size_t receivedBefore = m_traps->entries.size();
        QUdpSocket peer;
        peer.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 4 * 1024 * 1024); // room for the burst
        for (const QByteArray &d : hostile)
            QCOMPARE(peer.writeDatagram(d, QHostAddress::LocalHost, m_trapPort), d.size());
        // every datagram read (or counted as dropped by the kernel) and handled
        auto read = [this] {
            const SnmpTrapStatistics s = m_trapSession->trapStatistics();
            return s.datagrams + s.kernelDrops;
        };
        QTRY_COMPARE_WITH_TIMEOUT(read() - before.datagrams - before.kernelDrops, quint64(hostile.size()), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(allHandled(), 30000);
        const SnmpTrapStatistics after = m_trapSession->trapStatistics();
        QCOMPARE(after.delivered, before.delivered);
        QCOMPARE(after.informsAcknowledged + after.acknowledgeFailures,
                 before.informsAcknowledged + before.acknowledgeFailures); // nothing answered
        QVERIFY(after.malformed > before.malformed);
        QCOMPARE(m_traps->entries.size(), receivedBefore);

        // the port still works
        QVERIFY(peer.writeDatagram(validTrap(424242), QHostAddress::LocalHost, m_trapPort) > 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_traps->entries.size(), receivedBefore + 1, kWaitMs);
        QCOMPARE(findValue(m_traps->entries.back().payload.received.pdu, kSeq0)->number, 424242u);
    }

    void bindFailuresSayWhy_data()
    {
        // the port is this suite's trap session's, or 0 for an invalid one
        QTest::addColumn<bool>("japanese");
        QTest::addColumn<quint32>("code");
        QTest::addColumn<QStringList>("says"); // %1 is the port
        const QStringList inUse{u"UDP port %1"_s, SnmpErrorText(SNMPAPI_TL_IN_USE), u"snmptrapd"_s, u"trap_port"_s,
                                u"DATA/Config.xml"_s};
        row("another trap session holds it", false, quint32(SNMPAPI_TL_IN_USE), inUse);
        // the error text inside is the (English) text of the Japanese table
        row("in Japanese", true, quint32(SNMPAPI_TL_IN_USE),
            QStringList{u"トラップを受信できません"_s, u"UDP ポート %1"_s, u"trap_port"_s,
                        u"VIVARuz: Transport layer source endpoint is in use."_s});
        row("port 0", false, quint32(SNMPAPI_TL_INVALID_PARAM), QStringList{u"trap_port"_s});
    }

    void bindFailuresSayWhy()
    {
        QFETCH(bool, japanese);
        QFETCH(quint32, code);
        QFETCH(QStringList, says);
        const quint16 port = code == SNMPAPI_TL_IN_USE ? m_trapPort : 0;
        if (japanese)
            QVERIFY(Orvelle::installTranslations(qApp, QLocale(QLocale::Japanese, QLocale::Japan)));
        CSnmpSession second(nullptr, port);
        second.setTrapAddresses({u"127.0.0.1"_s});
        const int registered = second.RegisterTraps();
        for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>())
            QCoreApplication::removeTranslator(t);
        QCOMPARE(registered, 0);
        QVERIFY(!second.isReceivingTraps());
        QCOMPARE(second.lastError(), code);
        QCOMPARE(SnmpGetLastError(), code);
        const QString text = second.trapFailureText();
        for (const QString &part : says)
            QVERIFY2(text.contains(QString(part).replace("%1"_L1, QString::number(port))), qPrintable(text));
        QVERIFY(m_trapSession->isReceivingTraps()); // the first session was not disturbed
    }

private:
    // Every datagram read is accounted for once the GUI thread has had its turn.
    bool allHandled() const
    {
        const SnmpTrapStatistics s = m_trapSession->trapStatistics();
        return s.malformed + s.ignored + s.delivered + s.queueDrops + s.informDuplicates == s.datagrams;
    }

    QTemporaryDir m_dir;
    TestSupport::Snmpd m_snmpd;
    quint16 m_agentPort = 0;
    CSnmpSession *m_trapSession = nullptr;
    NotifyLog *m_traps = nullptr;
    quint16 m_trapPort = 0;
    bool m_haveTools = false;
    bool m_ipv6 = false;
};

QTEST_GUILESS_MAIN(TestSnmpSession)
#include "tst_snmpsession.moc"
