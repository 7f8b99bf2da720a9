// CSnmpSession against real peers: requests to a private snmpd, traps and
// informs from net-snmp's snmptrap and snmpinform, all on loopback.

#include "snmprender.h"
#include "snmpsession.h"
#include "snmpstack.h"
#include "snmptestpeers.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace SnmpTest;

Q_DECLARE_METATYPE(SnmpOid)

class TestSnmpSession : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();

    void getAndGetNextCarryIdsAndCodesInOrder();
    void requestsAreNotBoundToTheLocalAddress();
    void agentTextForms_data();
    void agentTextForms();
    void v1NoSuchNameErrorStatus();
    void setThroughWriteCommunityReadBack();
    void notificationsAreQueued();
    void unresolvableHostIsSendError_data();
    void unresolvableHostIsSendError();
    void invalidOidIsRefused_data();
    void invalidOidIsRefused();
    void idsRestartAfterReopenAndCloseIsIdempotent();
    void openWhileOpenFails();
    void getListInOrderAndEmptyListSendsNothing();
    void opaqueFloatFromAgentRendersAsOpaque();
    void counter64OverV2c();
    void unansweredRequestStaysSilent();

    void v1TrapsInSnmpv2Form_data();
    void v1TrapsInSnmpv2Form();
    void v2cTrapFields();
    void v2cTrapOverIpv6();
    void informIsAcknowledgedAndDelivered();
    void longCommunityKeptWhole();
    void registerTwiceAndReregister();

private:
    CSnmpSession *requestSession(const QString &community);
    ToolResult sendTrap(const QStringList &arguments, const QString &program = QStringLiteral("snmptrap"));

    QTemporaryDir m_dir;
    Snmpd m_snmpd;
    quint16 m_agentPort = 0;
    CSnmpSession *m_trapSession = nullptr;
    NotifyLog *m_traps = nullptr;
    quint16 m_trapPort = 0;
    bool m_haveTools = false;
    bool m_ipv6 = false;
};

namespace {
const SnmpOid kSysName0{1, 3, 6, 1, 2, 1, 1, 5, 0};
const SnmpOid kSysDescr0{1, 3, 6, 1, 2, 1, 1, 1, 0};
const SnmpOid kSysLocation0{1, 3, 6, 1, 2, 1, 1, 6, 0};
const SnmpOid kSeq0{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 1, 0};
constexpr int kWaitMs = 15000;
} // namespace

void TestSnmpSession::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_agentPort = TestSupport::freeUdpPort();
    QVERIFY(m_agentPort);
    m_ipv6 = haveIpv6Loopback();
    const QString error = m_snmpd.start(m_dir.path(), m_agentPort, m_ipv6);
    if (error.contains(QLatin1String("not installed")))
        QSKIP(qPrintable(error));
    QVERIFY2(error.isEmpty(), qPrintable(error));
    m_haveTools = !TestSupport::findProgram(QStringLiteral("snmptrap")).isEmpty()
        && !TestSupport::findProgram(QStringLiteral("snmpinform")).isEmpty();

    m_trapPort = TestSupport::freeUdpPort();
    m_trapSession = new CSnmpSession(this, m_trapPort);
    m_trapSession->setTrapAddresses({QStringLiteral("127.0.0.1"), QStringLiteral("::1")});
    m_traps = new NotifyLog(m_trapSession);
    QCOMPARE(m_trapSession->Initialise(), 1);
    QVERIFY2(m_trapSession->RegisterTraps() == 1, qPrintable(m_trapSession->trapFailureText()));
}

void TestSnmpSession::cleanupTestCase()
{
    delete m_trapSession;
    m_snmpd.stop();
}

CSnmpSession *TestSnmpSession::requestSession(const QString &community)
{
    auto *s = new CSnmpSession(this);
    s->setAgentPort(m_agentPort);
    if (s->Initialise() != 1 || s->Open(QStringLiteral("127.0.0.1"), community) != 1) {
        delete s;
        return nullptr;
    }
    return s;
}

