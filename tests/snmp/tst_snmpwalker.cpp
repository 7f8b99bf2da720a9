// The walk and polling engines against a real snmpd: GETBULK walks through
// SNMPv2c and every SNMPv3 security level, compared with what net-snmp's
// own tools list; the named SNMPv3 failures; halving on tooBig from a small
// agent that refuses large answers.

#include "v3credentials.h"
#include "snmprender.h"
#include "snmpstack.h"
#include "snmppoller.h"
#include "snmpwalker.h"
#include "testsupport.h"

#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

using namespace Qt::StringLiterals;
using namespace TestSupport;

namespace {

struct WalkResult
{
    SnmpWalker::End end = SnmpWalker::End::Stopped;
    QString message;
    QStringList lines; // "OID = value" as snmpbulkwalk -On -Oqv... see toolLines
    int requests = 0;
};

WalkResult runWalk(SnmpWalker &walker, const SnmpTarget &target, const QString &oid, SnmpWalker::Options options,
                   bool get = false)
{
    WalkResult result;
    QObject context;
    QObject::connect(&walker, &SnmpWalker::variablesReceived, &context, [&](const SnmpVarList &vars) {
        for (const SnmpVarBind &vb : vars)
            result.lines << OidToText(vb.oid);
    });
    QObject::connect(&walker, &SnmpWalker::requestSent, &context, [&] { ++result.requests; });
    QSignalSpy finished(&walker, &SnmpWalker::finished);
    if (get)
        walker.get(target, oid, options);
    else
        walker.walk(target, oid, options);
    if (finished.isEmpty())
        finished.wait(60000);
    if (!finished.isEmpty()) {
        result.end = finished.first().at(0).value<SnmpWalker::End>();
        result.message = finished.first().at(1).toString();
    }
    return result;
}

SnmpTarget v2c(quint16 port = 0)
{
    SnmpTarget t;
    t.host = u"127.0.0.1"_s;
    t.port = port;
    t.version = SNMP_VERSION_V2C;
    t.community = u"public"_s;
    return t;
}

SnmpTarget v3(const char *user, SnmpSecurityLevel level, SnmpAuthProtocol auth = SnmpAuthProtocol::SHA256,
              SnmpPrivProtocol priv = SnmpPrivProtocol::AES128, const char *authPass = kV3AuthPass,
              const char *privPass = kV3PrivPass)
{
    SnmpTarget t = v2c();
    t.version = SNMP_VERSION_V3;
    t.usm.userName = QString::fromLatin1(user);
    t.usm.level = level;
    t.usm.authProtocol = auth;
    t.usm.privProtocol = priv;
    t.usm.authPassphrase = QString::fromLatin1(authPass);
    t.usm.privPassphrase = QString::fromLatin1(privPass);
    return t;
}

} // namespace

class TestSnmpWalker : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    Snmpd m_agent;
    quint16 m_port = 0;

    SnmpTarget at(SnmpTarget t) const
    {
        t.port = m_port;
        return t;
    }

    // The OIDs net-snmp's own GETBULK walker lists for the same subtree.
    QStringList toolOids(const QStringList &credentials, const QString &oid)
    {
        const QStringList args = credentials + QStringList{u"-On"_s, u"-Oq"_s, u"-t"_s, u"5"_s, u"-r"_s, u"0"_s,
                                                           u"-Cr25"_s, u"127.0.0.1:%1"_s.arg(m_port), oid};
        return listedOids(runSnmpTool(u"snmpbulkwalk"_s, args, m_dir.path()));
    }

