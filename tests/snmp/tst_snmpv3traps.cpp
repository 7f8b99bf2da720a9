// SNMPv3 traps and informs through CSnmpSession's trap port, sent by
// net-snmp's snmptrap and snmpinform on loopback, and the reasons counted
// for what is dropped, with the sender each was last seen from.

#include "snmpdpeer.h"
#include "snmplocalengine.h"
#include "snmpsession.h"
#include "testsupport.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <thread>

using namespace Qt::StringLiterals;
using TestSupport::row;
using Reason = SnmpDropReason;

Q_DECLARE_METATYPE(SnmpDropReason)

namespace {

constexpr int kWaitMs = 15000;
constexpr quint32 kFloodDatagrams = 3000;
// what a busy machine may take from the event loop, far from a flood's cost
// at one localization per datagram without slicing
constexpr qint64 kLongestGapMs = 500;
// the whole flood, some 10 µs a datagram; a megabyte of hashing per
// datagram (a key made from a passphrase) would take seconds
constexpr qint64 kFloodMs = 3000;
const QString kAuthPass = u"v3-auth-pass-1"_s;
const QString kPrivPass = u"v3-priv-pass-2"_s;
const QString kFixedEngine = u"8000000001fe0102"_s; // the engine ID configured for "fixed"
const QString kTrapOid = u"1.3.6.1.4.1.8072.9999.1.0.1"_s;

QList<SnmpTrapUser> users()
{
    using A = SnmpAuthProtocol;
    using P = SnmpPrivProtocol;
    using L = SnmpSecurityLevel;
    return {{{u"priv"_s, L::AuthPriv, A::SHA1, kAuthPass, P::AES128, kPrivPass, {}}, {}},
            {{u"auth"_s, L::AuthNoPriv, A::SHA256, kAuthPass, P::AES128, {}, {}}, {}},
            {{u"strong"_s, L::AuthPriv, A::SHA512, kAuthPass, P::AES256, kPrivPass, {}}, {}},
            {{u"fixed"_s, L::AuthNoPriv, A::MD5, kAuthPass, P::DES, {}, {}}, QByteArray::fromHex(kFixedEngine.toLatin1())}};
}

// snmptrap's or snmpinform's arguments: user, level, protocols and passphrases.
QStringList credentials(const QString &user, const QString &auth, const QString &authPass, const QString &priv = {},
                        const QString &privPass = {})
{
    QStringList a{u"-v3"_s, u"-u"_s, user, u"-l"_s, priv.isEmpty() ? u"authNoPriv"_s : u"authPriv"_s,
                  u"-a"_s, auth, u"-A"_s, authPass};
    if (!priv.isEmpty())
        a << u"-x"_s << priv << u"-X"_s << privPass;
    return a;
}

} // namespace