void TestSnmpSession::getAndGetNextCarryIdsAndCodesInOrder()
{
    std::unique_ptr<CSnmpSession> s(requestSession(QStringLiteral("public")));
    QVERIFY(s);
    NotifyLog log(s.get());
    QCOMPARE(s->SendRequest(kSysName0.toString(), SNMP_PDU_GET), 1);
    QCOMPARE(s->requestId(), 1);
    QCOMPARE(s->SendRequest(QStringLiteral("1.3.6.1.2.1.1"), SNMP_PDU_GETNEXT), 1);
    QCOMPARE(s->requestId(), 2);
    QCOMPARE(s->lastRequestedOid(), (SnmpOid{1, 3, 6, 1, 2, 1, 1}));
    QTRY_COMPARE_WITH_TIMEOUT(log.count(SNMPN_RECEIVED), size_t(2), kWaitMs);
    QCOMPARE(log.entries.size(), size_t(4));
    QCOMPARE(log.entries[0].code, SNMPN_GET_SENT);
    QCOMPARE(log.entries[0].payload.oid, kSysName0);
    QCOMPARE(log.entries[0].payload.requestId, 1);
    QCOMPARE(log.entries[1].code, SNMPN_GETNEXT_SENT);
    QCOMPARE(log.entries[1].payload.oid, (SnmpOid{1, 3, 6, 1, 2, 1, 1}));
    QCOMPARE(log.entries[1].payload.requestId, 2);

    const auto received = log.of(SNMPN_RECEIVED);
    for (const auto &e : received) {
        const tagSNMPRECEIVED &r = e.payload.received;
        QCOMPARE(r.pdu.type, quint32(SNMP_PDU_RESPONSE));
        QCOMPARE(r.pdu.errorStatus, 0);
        QCOMPARE(r.strAgent, QStringLiteral("127.0.0.1"));
        QCOMPARE(r.strCommunity, QStringLiteral("public"));
        QCOMPARE(r.pdu.varbinds.size(), size_t(1));
        if (r.pdu.requestId == 1) {
            QCOMPARE(r.pdu.varbinds[0].oid, kSysName0);
            QCOMPARE(r.pdu.varbinds[0].value.syntax, quint32(SNMP_SYNTAX_OCTETS));
            QVERIFY(!r.pdu.varbinds[0].value.octets.isEmpty());
        } else {
            QCOMPARE(r.pdu.requestId, 2);
            QCOMPARE(r.pdu.varbinds[0].oid, kSysDescr0);
        }
    }
    QVERIFY(received[0].payload.received.pdu.requestId != received[1].payload.received.pdu.requestId);
}

void TestSnmpSession::requestsAreNotBoundToTheLocalAddress()
{
    // A stock Debian host name resolves to 127.0.1.1; the agent answers
    // 127.0.0.1 only. Were the request socket bound to the local address,
    // the agent would stay silent.
    CSnmpSession s;
    s.setAgentPort(m_agentPort);
    NotifyLog log(&s);
    QCOMPARE(s.Initialise(QStringLiteral("127.0.1.1")), 1);
    QCOMPARE(s.localAddress(), QStringLiteral("127.0.1.1"));
    QCOMPARE(s.Open(QStringLiteral("127.0.0.1"), QStringLiteral("public")), 1);
    QCOMPARE(s.SendRequest(kSysName0.toString(), SNMP_PDU_GET), 1);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(SNMPN_RECEIVED), size_t(1), kWaitMs);
    QCOMPARE(log.of(SNMPN_RECEIVED)[0].payload.received.strDestination, QStringLiteral("127.0.1.1"));
}

void TestSnmpSession::agentTextForms_data()
{
    QTest::addColumn<QString>("agent");
    QTest::addColumn<bool>("explicitPort");
    QTest::addColumn<bool>("needsIpv6");
    QTest::addColumn<QString>("source");
    QTest::newRow("dotted") << "127.0.0.1" << false << false << "127.0.0.1";
    QTest::newRow("host name") << "localhost" << false << false << "127.0.0.1";
    QTest::newRow("with port") << "127.0.0.1:%1" << true << false << "127.0.0.1";
    QTest::newRow("blanks around") << "  127.0.0.1 " << false << false << "127.0.0.1";
    QTest::newRow("ipv6") << "::1" << false << true << "::1";
    QTest::newRow("ipv6 with port") << "[::1]:%1" << true << true << "::1";
}

