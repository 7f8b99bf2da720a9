// The trap port under hostile input and its bind failures: random and
// truncated datagrams and the largest ones UDP carries must be dropped
// without a crash and without a notification, and a valid trap sent after
// them must still arrive. A port in use and a privileged port must say why.

#include "i18n.h"
#include "snmpsession.h"
#include "snmpstack.h"
#include "snmptestpeers.h"
#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace SnmpTest;

class TestSnmpTrapRobustness : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void hostileDatagramsAreDroppedAndValidTrapStillArrives();
    void portInUseNamesIt_data();
    void portInUseNamesIt();
    void privilegedPortNamesRootAndCapability();
    void receiveBufferIsSized();
    void emptyCommunityGivesEmptyText();
    void portZeroIsRefused();
    void portInUseInJapanese();

private:
    // Sends each datagram from one socket; gives how many went out.
    int sendAll(const std::vector<QByteArray> &datagrams, int family);
    QByteArray validTrap(quint32 sequence, quint32 type = SNMP_PDU_TRAP);

    QTemporaryDir m_dir;
    CSnmpSession *m_session = nullptr;
    NotifyLog *m_log = nullptr;
    quint16 m_port = 0;
};

namespace {
constexpr quint32 kSeed = 20261206;
constexpr int kRandomDatagrams = 3000;
constexpr int kLargestIpv4Datagram = 65507;
const SnmpOid kSeq0{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 1, 0};
} // namespace

void TestSnmpTrapRobustness::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_port = TestSupport::freeUdpPort();
    QVERIFY(m_port);
    m_session = new CSnmpSession(this, m_port);
    m_session->setTrapAddresses({QStringLiteral("127.0.0.1"), QStringLiteral("::1")});
    m_log = new NotifyLog(m_session);
    QCOMPARE(m_session->Initialise(QStringLiteral("127.0.0.1")), 1);
    QVERIFY2(m_session->RegisterTraps() == 1, qPrintable(m_session->trapFailureText()));
}

void TestSnmpTrapRobustness::cleanupTestCase()
{
    delete m_session;
}

QByteArray TestSnmpTrapRobustness::validTrap(quint32 sequence, quint32 type)
{
    SnmpMessage m;
    m.version = type == SNMP_PDU_V1TRAP ? SNMP_VERSION_V1 : SNMP_VERSION_V2C;
    m.community = "public";
    m.pdu.type = type;
    if (type == SNMP_PDU_V1TRAP) {
        m.pdu.enterprise = {1, 3, 6, 1, 4, 1, 8072, 9999, 1};
        m.pdu.agentAddress = QByteArray("\x7f\x00\x00\x01", 4);
        m.pdu.genericTrap = 6;
        m.pdu.specificTrap = 1;
        m.pdu.timeStamp = 100;
    } else {
        m.pdu.requestId = static_cast<qint32>(sequence);
        m.pdu.varbinds.push_back({SnmpOids::sysUpTime0(), SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, 100)});
        m.pdu.varbinds.push_back({SnmpOids::snmpTrapOid0(), SnmpValue::objectId({1, 3, 6, 1, 4, 1, 8072, 9999, 1, 0, 1})});
    }
    m.pdu.varbinds.push_back({kSeq0, SnmpValue::unsignedValue(SNMP_SYNTAX_CNTR32, sequence)});
    m.pdu.varbinds.push_back({{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 2, 1}, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, QByteArray(40, 'p'))});
    return SnmpEncodeMessage(m);
}

int TestSnmpTrapRobustness::sendAll(const std::vector<QByteArray> &datagrams, int family)
{
    const int fd = ::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int buffer = 4 * 1024 * 1024;
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof(buffer));
    sockaddr_storage to{};
    socklen_t length = 0;
    if (family == AF_INET) {
        auto *in = reinterpret_cast<sockaddr_in *>(&to);
        in->sin_family = AF_INET;
        in->sin_port = htons(m_port);
        in->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof(sockaddr_in);
    } else {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&to);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(m_port);
        in6->sin6_addr = in6addr_loopback;
        length = sizeof(sockaddr_in6);
    }
    int sent = 0;
    for (const QByteArray &d : datagrams) {
        if (::sendto(fd, d.constData(), static_cast<size_t>(d.size()), 0, reinterpret_cast<sockaddr *>(&to), length)
            == d.size())
            ++sent;
    }
    ::close(fd);
    return sent;
}