private slots:
    void initTestCase()
    {
        SnmpStartup();
        m_port = freeUdpPort();
        const QString failure = m_agent.start(m_dir.path(), m_port);
        if (!failure.isEmpty())
            QSKIP(qPrintable(failure));
    }
    void cleanupTestCase()
    {
        m_agent.stop();
        SnmpCleanup();
    }

    // Every version and level lists exactly what net-snmp's tools list.
    void walkEqualsTools_data()
    {
        QTest::addColumn<SnmpTarget>("target");
        QTest::addColumn<QStringList>("credentials");
        QTest::addColumn<QString>("oid");
        // SNMPv1 GET NEXT walks: tst_mibwalkdlg, compared with snmpwalk
        const QString pass = QString::fromLatin1(kV3AuthPass);
        const QString priv = QString::fromLatin1(kV3PrivPass);
        row("v2c GETBULK, ifXTable (Counter64)", v2c(), QStringList{u"-v2c"_s, u"-cpublic"_s}, u"1.3.6.1.2.1.31.1.1"_s);
        row("v3 SHA-256/AES authPriv, mib-2", v3PrivTarget(0), v3PrivToolArguments(), u"1.3.6.1.2.1"_s);
        if (snmpPrivProtocolSupported(SnmpPrivProtocol::DES))
            row("v3 MD5/DES authPriv, system",
                v3(kV3DesUser, SnmpSecurityLevel::AuthPriv, SnmpAuthProtocol::MD5, SnmpPrivProtocol::DES),
                QStringList{u"-v3"_s, u"-l"_s, u"authPriv"_s, u"-u"_s, QString::fromLatin1(kV3DesUser), u"-a"_s,
                            u"MD5"_s, u"-A"_s, pass, u"-x"_s, u"DES"_s, u"-X"_s, priv},
                u"1.3.6.1.2.1.1"_s);
        row("v3 SHA-1 authNoPriv, system", v3(kV3AuthUser, SnmpSecurityLevel::AuthNoPriv, SnmpAuthProtocol::SHA1),
            QStringList{u"-v3"_s, u"-l"_s, u"authNoPriv"_s, u"-u"_s, QString::fromLatin1(kV3AuthUser), u"-a"_s,
                        u"SHA"_s, u"-A"_s, pass},
            u"1.3.6.1.2.1.1"_s);
        row("v3 noAuthNoPriv, system", v3(kV3NoAuthUser, SnmpSecurityLevel::NoAuthNoPriv),
            QStringList{u"-v3"_s, u"-l"_s, u"noAuthNoPriv"_s, u"-u"_s, QString::fromLatin1(kV3NoAuthUser)},
            u"1.3.6.1.2.1.1"_s);
    }
    void walkEqualsTools()
    {
        QFETCH(SnmpTarget, target);
        QFETCH(QStringList, credentials);
        QFETCH(QString, oid);
        SnmpWalker walker;
        const WalkResult walked = runWalk(walker, at(target), oid, {});
        QVERIFY2(walked.message.isEmpty(), qPrintable(walked.message));
        const QStringList expected = toolOids(credentials, oid);
        QVERIFY(expected.size() > 5);
        QCOMPARE(walked.lines, expected);
        // 25 a request, not one
        QVERIFY2(walked.requests <= expected.size() / 25 + 2, qPrintable(QString::number(walked.requests)));
    }

    // What a GET ends with: a missing object listed as its exception, an
    // unknown host named; and the SNMPv3 failures (wrong passphrase, unknown
    // user, a level the user does not have), each saying what to check, none
    // a bare timeout, none spoiling the right credentials after it.
    void getOutcomes_data()
    {
        QTest::addColumn<SnmpTarget>("target");
        QTest::addColumn<QString>("oid");
        QTest::addColumn<QString>("says"); // empty: the answer is noSuchObject
        SnmpTarget unknownHost = v2c();
        unknownHost.host = u"no-such-host.invalid"_s;
        const QString sysDescr0 = u"1.3.6.1.2.1.1.1.0"_s;
        const auto auth = SnmpSecurityLevel::AuthPriv;
        row("v2c GET of a missing object", v2c(), u"1.3.6.1.2.1.1.99.0"_s, QString());
        row("unknown host", unknownHost, sysDescr0, u"Host not found: no-such-host.invalid"_s);
        row("wrong authentication passphrase", v3(kV3PrivUser, auth, SnmpAuthProtocol::SHA256, SnmpPrivProtocol::AES128, "not-the-pass"),
            sysDescr0, u"authentication passphrase"_s);
        row("unknown user", v3("nobody-here", SnmpSecurityLevel::NoAuthNoPriv), sysDescr0, u"does not know the user"_s);
        row("level the user lacks", v3(kV3AuthUser, auth, SnmpAuthProtocol::SHA1), sysDescr0, u"security level"_s);
        row("wrong privacy passphrase",
            v3(kV3PrivUser, auth, SnmpAuthProtocol::SHA256, SnmpPrivProtocol::AES128, kV3AuthPass, "not-the-priv"), sysDescr0,
            u"privacy passphrase"_s);
    }
    void getOutcomes()
    {
        QFETCH(SnmpTarget, target);
        QFETCH(QString, oid);
        QFETCH(QString, says);
        SnmpWalker walker;
        const SnmpWalker::Options options{.timeoutMs = 2000};
        SnmpVarList got;
        connect(&walker, &SnmpWalker::variablesReceived, this, [&](const SnmpVarList &v) { got = v; });
        const WalkResult r = runWalk(walker, at(target), oid, options, true);
        if (target.version != SNMP_VERSION_V3) {
            QCOMPARE(r.message, says);
            if (says.isEmpty())
                QCOMPARE(got.size() == 1 ? ValueToText(got.front().value) : QString(), u"noSuchObject"_s);
            return;
        }
        QVERIFY2(r.message.contains(says), qPrintable(r.message));
        QVERIFY(r.message.contains(target.usm.userName));
        // the secrets are never part of what the user is shown
        QVERIFY(!r.message.contains(target.usm.authPassphrase));
        QVERIFY(!r.message.contains(target.usm.privPassphrase));
        const WalkResult ok = runWalk(walker, at(v3PrivTarget(0)), u"1.3.6.1.2.1.1.1.0"_s, options, true);
        QCOMPARE(ok.end, SnmpWalker::End::Completed);
        QCOMPARE(ok.lines, QStringList{u"1.3.6.1.2.1.1.1.0"_s});
    }

    // A small agent of ten objects under 1.3.6.1.4.1.99999 that answers
    // tooBig to any GETBULK asking for more than four, and misbehaves as the
    // row says in the answer that starts at object 7: the walk lists what is valid,
    // ends with a message naming what was wrong, and never hangs.
    void fakeAgentAnswers_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<SnmpWalker::End>("end");
        QTest::addColumn<int>("listed");
        QTest::addColumn<QString>("says");
        row("none: halves 25 -> 12 -> 6 -> 3 and walks on", u""_s, SnmpWalker::End::Completed, 10, u""_s);
        row("more variables than asked", u"extra"_s, SnmpWalker::End::BadResponse, 9, u"at most 3 were asked"_s);
        row("no variables", u"empty"_s, SnmpWalker::End::BadResponse, 6, u"with no variables"_s);
        row("out of order", u"backwards"_s, SnmpWalker::End::NotIncreasing, 7, u"does not follow it"_s);
        row("exception in the middle", u"exception"_s, SnmpWalker::End::BadResponse, 7, u"noSuchInstance"_s);
        row("endOfMibView", u"end"_s, SnmpWalker::End::EndOfMibView, 7, u""_s);
    }
    void fakeAgentAnswers()
    {
        QFETCH(QString, fault);
        QUdpSocket fake;
        QVERIFY(fake.bind(QHostAddress::LocalHost, 0));
        const SnmpOid root{1, 3, 6, 1, 4, 1, 99999};
        constexpr int kObjects = 10;
        QList<int> asked;
        connect(&fake, &QUdpSocket::readyRead, this, [&] {
            while (fake.hasPendingDatagrams()) {
                const QNetworkDatagram datagram = fake.receiveDatagram();
                const auto message = SnmpDecodeMessage(datagram.data());
                if (!message || message->pdu.type != SNMP_PDU_GETBULK)
                    continue;
                SnmpMessage answer = *message;
                answer.pdu.type = SNMP_PDU_RESPONSE;
                const int repetitions = message->pdu.errorIndex;
                asked << repetitions;
                answer.pdu.errorStatus = answer.pdu.errorIndex = 0;
                answer.pdu.varbinds.clear();
                const SnmpOid from0 = message->pdu.varbinds.front().oid;
                const quint32 first = from0.size() > root.size() ? from0.ids[root.size()] + 1 : 1;
                const bool misbehave = first == 7 && !fault.isEmpty();
                if (repetitions > 4) {
                    answer.pdu.errorStatus = 1; // tooBig
                } else if (misbehave && fault == u"empty") {
                    // nothing at all
                } else {
                    const int count = misbehave && fault == u"extra" ? repetitions + 2 : repetitions;
                    for (int i = 0; i < count; ++i) {
                        const quint32 n = first + quint32(i);
                        SnmpOid next = root;
                        next.ids.push_back(misbehave && fault == u"backwards" && i == 1 ? 2 : n);
                        SnmpValue value = SnmpValue::integer(qint32(n));
                        if (misbehave && i == 1 && fault == u"exception")
                            value = SnmpValue::bytes(SNMP_SYNTAX_NOSUCHINSTANCE, {});
                        if (misbehave && i == 1 && fault == u"end")
                            value = SnmpValue::bytes(SNMP_SYNTAX_ENDOFMIBVIEW, {});
                        if (n > kObjects)
                            answer.pdu.varbinds.push_back({{1, 3, 6, 1, 4, 1, 100000}, SnmpValue::integer(0)});
                        else
                            answer.pdu.varbinds.push_back({next, value});
                    }
                }
                fake.writeDatagram(SnmpEncodeMessage(answer), datagram.senderAddress(), datagram.senderPort());
            }
        });
        SnmpWalker walker;
        const WalkResult r = runWalk(walker, v2c(fake.localPort()), root.toString(), {.timeoutMs = 2000});
        QTEST(r.end, "end");
        QTEST(int(r.lines.size()), "listed");
        QFETCH(QString, says);
        QVERIFY2(says.isEmpty() ? r.message.isEmpty() : r.message.contains(says), qPrintable(r.message));
        QCOMPARE(asked.mid(0, 4), (QList<int>{25, 12, 6, 3}));
        QVERIFY(std::all_of(asked.begin() + 3, asked.end(), [](int n) { return n == 3; }));
    }

    // The poller names an unknown SNMPv3 user, also while polls go out more
    // often than the timeout. Its answers (Counter64 as it is, several
    // objects, through SNMPv1 and SNMPv3), an error answer through SNMPv2c
    // and a silent agent: tst_monitor, through the window.
    void pollerNamesUnknownUser()
    {
        SnmpPoller poller;
        QSignalSpy failed(&poller, &SnmpPoller::failed);
        QVERIFY(poller.start(at(v3("nobody-here", SnmpSecurityLevel::NoAuthNoPriv)), {u"1.3.6.1.2.1.2.1.0"_s}, 800));
        QTimer polling;
        connect(&polling, &QTimer::timeout, &poller, &SnmpPoller::poll);
        poller.poll();
        polling.start(300);
        QVERIFY(failed.wait(5000));
        QVERIFY2(failed.first().at(1).toString().contains(u"does not know the user"_s), qPrintable(failed.first().at(1).toString()));
        QVERIFY(!poller.isRunning());
    }
};

QTEST_GUILESS_MAIN(TestSnmpWalker)
#include "tst_snmpwalker.moc"