void TestSnmpSession::agentTextForms()
{
    QFETCH(QString, agent);
    QFETCH(bool, explicitPort);
    QFETCH(bool, needsIpv6);
    QFETCH(QString, source);
    if (needsIpv6 && !m_ipv6)
        QSKIP("no IPv6 loopback on this host");
    CSnmpSession s;
    // with the port in the text, the session's own port must not matter
    s.setAgentPort(explicitPort ? quint16(9) : m_agentPort);
    NotifyLog log(&s);
    QCOMPARE(s.Initialise(QStringLiteral("127.0.0.1")), 1);
    QCOMPARE(s.Open(explicitPort ? agent.arg(m_agentPort) : agent, QStringLiteral("public")), 1);
    QCOMPARE(s.SendRequest(kSysName0.toString(), SNMP_PDU_GET), 1);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(SNMPN_RECEIVED), size_t(1), kWaitMs);
    QCOMPARE(log.of(SNMPN_RECEIVED)[0].payload.received.strAgent, source);
}

void TestSnmpSession::v1NoSuchNameErrorStatus()
{
    std::unique_ptr<CSnmpSession> s(requestSession(QStringLiteral("public")));
    QVERIFY(s);
    NotifyLog log(s.get());
    QCOMPARE(s->SendRequest(QStringLiteral("1.3.6.1.2.1.1.99.0"), SNMP_PDU_GET), 1);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(SNMPN_RECEIVED), size_t(1), kWaitMs);
    const SnmpPdu pdu = log.of(SNMPN_RECEIVED)[0].payload.received.pdu;
    QCOMPARE(pdu.requestId, 1);
    QCOMPARE(pdu.errorStatus, 2);
    QCOMPARE(pdu.errorIndex, 1);
    QCOMPARE(ErrorStatusText(pdu.errorStatus), QStringLiteral("no such name"));
}

void TestSnmpSession::setThroughWriteCommunityReadBack()
{
    std::unique_ptr<CSnmpSession> s(requestSession(QStringLiteral("private")));
    QVERIFY(s);
    NotifyLog log(s.get());
    const QByteArray location = QString::fromUtf8("rack 7, 東京").toUtf8();
    QCOMPARE(s->SendRequest(kSysLocation0.toString(), SNMP_PDU_SET, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, location)), 1);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(SNMPN_RECEIVED), size_t(1), kWaitMs);
    QCOMPARE(log.entries[0].code, SNMPN_OTHER_SENT);
    QCOMPARE(log.entries[0].payload.oid, kSysLocation0);
    const SnmpPdu setReply = log.of(SNMPN_RECEIVED)[0].payload.received.pdu;
    QCOMPARE(setReply.errorStatus, 0);

    QCOMPARE(s->SendRequest(kSysLocation0.toString(), SNMP_PDU_GET), 1);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(SNMPN_RECEIVED), size_t(2), kWaitMs);
    const SnmpPdu getReply = log.of(SNMPN_RECEIVED)[1].payload.received.pdu;
    QCOMPARE(getReply.requestId, 2);
    QCOMPARE(getReply.varbinds.at(0).value.octets, location);
    QString text;
    QCOMPARE(ValueToText(getReply.varbinds.at(0).value, text), 1);
    QCOMPARE(text, QString::fromUtf8("rack 7, 東京"));

    // a read-only object through the same community: refused, and said so
    QCOMPARE(s->SendRequest(kSysDescr0.toString(), SNMP_PDU_SET, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "x")), 1);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(SNMPN_RECEIVED), size_t(3), kWaitMs);
    QVERIFY(log.of(SNMPN_RECEIVED)[2].payload.received.pdu.errorStatus != 0);
}

void TestSnmpSession::notificationsAreQueued()
{
    std::unique_ptr<CSnmpSession> s(requestSession(QStringLiteral("public")));
    QVERIFY(s);
    NotifyLog log(s.get());
    QCOMPARE(s->SendRequest(kSysName0.toString(), SNMP_PDU_GET), 1);
    QCOMPARE(s->SendRequest(QStringLiteral("bad oid"), SNMP_PDU_GET), 0);
    // nothing arrives inside the sending calls, even with a direct connection
    QVERIFY(log.entries.empty());
    QTRY_COMPARE_WITH_TIMEOUT(log.entries.size(), size_t(3), kWaitMs);
    QCOMPARE(log.entries[0].code, SNMPN_GET_SENT);
    QCOMPARE(log.entries[1].code, SNMPN_SEND_ERROR);
}

void TestSnmpSession::unresolvableHostIsSendError_data()
{
    QTest::addColumn<QString>("agent");
    QTest::newRow("unknown name") << "no-such-host.invalid";
    QTest::newRow("empty") << "";
    QTest::newRow("blank") << "   ";
    QTest::newRow("garbage") << "host name with blanks";
    QTest::newRow("bad port") << "127.0.0.1:99999";
}