void TestSnmpTrapRobustness::hostileDatagramsAreDroppedAndValidTrapStillArrives()
{
    QRandomGenerator random(kSeed);
    const std::vector<QByteArray> valid{validTrap(1), validTrap(2, SNMP_PDU_V1TRAP), validTrap(3, SNMP_PDU_INFORM)};
    for (const QByteArray &v : valid)
        QVERIFY(!v.isEmpty());

    std::vector<QByteArray> hostile;
    for (int i = 0; i < kRandomDatagrams; ++i) {
        const int kind = i % 4;
        QByteArray d;
        if (kind == 0) { // random bytes
            d.resize(random.bounded(0, 1500));
            for (char &c : d)
                c = char(random.bounded(256));
        } else if (kind == 1) { // a valid message cut short
            const QByteArray &v = valid[size_t(random.bounded(int(valid.size())))];
            d = v.left(random.bounded(int(v.size())));
        } else if (kind == 2) { // a valid start, random bytes after it, cut short
            // (random bytes inside a whole message could still spell a
            // valid trap, e.g. in an OCTET STRING; a cut one never does)
            const QByteArray &v = valid[size_t(random.bounded(int(valid.size())))];
            d = v;
            const int from = random.bounded(2, int(v.size()));
            for (int j = from; j < d.size(); ++j)
                d[j] = char(random.bounded(256));
            d.truncate(random.bounded(from, int(v.size())));
        } else { // a SEQUENCE announcing more than it holds
            d = QByteArray("\x30\x84\x7f\xff\xff\xff\x02\x01\x01\x04\x06public\xa7", 18);
            d.append(QByteArray(random.bounded(0, 64), char(random.bounded(256))));
        }
        hostile.push_back(d);
    }
    // the largest datagrams IPv4 carries: random, and shaped like a message
    for (int i = 0; i < 4; ++i) {
        QByteArray big(kLargestIpv4Datagram, '\0');
        for (char &c : big)
            c = char(random.bounded(256));
        if (i % 2) {
            const QByteArray head("\x30\x83\x00\xff\xfc\x02\x01\x01\x04\x06public\xa7\x83\x00\xff\xef", 22);
            big.replace(0, head.size(), head);
        }
        hostile.push_back(big);
    }

    const SnmpTrapStatistics before = m_session->trapStatistics();
    const size_t receivedBefore = m_log->count(SNMPN_RECEIVED);
    const int sent4 = sendAll(hostile, AF_INET);
    QCOMPARE(sent4, int(hostile.size()));
    // some over IPv6 as well, where the host has it
    const std::vector<QByteArray> someOver6(hostile.begin(), hostile.begin() + 200);
    const int sent6 = qMax(0, sendAll(someOver6, AF_INET6));
    const quint64 sent = quint64(sent4) + quint64(sent6);

    // every datagram read (or counted as dropped by the kernel) and handled
    QTRY_COMPARE_WITH_TIMEOUT(m_session->trapStatistics().datagrams + m_session->trapStatistics().kernelDrops
                                  - before.datagrams - before.kernelDrops,
                              sent, 30000);
    auto handled = [&] {
        const SnmpTrapStatistics s = m_session->trapStatistics();
        return s.malformed + s.ignored + s.delivered + s.queueDrops;
    };
    QTRY_COMPARE_WITH_TIMEOUT(handled(), m_session->trapStatistics().datagrams, 30000);
    const SnmpTrapStatistics after = m_session->trapStatistics();
    QCOMPARE(after.delivered, before.delivered);
    QVERIFY(after.malformed > before.malformed);
    QCOMPARE(m_log->count(SNMPN_RECEIVED), receivedBefore);
    QCOMPARE(m_log->count(SNMPN_RECV_ERROR), size_t(0));
    qInfo("hostile datagrams: %llu sent, %llu malformed, %llu ignored, %llu dropped by the kernel",
          sent, after.malformed - before.malformed, after.ignored - before.ignored,
          after.kernelDrops - before.kernelDrops);

    // the port still works: our own trap, then one from net-snmp's snmptrap
    QCOMPARE(sendAll({validTrap(424242)}, AF_INET), 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(SNMPN_RECEIVED), receivedBefore + 1, 15000);
    const SnmpPdu pdu = m_log->of(SNMPN_RECEIVED).back().payload.received.pdu;
    const SnmpValue *seq = findValue(pdu, kSeq0);
    QVERIFY(seq);
    QCOMPARE(seq->number, 424242u);

    if (!TestSupport::findProgram(QStringLiteral("snmptrap")).isEmpty()) {
        const ToolResult r = runTool(QStringLiteral("snmptrap"),
                                     {QStringLiteral("-v2c"), QStringLiteral("-c"), QStringLiteral("public"),
                                      QStringLiteral("-m"), QString(), QStringLiteral("127.0.0.1:%1").arg(m_port),
                                      QString(), QStringLiteral("1.3.6.1.4.1.8072.9999.1.0.9")},
                                     m_dir.path() + QStringLiteral("/tools"));
        QVERIFY2(r.started && r.exitCode == 0, qPrintable(r.output));
        QTRY_COMPARE_WITH_TIMEOUT(m_log->count(SNMPN_RECEIVED), receivedBefore + 2, 15000);
    }
}