class TestSnmpV3Traps : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_haveTools = !TestSupport::findProgram(u"snmptrap"_s).isEmpty()
            && !TestSupport::findProgram(u"snmpinform"_s).isEmpty();
        m_port = TestSupport::freeUdpPort();
        m_session = new CSnmpSession(this, m_port);
        m_session->setTrapAddresses({u"127.0.0.1"_s, u"::1"_s});
        m_session->setTrapUsers(users());
        connect(m_session, &CSnmpSession::snmpNotify, this, [this](SnmpNotifyCode code, const SnmpNotifyPayload &p) {
            if (code == SNMPN_RECEIVED)
                m_received.push_back(p.received);
        });
        QVERIFY2(m_session->RegisterTraps() == 1, qPrintable(m_session->trapFailureText()));
    }

    void notifications_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments"); // before the target; "%1": a fresh engine ID
        QTest::addColumn<int>("dropped");           // a reason, or -1: listed
        const QString e = u"-e"_s, id = u"%1"_s;
        const auto listed = -1;
        row("authPriv SHA/AES trap", u"snmptrap"_s, QStringList{e, id} + credentials(u"priv"_s, u"SHA"_s, kAuthPass, u"AES"_s, kPrivPass), listed);
        row("authPriv SHA/AES inform", u"snmpinform"_s, credentials(u"priv"_s, u"SHA"_s, kAuthPass, u"AES"_s, kPrivPass), listed);
        row("authNoPriv SHA-256 trap", u"snmptrap"_s, QStringList{e, id} + credentials(u"auth"_s, u"SHA-256"_s, kAuthPass), listed);
        row("authNoPriv SHA-256 inform", u"snmpinform"_s, credentials(u"auth"_s, u"SHA-256"_s, kAuthPass), listed);
        row("configured engine", u"snmptrap"_s, QStringList{e, kFixedEngine} + credentials(u"fixed"_s, u"MD5"_s, kAuthPass), listed);
        row("another engine than configured", u"snmptrap"_s, QStringList{e, id} + credentials(u"fixed"_s, u"MD5"_s, kAuthPass), int(Reason::UnknownUser));
        row("wrong auth passphrase", u"snmptrap"_s, QStringList{e, id} + credentials(u"priv"_s, u"SHA"_s, u"not-the-pass"_s, u"AES"_s, kPrivPass), int(Reason::AuthenticationFailure));
        row("unknown user", u"snmptrap"_s, QStringList{e, id} + credentials(u"nobody"_s, u"SHA"_s, kAuthPass), int(Reason::UnknownUser));
        row("wrong priv passphrase", u"snmptrap"_s, QStringList{e, id} + credentials(u"priv"_s, u"SHA"_s, kAuthPass, u"AES"_s, u"not-the-priv"_s), int(Reason::DecryptionFailure));
        row("noAuthNoPriv as an authPriv user", u"snmptrap"_s, QStringList{e, id, u"-v3"_s, u"-u"_s, u"priv"_s, u"-l"_s, u"noAuthNoPriv"_s}, int(Reason::AuthenticationFailure));
    }

    void notifications()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(int, dropped);
        if (!m_haveTools)
            QSKIP("snmptrap and snmpinform are not installed (Debian package snmp)");
        // every trap row is its own engine, learned anew
        const QString engine = u"80001f8804"_s + QString::number(++m_engines, 16).rightJustified(8, u'0');
        arguments.replaceInStrings(u"%1"_s, engine);
        const QString user = arguments.at(arguments.indexOf(u"-u"_s) + 1);
        const SnmpTrapStatistics before = m_session->trapStatistics();
        const size_t listedBefore = m_received.size();
        arguments << u"127.0.0.1:%1"_s.arg(m_port) << QString() << kTrapOid << kTrapOid + u".1"_s << u"s"_s << u"text"_s;
        const auto r = TestSupport::runSnmpTool(tool, arguments, m_dir.path());
        QVERIFY2(r.started, qPrintable(r.output));
        if (dropped < 0) {
            QVERIFY2(r.exitCode == 0, qPrintable(r.output)); // an inform's sender took the Response
            QTRY_COMPARE_WITH_TIMEOUT(m_received.size(), listedBefore + 1, kWaitMs);
            const tagSNMPRECEIVED &t = m_received.back();
            QCOMPARE(t.strSecurityName, user);
            QCOMPARE(t.strAgent, u"127.0.0.1"_s);
            QVERIFY(t.strCommunity.isEmpty());
            QCOMPARE(t.pdu.inform, tool == u"snmpinform"_s);
            QCOMPARE(t.pdu.varbinds.at(1).value.oid.toString(), kTrapOid);
            QCOMPARE(t.pdu.varbinds.at(2).value.octets, "text"_ba);
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(m_session->trapStatistics().drops[size_t(dropped)].count > before.drops[size_t(dropped)].count, kWaitMs);
            QVERIFY(m_session->trapStatistics().drops[size_t(dropped)].lastSender.startsWith(u"127.0.0.1:"_s));
        }
        QTRY_VERIFY(allHandled());
        QCOMPARE(m_received.size(), listedBefore + (dropped < 0 ? 1 : 0));
    }

    // A trap captured on its way and sent again: once listed, then a replay;
    // with one byte of its digest changed it never authenticates, nor as
    // from a flood of made-up engines, which leaves the event loop running.
    void replayAndForgedDigest()
    {
        if (!m_haveTools)
            QSKIP("snmptrap is not installed (Debian package snmp)");
        QUdpSocket capture;
        QVERIFY(capture.bind(QHostAddress::LocalHost, 0));
        const auto r = TestSupport::runSnmpTool(u"snmptrap"_s, QStringList{u"-e"_s, u"80001f8805aabbccdd"_s}
            + credentials(u"priv"_s, u"SHA"_s, kAuthPass, u"AES"_s, kPrivPass)
            + QStringList{u"127.0.0.1:%1"_s.arg(capture.localPort()), QString(), kTrapOid}, m_dir.path());
        QVERIFY2(r.exitCode == 0, qPrintable(r.output));
        QTRY_VERIFY(capture.hasPendingDatagrams());
        const QByteArray trap = capture.receiveDatagram().data();
        // the user name, then the 12 octets of HMAC-SHA-96
        const qsizetype digest = trap.indexOf("\x04\x04priv\x04\x0c"_ba);
        QVERIFY(digest > 0);
        QByteArray forged = trap;
        forged[digest + 8] = char(forged[digest + 8] ^ 0x01);

        const auto counts = [this] {
            const SnmpTrapStatistics s = m_session->trapStatistics();
            return std::pair{s.drops[size_t(Reason::AuthenticationFailure)].count, s.drops[size_t(Reason::NotInTimeWindow)].count};
        };
        const auto before = counts();
        const size_t listedBefore = m_received.size();
        for (const QByteArray &d : {forged, trap, trap})
            QVERIFY(capture.writeDatagram(d, QHostAddress::LocalHost, m_port) == d.size());
        QTRY_COMPARE_WITH_TIMEOUT(counts(), std::pair(before.first + 1, before.second + 1), kWaitMs);
        QTRY_VERIFY(allHandled());
        QCOMPARE(m_received.size(), listedBefore + 1);

        const qsizetype engine = trap.indexOf("\x04\x09\x80\x00\x1f\x88\x05\xaa\xbb\xcc\xdd"_ba) + 7;
        QVERIFY(engine > 7);
        const SnmpTrapStatistics flood = m_session->trapStatistics();
        QElapsedTimer clock;
        qint64 last = 0, longestGap = 0;
        QTimer beat;
        connect(&beat, &QTimer::timeout, this, [&] { longestGap = qMax(longestGap, clock.elapsed() - last); last = clock.elapsed(); });
        beat.start(5);
        clock.start();
        // sent from a thread of its own: only the receiving side may hold up this event loop
        std::thread sender([&trap, engine, port = m_port] {
            QUdpSocket out;
            for (quint32 i = 0; i < kFloodDatagrams; ++i) {
                QByteArray made = trap;
                made.replace(engine, 4, QByteArray(reinterpret_cast<const char *>(&i), 4));
                out.writeDatagram(made, QHostAddress::LocalHost, port);
            }
        });
        const auto joined = qScopeGuard([&sender] { sender.join(); });
        const auto read = [this] { return m_session->trapStatistics().datagrams + m_session->trapStatistics().kernelDrops; };
        QTRY_VERIFY_WITH_TIMEOUT(read() - flood.datagrams - flood.kernelDrops == kFloodDatagrams && allHandled(), kWaitMs);
        QCOMPARE(counts().first - before.first - 1, m_session->trapStatistics().datagrams - flood.datagrams);
        QVERIFY2(longestGap < kLongestGapMs && clock.elapsed() < kFloodMs,
                 qPrintable(u"longest gap %1 ms, flood %2 ms"_s.arg(longestGap).arg(clock.elapsed())));
        QCOMPARE(m_received.size(), listedBefore + 1);
    }

    void handMadeDatagrams_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<SnmpDropReason>("reason");
        QTest::addColumn<bool>("ipv6");
        row("not a sequence", "GET / HTTP/1.0\r\n\r\n"_ba, Reason::NotSnmp, false);
        row("a sequence without a version", "\x30\x03\x04\x01\x41"_ba, Reason::NotSnmp, true);
        row("SNMPv2c cut short", "\x30\x26\x02\x01\x01\x04\x06public\xa7\x19\x02\x01"_ba, Reason::BadBer, false);
        row("SNMPv2u", "\x30\x0b\x02\x01\x02\x04\x06public"_ba, Reason::UnsupportedVersion, false);
        row("SNMPv3 of another security model", "\x30\x16\x02\x01\x03\x30\x0d\x02\x01\x01\x02\x02\x05\xdc\x04\x01\x00\x02\x01\x04\x04\x00\x30\x00"_ba,
            Reason::UnsupportedVersion, false);
        row("SNMPv3 without security parameters", "\x30\x12\x02\x01\x03\x30\x0d\x02\x01\x01\x02\x02\x05\xdc\x04\x01\x00\x02\x01\x03"_ba,
            Reason::BadBer, true);
    }

    void handMadeDatagrams()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(SnmpDropReason, reason);
        QFETCH(bool, ipv6);
        QUdpSocket peer;
        if (!peer.bind(ipv6 ? QHostAddress::LocalHostIPv6 : QHostAddress::LocalHost, 0))
            QSKIP("no IPv6 loopback on this host");
        const quint64 before = m_session->trapStatistics().drops[size_t(reason)].count;
        QCOMPARE(peer.writeDatagram(datagram, peer.localAddress(), m_port), datagram.size());
        QTRY_COMPARE(m_session->trapStatistics().drops[size_t(reason)].count, before + 1);
        const QString sender = ipv6 ? u"[::1]:%1"_s : u"127.0.0.1:%1"_s;
        QCOMPARE(m_session->trapStatistics().drops[size_t(reason)].lastSender, sender.arg(peer.localPort()));
        QTRY_VERIFY(allHandled());
    }

    // The engine ID stays what agents were given; every start of reception
    // counts a boot, and an inform to the engine ID shown is taken.
    void engineIdKeptAndBootsGrow()
    {
        const QByteArray id = CSnmpSession::localEngineId();
        QVERIFY(SnmpLocalEngine::isValidEngineId(id));
        QVERIFY(quint8(id.at(0)) & 0x80); // RFC 3411: the enterprise form
        const quint32 boots = m_session->trapEngineBoots();
        QVERIFY(boots >= 1);
        QCOMPARE(m_session->UnregisterTraps(), 1);
        {
            CSnmpSession restarted(nullptr, m_port);
            restarted.setTrapAddresses({u"127.0.0.1"_s});
            QCOMPARE(restarted.RegisterTraps(), 1);
            QCOMPARE(restarted.trapEngineBoots(), boots + 1);
        }
        QCOMPARE(m_session->RegisterTraps(), 1);
        QCOMPARE(m_session->trapEngineBoots(), boots + 2);
        QCOMPARE(CSnmpSession::localEngineId(), id);
        if (!m_haveTools)
            QSKIP("snmpinform is not installed (Debian package snmp)");
        const bool ipv6 = QUdpSocket().bind(QHostAddress::LocalHostIPv6, 0);
        const size_t listedBefore = m_received.size();
        const auto r = TestSupport::runSnmpTool(u"snmpinform"_s, QStringList{u"-e"_s, QString::fromLatin1(id.toHex())}
            + credentials(u"strong"_s, u"SHA-512"_s, kAuthPass, u"AES-256"_s, kPrivPass)
            + QStringList{(ipv6 ? u"udp6:[::1]:%1"_s : u"127.0.0.1:%1"_s).arg(m_port), QString(), kTrapOid}, m_dir.path());
        QVERIFY2(r.exitCode == 0, qPrintable(r.output));
        QTRY_COMPARE(m_received.size(), listedBefore + 1);
        QCOMPARE(m_received.back().strAgent, ipv6 ? u"::1"_s : u"127.0.0.1"_s);
    }

    void cleanupTestCase()
    {
        delete m_session;
        // nothing this process wrote holds a passphrase
        for (const auto location : {QStandardPaths::GenericDataLocation, QStandardPaths::GenericConfigLocation}) {
            QDirIterator files(QStandardPaths::writableLocation(location), QDir::Files, QDirIterator::Subdirectories);
            while (files.hasNext()) {
                const QByteArray bytes = TestSupport::readFile(files.next());
                QVERIFY2(!bytes.contains(kAuthPass.toUtf8()) && !bytes.contains(kPrivPass.toUtf8()), qPrintable(files.filePath()));
            }
        }
        QVERIFY(QFile::exists(SnmpLocalEngine::stateFilePath()));
    }

private:
    // Every datagram read is accounted for once, and malformed is the sum of
    // the reasons that are not overflows.
    bool allHandled() const
    {
        const SnmpTrapStatistics s = m_session->trapStatistics();
        quint64 reasons = 0;
        for (size_t i = 0; i < size_t(Reason::KernelOverflow); ++i)
            reasons += s.drops[i].count;
        return reasons == s.malformed
            && s.malformed + s.ignored + s.delivered + s.queueDrops + s.informDuplicates == s.datagrams;
    }

    QTemporaryDir m_dir;
    CSnmpSession *m_session = nullptr;
    std::vector<tagSNMPRECEIVED> m_received;
    quint16 m_port = 0;
    int m_engines = 0;
    bool m_haveTools = false;
};

QTEST_GUILESS_MAIN(TestSnmpV3Traps)
#include "tst_snmpv3traps.moc"