void TestSnmpSession::unresolvableHostIsSendError()
{
    QFETCH(QString, agent);
    CSnmpSession s;
    NotifyLog log(&s);
    QCOMPARE(s.Initialise(), 1);
    QCOMPARE(s.Open(agent, QStringLiteral("public")), 1);
    QCOMPARE(s.SendRequest(kSysName0.toString(), SNMP_PDU_GET), 0);
    QCOMPARE(s.requestId(), 1);
    QCOMPARE(SnmpGetLastError(&s), quint32(SNMPAPI_ENTITY_INVALID));
    QTRY_COMPARE(log.entries.size(), size_t(1));
    QCOMPARE(log.entries[0].code, SNMPN_SEND_ERROR);
    QCOMPARE(log.entries[0].payload.error, quint32(SNMPAPI_ENTITY_INVALID));
    QCOMPARE(log.entries[0].payload.requestId, 1);
    QCOMPARE(SnmpErrorText(log.entries[0].payload.error), QStringLiteral("VIVARuz: Invalid entity parameter"));
}

void TestSnmpSession::invalidOidIsRefused_data()
{
    QTest::addColumn<QString>("oid");
    QTest::newRow("name") << "sysDescr.0";
    QTest::newRow("empty") << "";
    QTest::newRow("double dot") << "1.3..6";
    QTest::newRow("first arc 3") << "3.1.2";
    QTest::newRow("second arc 40") << "1.40.1";
}

void TestSnmpSession::invalidOidIsRefused()
{
    QFETCH(QString, oid);
    std::unique_ptr<CSnmpSession> s(requestSession(QStringLiteral("public")));
    QVERIFY(s);
    NotifyLog log(s.get());
    QCOMPARE(s->SendRequest(oid, SNMP_PDU_GET), 0);
    QCOMPARE(s->lastError(), quint32(SNMPAPI_OID_INVALID));
    QTRY_COMPARE(log.entries.size(), size_t(1));
    QCOMPARE(log.entries[0].code, SNMPN_SEND_ERROR);
    QCOMPARE(log.entries[0].payload.error, quint32(SNMPAPI_OID_INVALID));
    // nothing went out, so no request id was used
    QCOMPARE(s->requestId(), 0);
}