void TestSnmpTrapRobustness::portInUseNamesIt_data()
{
    QTest::addColumn<bool>("byOurOwnSession");
    QTest::newRow("plain socket holds it") << false;
    QTest::newRow("another trap session holds it") << true;
}

void TestSnmpTrapRobustness::portInUseNamesIt()
{
    QFETCH(bool, byOurOwnSession);
    quint16 port = m_port;
    int holder = -1;
    if (!byOurOwnSession) {
        port = TestSupport::freeUdpPort();
        holder = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        QVERIFY(holder >= 0);
        sockaddr_in in{};
        in.sin_family = AF_INET;
        in.sin_port = htons(port);
        in.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::bind(holder, reinterpret_cast<sockaddr *>(&in), sizeof(in)), 0);
    }
    CSnmpSession second(nullptr, port);
    second.setTrapAddresses({QStringLiteral("127.0.0.1")});
    second.Initialise(QStringLiteral("127.0.0.1"));
    QCOMPARE(second.RegisterTraps(), 0);
    if (holder >= 0)
        ::close(holder);
    QVERIFY(!second.isReceivingTraps());
    QCOMPARE(second.lastError(), quint32(SNMPAPI_TL_IN_USE));
    QCOMPARE(SnmpGetLastError(), quint32(SNMPAPI_TL_IN_USE));
    const QString text = second.trapFailureText();
    QVERIFY2(text.contains(QStringLiteral("UDP port %1").arg(port)), qPrintable(text));
    QVERIFY2(text.contains(SnmpErrorText(SNMPAPI_TL_IN_USE)), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("snmptrapd")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("trap_port")) && text.contains(QLatin1String("DATA/Config.xml")), qPrintable(text));
    // the first session was not disturbed
    QVERIFY(m_session->isReceivingTraps());
}

void TestSnmpTrapRobustness::privilegedPortNamesRootAndCapability()
{
    QFile start(QStringLiteral("/proc/sys/net/ipv4/ip_unprivileged_port_start"));
    if (start.open(QIODevice::ReadOnly) && start.readAll().trimmed().toInt() <= 162)
        QSKIP("this kernel lets every user bind port 162 (net.ipv4.ip_unprivileged_port_start)");
    QString helper = QStringLiteral(SNMP_TRAP_BIND_HELPER);
    QString program = helper;
    QStringList arguments{QStringLiteral("162"), QStringLiteral("127.0.0.1")};
    // The build tree may sit below a folder that nobody cannot enter (a
    // checkout under /root): run a copy from a folder everybody can read.
    QTemporaryDir shared;
    if (::geteuid() == 0 && shared.isValid()) {
        const QString copy = shared.path() + QStringLiteral("/bindhelper");
        const auto readExec = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
        if (QFile::copy(helper, copy) && QFile::setPermissions(copy, readExec)
            && QFile::setPermissions(shared.path(), readExec))
            helper = copy;
    }
    if (::geteuid() == 0) {
        // as root the bind would succeed: drop to nobody for this one run
        const QString setpriv = TestSupport::findProgram(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            QSKIP("running as root and setpriv (util-linux) is missing, so no unprivileged user to try with");
        program = setpriv;
        arguments = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                QStringLiteral("--clear-groups"), helper} + arguments;
    }
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    QVERIFY2(p.waitForStarted(10000), qPrintable(p.errorString()));
    QVERIFY(p.waitForFinished(30000));
    const QString out = QString::fromUtf8(p.readAll());
    if (!out.contains(QLatin1String("code=")) && !out.contains(QLatin1String("bound"))
        && (out.contains(QLatin1String("error while loading shared libraries"))
            || out.contains(QLatin1String("Permission denied"))))
        QSKIP(qPrintable(QStringLiteral("the helper cannot run as nobody here: ") + out));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(out.contains(QStringLiteral("code=%1").arg(SNMPAPI_TL_NOT_AVAILABLE)), qPrintable(out));
    QVERIFY2(out.contains(QLatin1String("UDP port 162")), qPrintable(out));
    QVERIFY2(out.contains(QLatin1String("root")) && out.contains(QLatin1String("cap_net_bind_service")), qPrintable(out));
    QVERIFY2(out.contains(QLatin1String("trap_port")) && out.contains(QLatin1String("DATA/Config.xml")), qPrintable(out));
}