void TestSnmpSession::idsRestartAfterReopenAndCloseIsIdempotent()
{
    CSnmpSession never;
    never.Close();
    never.Close();
    QVERIFY(!never.isOpen());

    std::unique_ptr<CSnmpSession> s(requestSession(QStringLiteral("public")));
    QVERIFY(s);
    NotifyLog log(s.get());
    QCOMPARE(s->SendRequest(kSysName0.toString(), SNMP_PDU_GET), 1);
    QCOMPARE(s->SendRequest(kSysName0.toString(), SNMP_PDU_GET), 1);
    QCOMPARE(s->requestId(), 2);
    s->Close();
    QVERIFY(s->lastRequestedOid().isEmpty());
    s->Close();
    QVERIFY(!s->isOpen());
    QCOMPARE(s->SendRequest(kSysName0.toString(), SNMP_PDU_GET), 0); // closed
    QCOMPARE(s->Open(QStringLiteral("127.0.0.1"), QStringLiteral("public")), 1);
    QCOMPARE(s->SendRequest(kSysName0.toString(), SNMP_PDU_GET), 1);
    QCOMPARE(s->requestId(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(!log.of(SNMPN_RECEIVED).empty(), kWaitMs);
    // the answers to the closed session's requests were forgotten with it
    QTRY_COMPARE(log.count(SNMPN_SEND_ERROR), size_t(1));
    for (const auto &e : log.of(SNMPN_RECEIVED))
        QCOMPARE(e.payload.received.pdu.requestId, 1);
}

void TestSnmpSession::openWhileOpenFails()
{
    std::unique_ptr<CSnmpSession> s(requestSession(QStringLiteral("public")));
    QVERIFY(s);
    NotifyLog log(s.get());
    QCOMPARE(s->SendRequest(kSysName0.toString(), SNMP_PDU_GET), 1);
    QCOMPARE(s->Open(QStringLiteral("no-such-host.invalid"), QStringLiteral("other")), 0);
    QCOMPARE(s->RegisterTraps(), 0);
    QVERIFY(s->trapFailureText().isEmpty());
    // still the first session, request ids going on
    QCOMPARE(s->SendRequest(kSysName0.toString(), SNMP_PDU_GET), 1);
    QCOMPARE(s->requestId(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(SNMPN_RECEIVED), size_t(2), kWaitMs);
}

void TestSnmpSession::getListInOrderAndEmptyListSendsNothing()
{
    std::unique_ptr<CSnmpSession> s(requestSession(QStringLiteral("public")));
    QVERIFY(s);
    NotifyLog log(s.get());
    QCOMPARE(s->SendGetList({}), 0);
    QCOMPARE(s->requestId(), 0);
    QCOMPARE(s->SendRequest(kSysDescr0.toString(), SNMP_PDU_GETNEXT), 1);
    const QStringList oids{kSysName0.toString(), QStringLiteral("1.3.6.1.2.1.1.3.0"), kSysLocation0.toString()};
    QCOMPARE(s->SendGetList(oids), 1);
    QCOMPARE(s->requestId(), 2);
    QCOMPARE(s->lastRequestedOid(), kSysDescr0);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(SNMPN_RECEIVED), size_t(2), kWaitMs);
    QCOMPARE(log.entries[0].code, SNMPN_GETNEXT_SENT); // the empty list said nothing
    QCOMPARE(log.entries[1].code, SNMPN_GET_SENT);
    QCOMPARE(log.entries[1].payload.oid, kSysDescr0);
    for (const auto &e : log.of(SNMPN_RECEIVED)) {
        const SnmpPdu &pdu = e.payload.received.pdu;
        if (pdu.requestId != 2)
            continue;
        QCOMPARE(pdu.varbinds.size(), size_t(3));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(pdu.varbinds[size_t(i)].oid.toString(), oids[i]);
        QCOMPARE(pdu.varbinds[1].value.syntax, quint32(SNMP_SYNTAX_TIMETICKS));
        return;
    }
    QFAIL("no answer to the list");
}

void TestSnmpSession::opaqueFloatFromAgentRendersAsOpaque()
{
    std::unique_ptr<CSnmpSession> s(requestSession(QStringLiteral("public")));
    QVERIFY(s);
    NotifyLog log(s.get());
    // UCD-SNMP-MIB laLoadFloat.1: net-snmp's agent sends an Opaque float
    QCOMPARE(s->SendRequest(QStringLiteral("1.3.6.1.4.1.2021.10.1.6.1"), SNMP_PDU_GET), 1);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(SNMPN_RECEIVED), size_t(1), kWaitMs);
    const SnmpPdu pdu = log.of(SNMPN_RECEIVED)[0].payload.received.pdu;
    if (pdu.errorStatus != 0)
        QSKIP("this snmpd has no load average table");
    const SnmpValue &v = pdu.varbinds.at(0).value;
    QCOMPARE(v.syntax, quint32(SNMP_SYNTAX_OPAQUE));
    QCOMPARE(v.octets.size(), 7);
    QCOMPARE(v.octets.left(3), QByteArray("\x9f\x78\x04", 3));
    QString label, text;
    RenderValue(v, label, text);
    QCOMPARE(label, QStringLiteral("(opaque)"));
    QVERIFY2(text.startsWith(QLatin1String("9f.78.04.")) && text.endsWith(QLatin1String(" (hex)")), qPrintable(text));
}

void TestSnmpSession::counter64OverV2c()
{
    auto *raw = new CSnmpSession(this);
    std::unique_ptr<CSnmpSession> s(raw);
    s->setAgentPort(m_agentPort);
    s->setVersion(SNMP_VERSION_V2C);
    QCOMPARE(s->Initialise(), 1);
    QCOMPARE(s->Open(QStringLiteral("127.0.0.1"), QStringLiteral("public")), 1);
    NotifyLog log(s.get());
    // ifHCInOctets: a Counter64 column, first row after the table's root
    QCOMPARE(s->SendRequest(QStringLiteral("1.3.6.1.2.1.31.1.1.1.6"), SNMP_PDU_GETNEXT), 1);
    QTRY_COMPARE_WITH_TIMEOUT(log.count(SNMPN_RECEIVED), size_t(1), kWaitMs);
    const SnmpVarBind vb = log.of(SNMPN_RECEIVED)[0].payload.received.pdu.varbinds.at(0);
    QVERIFY2(vb.oid.startsWith({1, 3, 6, 1, 2, 1, 31, 1, 1, 1, 6}), qPrintable(vb.oid.toString()));
    QCOMPARE(vb.value.syntax, quint32(SNMP_SYNTAX_CNTR64));
}

void TestSnmpSession::unansweredRequestStaysSilent()
{
    // "other" is not a community of the agent: no answer, and the session
    // reports no error of its own (net-snmp's timeout is silent and far off);
    // the owner's timer decides.
    std::unique_ptr<CSnmpSession> s(requestSession(QStringLiteral("other")));
    QVERIFY(s);
    NotifyLog log(s.get());
    QCOMPARE(s->SendRequest(kSysName0.toString(), SNMP_PDU_GET), 1);
    std::unique_ptr<CSnmpSession> probe(requestSession(QStringLiteral("public")));
    NotifyLog probeLog(probe.get());
    QCOMPARE(probe->SendRequest(kSysName0.toString(), SNMP_PDU_GET), 1);
    // by the time the agent has answered the probe it has dropped the other
    QTRY_COMPARE_WITH_TIMEOUT(probeLog.count(SNMPN_RECEIVED), size_t(1), kWaitMs);
    QCOMPARE(log.entries.size(), size_t(1));
    QCOMPARE(log.entries[0].code, SNMPN_GET_SENT);
}

ToolResult TestSnmpSession::sendTrap(const QStringList &arguments, const QString &program)
{
    return runTool(program, arguments, m_dir.path() + QStringLiteral("/tools"));
}

void TestSnmpSession::v1TrapsInSnmpv2Form_data()
{
    QTest::addColumn<QString>("generic");
    QTest::addColumn<QString>("specific");
    QTest::addColumn<SnmpOid>("trapOid");
    QTest::newRow("enterprise specific") << "6" << "17" << SnmpOid{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 0, 17};
    QTest::newRow("linkDown") << "2" << "0" << SnmpOid{1, 3, 6, 1, 6, 3, 1, 1, 5, 3};
    QTest::newRow("coldStart") << "0" << "0" << SnmpOid{1, 3, 6, 1, 6, 3, 1, 1, 5, 1};
}

void TestSnmpSession::v1TrapsInSnmpv2Form()
{
    if (!m_haveTools)
        QSKIP("snmptrap/snmpinform are not installed (Debian package snmp)");
    QFETCH(QString, generic);
    QFETCH(QString, specific);
    QFETCH(SnmpOid, trapOid);
    const size_t before = m_traps->count(SNMPN_RECEIVED);
    const ToolResult r = sendTrap({QStringLiteral("-v1"), QStringLiteral("-c"), QStringLiteral("v1 community"),
                                   QStringLiteral("-m"), QString(),
                                   QStringLiteral("127.0.0.1:%1").arg(m_trapPort),
                                   QStringLiteral("1.3.6.1.4.1.8072.9999.1"), QStringLiteral("10.1.2.3"), generic,
                                   specific, QStringLiteral("4242"), kSeq0.toString(), QStringLiteral("c"),
                                   QStringLiteral("5")});
    QVERIFY2(r.started && r.exitCode == 0, qPrintable(r.output));
    QTRY_COMPARE_WITH_TIMEOUT(m_traps->count(SNMPN_RECEIVED), before + 1, kWaitMs);
    const tagSNMPRECEIVED t = m_traps->of(SNMPN_RECEIVED).back().payload.received;
    QCOMPARE(t.strAgent, QStringLiteral("127.0.0.1"));
    QCOMPARE(t.strDestination, QStringLiteral("127.0.0.1"));
    QCOMPARE(t.strCommunity, QStringLiteral("v1 community"));
    QCOMPARE(t.pdu.type, quint32(SNMP_PDU_TRAP));
    QCOMPARE(t.pdu.errorStatus, 0);
    QVERIFY(!t.pdu.inform);
    QCOMPARE(t.pdu.varbinds.size(), size_t(6));
    QCOMPARE(t.pdu.varbinds[0].oid, SnmpOids::sysUpTime0());
    QCOMPARE(t.pdu.varbinds[0].value, SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, 4242));
    QCOMPARE(t.pdu.varbinds[1].oid, SnmpOids::snmpTrapOid0());
    QCOMPARE(t.pdu.varbinds[1].value, SnmpValue::objectId(trapOid));
    QCOMPARE(t.pdu.varbinds[2].oid, kSeq0);
    QCOMPARE(t.pdu.varbinds[2].value, SnmpValue::unsignedValue(SNMP_SYNTAX_CNTR32, 5));
    QCOMPARE(*findValue(t.pdu, SnmpOids::snmpTrapAddress0()), SnmpValue::bytes(SNMP_SYNTAX_IPADDR, QByteArray("\x0a\x01\x02\x03", 4)));
    QCOMPARE(*findValue(t.pdu, SnmpOids::snmpTrapCommunity0()), SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "v1 community"));
    QCOMPARE(*findValue(t.pdu, SnmpOids::snmpTrapEnterprise0()), SnmpValue::objectId({1, 3, 6, 1, 4, 1, 8072, 9999, 1}));
}

void TestSnmpSession::v2cTrapFields()
{
    if (!m_haveTools)
        QSKIP("snmptrap/snmpinform are not installed (Debian package snmp)");
    const size_t before = m_traps->count(SNMPN_RECEIVED);
    const ToolResult r = sendTrap({QStringLiteral("-v2c"), QStringLiteral("-c"), QStringLiteral("public"),
                                   QStringLiteral("-m"), QString(), QStringLiteral("127.0.0.1:%1").arg(m_trapPort),
                                   QStringLiteral("777"), QStringLiteral("1.3.6.1.4.1.8072.9999.1.0.2"),
                                   QStringLiteral("1.3.6.1.4.1.8072.9999.1.2.1"), QStringLiteral("s"),
                                   QString::fromUtf8("温度 high"),
                                   QStringLiteral("1.3.6.1.4.1.8072.9999.1.2.2"), QStringLiteral("x"),
                                   QStringLiteral("00FF10")});
    QVERIFY2(r.started && r.exitCode == 0, qPrintable(r.output));
    QTRY_COMPARE_WITH_TIMEOUT(m_traps->count(SNMPN_RECEIVED), before + 1, kWaitMs);
    const tagSNMPRECEIVED t = m_traps->of(SNMPN_RECEIVED).back().payload.received;
    QCOMPARE(t.strAgent, QStringLiteral("127.0.0.1"));
    QCOMPARE(t.strCommunity, QStringLiteral("public"));
    QCOMPARE(t.pdu.type, quint32(SNMP_PDU_TRAP));
    QVERIFY(!t.pdu.inform);
    QCOMPARE(t.pdu.varbinds.size(), size_t(4));
    QCOMPARE(t.pdu.varbinds[0].value, SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, 777));
    QCOMPARE(t.pdu.varbinds[1].value, SnmpValue::objectId({1, 3, 6, 1, 4, 1, 8072, 9999, 1, 0, 2}));
    QString text;
    QCOMPARE(ValueToText(t.pdu.varbinds[2].value, text), 1);
    QCOMPARE(text, QString::fromUtf8("温度 high"));
    QCOMPARE(ValueToText(t.pdu.varbinds[3].value, text), 1);
    QCOMPARE(text, QStringLiteral("00.ff.10 (hex)"));
}