void TestSnmpTrapRobustness::receiveBufferIsSized()
{
    const SnmpTrapStatistics s = m_session->trapStatistics();
    QFile rmemMax(QStringLiteral("/proc/sys/net/core/rmem_max"));
    QVERIFY(rmemMax.open(QIODevice::ReadOnly));
    const int limit = rmemMax.readAll().trimmed().toInt();
    // The kernel doubles what it grants. Without privilege it caps the
    // request at rmem_max; root (with CAP_NET_ADMIN, which a container may
    // withhold) gets all of it.
    const int capped = 2 * qMin(limit, 8 * 1024 * 1024);
    const int forced = 2 * 8 * 1024 * 1024;
    if (::geteuid() == 0 && s.receiveBufferBytes != capped)
        QCOMPARE(s.receiveBufferBytes, forced);
    else
        QCOMPARE(s.receiveBufferBytes, capped);
}

void TestSnmpTrapRobustness::emptyCommunityGivesEmptyText()
{
    SnmpMessage m = *SnmpDecodeMessage(validTrap(77));
    m.community.clear();
    const QByteArray bytes = SnmpEncodeMessage(m);
    QVERIFY(!bytes.isEmpty());
    const size_t before = m_log->count(SNMPN_RECEIVED);
    QCOMPARE(sendAll({bytes}, AF_INET), 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_log->count(SNMPN_RECEIVED), before + 1, 15000);
    const tagSNMPRECEIVED r = m_log->of(SNMPN_RECEIVED).back().payload.received;
    QVERIFY(r.strCommunity.isEmpty());
    QVERIFY(r.community.isEmpty());
    QCOMPARE(r.strAgent, QStringLiteral("127.0.0.1"));
    QCOMPARE(findValue(r.pdu, kSeq0)->number, 77u);
}

void TestSnmpTrapRobustness::portZeroIsRefused()
{
    CSnmpSession s(nullptr, 0);
    s.setTrapAddresses({QStringLiteral("127.0.0.1")});
    QCOMPARE(s.RegisterTraps(), 0);
    QCOMPARE(s.lastError(), quint32(SNMPAPI_TL_INVALID_PARAM));
    QVERIFY2(s.trapFailureText().contains(QLatin1String("trap_port")), qPrintable(s.trapFailureText()));
}

void TestSnmpTrapRobustness::portInUseInJapanese()
{
    QVERIFY(Orvelle::installTranslations(QCoreApplication::instance(), QLocale(QLocale::Japanese, QLocale::Japan)));
    CSnmpSession second(nullptr, m_port);
    second.setTrapAddresses({QStringLiteral("127.0.0.1")});
    QCOMPARE(second.RegisterTraps(), 0);
    const QString text = second.trapFailureText();
    const auto translators = QCoreApplication::instance()->findChildren<QTranslator *>();
    for (QTranslator *t : translators)
        QCoreApplication::removeTranslator(t);
    QVERIFY2(text.contains(QString::fromUtf8("トラップを受信できません")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("UDP ポート %1").arg(m_port)), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("trap_port")) && text.contains(QLatin1String("snmptrapd")), qPrintable(text));
    // the error text inside is the (English) text of the Japanese table
    QVERIFY2(text.contains(QLatin1String("VIVARuz: Transport layer source endpoint is in use.")), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestSnmpTrapRobustness)
#include "tst_snmptraprobustness.moc"