void TestSnmpSession::v2cTrapOverIpv6()
{
    if (!m_haveTools)
        QSKIP("snmptrap/snmpinform are not installed (Debian package snmp)");
    if (!m_ipv6)
        QSKIP("no IPv6 loopback on this host");
    const size_t before = m_traps->count(SNMPN_RECEIVED);
    const ToolResult r = sendTrap({QStringLiteral("-v2c"), QStringLiteral("-c"), QStringLiteral("public"),
                                   QStringLiteral("-m"), QString(), QStringLiteral("udp6:[::1]:%1").arg(m_trapPort),
                                   QString(), QStringLiteral("1.3.6.1.4.1.8072.9999.1.0.3")});
    QVERIFY2(r.started && r.exitCode == 0, qPrintable(r.output));
    QTRY_COMPARE_WITH_TIMEOUT(m_traps->count(SNMPN_RECEIVED), before + 1, kWaitMs);
    const tagSNMPRECEIVED t = m_traps->of(SNMPN_RECEIVED).back().payload.received;
    QCOMPARE(t.strAgent, QStringLiteral("::1"));
    QCOMPARE(t.strDestination, QStringLiteral("::1"));
    QCOMPARE(t.pdu.varbinds.at(1).value, SnmpValue::objectId({1, 3, 6, 1, 4, 1, 8072, 9999, 1, 0, 3}));
}

void TestSnmpSession::informIsAcknowledgedAndDelivered()
{
    if (!m_haveTools)
        QSKIP("snmptrap/snmpinform are not installed (Debian package snmp)");
    const size_t before = m_traps->count(SNMPN_RECEIVED);
    const quint64 ackedBefore = m_trapSession->trapStatistics().informsAcknowledged;
    // no retries: exit status 0 only if our Response came back
    const ToolResult r = sendTrap({QStringLiteral("-v2c"), QStringLiteral("-c"), QStringLiteral("public"),
                                   QStringLiteral("-m"), QString(), QStringLiteral("-r"), QStringLiteral("0"),
                                   QStringLiteral("-t"), QStringLiteral("5"),
                                   QStringLiteral("127.0.0.1:%1").arg(m_trapPort), QStringLiteral("555"),
                                   QStringLiteral("1.3.6.1.4.1.8072.9999.1.0.4"), kSeq0.toString(),
                                   QStringLiteral("c"), QStringLiteral("9")},
                                  QStringLiteral("snmpinform"));
    QVERIFY2(r.started && r.exitCode == 0, qPrintable(r.output));
    QTRY_COMPARE_WITH_TIMEOUT(m_traps->count(SNMPN_RECEIVED), before + 1, kWaitMs);
    QCOMPARE(m_trapSession->trapStatistics().informsAcknowledged, ackedBefore + 1);
    const tagSNMPRECEIVED t = m_traps->of(SNMPN_RECEIVED).back().payload.received;
    QCOMPARE(t.pdu.type, quint32(SNMP_PDU_TRAP));
    QVERIFY(t.pdu.inform);
    QCOMPARE(t.strCommunity, QStringLiteral("public"));
    QCOMPARE(t.pdu.varbinds.size(), size_t(3));
    QCOMPARE(t.pdu.varbinds[0].value, SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, 555));
    QCOMPARE(t.pdu.varbinds[1].value, SnmpValue::objectId({1, 3, 6, 1, 4, 1, 8072, 9999, 1, 0, 4}));
    QCOMPARE(t.pdu.varbinds[2].value, SnmpValue::unsignedValue(SNMP_SYNTAX_CNTR32, 9));
}

void TestSnmpSession::longCommunityKeptWhole()
{
    if (!m_haveTools)
        QSKIP("snmptrap/snmpinform are not installed (Debian package snmp)");
    const QString community = QString(300, u'c');
    const size_t before = m_traps->count(SNMPN_RECEIVED);
    const ToolResult r = sendTrap({QStringLiteral("-v2c"), QStringLiteral("-c"), community, QStringLiteral("-m"),
                                   QString(), QStringLiteral("127.0.0.1:%1").arg(m_trapPort), QString(),
                                   QStringLiteral("1.3.6.1.4.1.8072.9999.1.0.5")});
    QVERIFY2(r.started && r.exitCode == 0, qPrintable(r.output));
    QTRY_COMPARE_WITH_TIMEOUT(m_traps->count(SNMPN_RECEIVED), before + 1, kWaitMs);
    QCOMPARE(m_traps->of(SNMPN_RECEIVED).back().payload.received.strCommunity, community);
}

void TestSnmpSession::registerTwiceAndReregister()
{
    QCOMPARE(m_trapSession->RegisterTraps(), 0); // already receiving
    QVERIFY(m_trapSession->trapFailureText().isEmpty());
    QCOMPARE(m_trapSession->Open(QStringLiteral("127.0.0.1"), QStringLiteral("public")), 0);
    QCOMPARE(m_trapSession->UnregisterTraps(), 1);
    QCOMPARE(m_trapSession->UnregisterTraps(), 1);
    QVERIFY(!m_trapSession->isReceivingTraps());
    QVERIFY2(m_trapSession->RegisterTraps() == 1, qPrintable(m_trapSession->trapFailureText()));
    if (!m_haveTools)
        return;
    const size_t before = m_traps->count(SNMPN_RECEIVED);
    const ToolResult r = sendTrap({QStringLiteral("-v2c"), QStringLiteral("-c"), QStringLiteral("public"),
                                   QStringLiteral("-m"), QString(), QStringLiteral("127.0.0.1:%1").arg(m_trapPort),
                                   QString(), QStringLiteral("1.3.6.1.4.1.8072.9999.1.0.6")});
    QVERIFY2(r.started && r.exitCode == 0, qPrintable(r.output));
    QTRY_COMPARE_WITH_TIMEOUT(m_traps->count(SNMPN_RECEIVED), before + 1, kWaitMs);
}

QTEST_GUILESS_MAIN(TestSnmpSession)
#include "tst_snmpsession.moc"
