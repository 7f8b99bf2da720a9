// The message codec of the stack layer: decoding what agents send, the
// SNMPv1-to-SNMPv2 trap conversion, OID parsing and the layer's last error.

#include "snmpstack.h"

#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>

Q_DECLARE_METATYPE(SnmpOid)
Q_DECLARE_METATYPE(SnmpValue)

class TestSnmpCodec : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void v1Conversion_data();
    void v1Conversion();
    void v1TrapRoundTrip();
    void v2TrapRoundTrip_data();
    void v2TrapRoundTrip();
    void opaqueFloatKeepsOriginalBytes_data();
    void opaqueFloatKeepsOriginalBytes();
    void unknownSyntaxIsKept();
    void truncatedMessagesDecodeToNothing();
    void versionAndTypeRules_data();
    void versionAndTypeRules();
    void strToOid_data();
    void strToOid();
    void encodable_data();
    void encodable();
    void local8BitLimit_data();
    void local8BitLimit();
    void restartAfterCleanup();
    void addressText_data();
    void addressText();
    void emptyCommunity();
};

namespace {

SnmpPdu v1Trap(qint32 generic, qint32 specific)
{
    SnmpPdu p;
    p.type = SNMP_PDU_V1TRAP;
    p.enterprise = {1, 3, 6, 1, 4, 1, 8072, 9999, 1};
    p.agentAddress = QByteArray("\x0a\x01\x02\x03", 4);
    p.genericTrap = generic;
    p.specificTrap = specific;
    p.timeStamp = 12345;
    p.varbinds.push_back({{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 1, 0}, SnmpValue::unsignedValue(SNMP_SYNTAX_CNTR32, 7)});
    p.varbinds.push_back({{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 2, 1}, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "payload")});
    return p;
}

SnmpMessage v2Trap(const SnmpVarList &extra, quint32 type = SNMP_PDU_TRAP)
{
    SnmpMessage m;
    m.version = SNMP_VERSION_V2C;
    m.community = "public";
    m.pdu.type = type;
    m.pdu.requestId = 4711;
    m.pdu.varbinds.push_back({SnmpOids::sysUpTime0(), SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, 99)});
    m.pdu.varbinds.push_back({SnmpOids::snmpTrapOid0(), SnmpValue::objectId({1, 3, 6, 1, 4, 1, 8072, 9999, 1, 0, 1})});
    m.pdu.varbinds.insert(m.pdu.varbinds.end(), extra.begin(), extra.end());
    return m;
}

QByteArray encode(const SnmpMessage &m)
{
    quint32 error = 0;
    QByteArray bytes = SnmpEncodeMessage(m, &error);
    if (bytes.isEmpty())
        qWarning("encoding failed with %u", error);
    return bytes;
}

} // namespace

void TestSnmpCodec::initTestCase()
{
    QVERIFY(SnmpStartup());
}

void TestSnmpCodec::cleanupTestCase()
{
    SnmpCleanup();
}

void TestSnmpCodec::v1Conversion_data()
{
    QTest::addColumn<int>("generic");
    QTest::addColumn<int>("specific");
    QTest::addColumn<SnmpOid>("trapOid");
    QTest::newRow("coldStart") << 0 << 0 << SnmpOid{1, 3, 6, 1, 6, 3, 1, 1, 5, 1};
    QTest::newRow("warmStart") << 1 << 0 << SnmpOid{1, 3, 6, 1, 6, 3, 1, 1, 5, 2};
    QTest::newRow("linkDown") << 2 << 0 << SnmpOid{1, 3, 6, 1, 6, 3, 1, 1, 5, 3};
    QTest::newRow("linkUp") << 3 << 0 << SnmpOid{1, 3, 6, 1, 6, 3, 1, 1, 5, 4};
    QTest::newRow("authenticationFailure") << 4 << 0 << SnmpOid{1, 3, 6, 1, 6, 3, 1, 1, 5, 5};
    QTest::newRow("egpNeighborLoss ignores specific") << 5 << 9 << SnmpOid{1, 3, 6, 1, 6, 3, 1, 1, 5, 6};
    QTest::newRow("enterpriseSpecific") << 6 << 17 << SnmpOid{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 0, 17};
    QTest::newRow("enterpriseSpecific 0") << 6 << 0 << SnmpOid{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 0, 0};
    QTest::newRow("out-of-range generic") << 7 << 3 << SnmpOid{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 0, 3};
}

void TestSnmpCodec::v1Conversion()
{
    QFETCH(int, generic);
    QFETCH(int, specific);
    QFETCH(SnmpOid, trapOid);
    const SnmpPdu in = v1Trap(generic, specific);
    const SnmpPdu out = SnmpConvertV1Trap(in, "sec ret");
    QCOMPARE(out.type, quint32(SNMP_PDU_TRAP));
    QCOMPARE(out.errorStatus, 0);
    QCOMPARE(out.varbinds.size(), size_t(7));
    QCOMPARE(out.varbinds[0].oid, SnmpOids::sysUpTime0());
    QCOMPARE(out.varbinds[0].value, SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, 12345));
    QCOMPARE(out.varbinds[1].oid, SnmpOids::snmpTrapOid0());
    QCOMPARE(out.varbinds[1].value, SnmpValue::objectId(trapOid));
    QCOMPARE(out.varbinds[2], in.varbinds[0]);
    QCOMPARE(out.varbinds[3], in.varbinds[1]);
    QCOMPARE(out.varbinds[4].oid, (SnmpOid{1, 3, 6, 1, 6, 3, 18, 1, 3, 0}));
    QCOMPARE(out.varbinds[4].value, SnmpValue::bytes(SNMP_SYNTAX_IPADDR, QByteArray("\x0a\x01\x02\x03", 4)));
    QCOMPARE(out.varbinds[5].oid, (SnmpOid{1, 3, 6, 1, 6, 3, 18, 1, 4, 0}));
    QCOMPARE(out.varbinds[5].value, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "sec ret"));
    QCOMPARE(out.varbinds[6].oid, (SnmpOid{1, 3, 6, 1, 6, 3, 1, 1, 4, 3, 0}));
    QCOMPARE(out.varbinds[6].value, SnmpValue::objectId(in.enterprise));
}

void TestSnmpCodec::v1TrapRoundTrip()
{
    SnmpMessage m;
    m.version = SNMP_VERSION_V1;
    m.community = "public";
    m.pdu = v1Trap(6, 42);
    const QByteArray bytes = encode(m);
    QVERIFY(!bytes.isEmpty());
    const auto decoded = SnmpDecodeMessage(bytes);
    QVERIFY(decoded);
    QCOMPARE(decoded->version, int(SNMP_VERSION_V1));
    QCOMPARE(decoded->community, QByteArray("public"));
    QCOMPARE(decoded->pdu, m.pdu);
}

void TestSnmpCodec::v2TrapRoundTrip_data()
{
    QTest::addColumn<SnmpValue>("value");
    QTest::newRow("int") << SnmpValue::integer(-100000);
    QTest::newRow("counter64") << SnmpValue::counter(0xfedcba9876543210ULL);
    QTest::newRow("empty octets") << SnmpValue::bytes(SNMP_SYNTAX_OCTETS, {});
    QTest::newRow("binary octets") << SnmpValue::bytes(SNMP_SYNTAX_OCTETS, QByteArray("\x00\xff\x10", 3));
    QTest::newRow("long octets") << SnmpValue::bytes(SNMP_SYNTAX_OCTETS, QByteArray(3000, 'q'));
    QTest::newRow("oid") << SnmpValue::objectId({1, 3, 6, 1, 4294967295u});
    QTest::newRow("ipaddress") << SnmpValue::bytes(SNMP_SYNTAX_IPADDR, QByteArray("\x7f\x00\x00\x01", 4));
    QTest::newRow("gauge") << SnmpValue::unsignedValue(SNMP_SYNTAX_GAUGE32, 4294967295u);
    QTest::newRow("uint32") << SnmpValue::unsignedValue(SNMP_SYNTAX_UINT32, 1);
    QTest::newRow("plain opaque") << SnmpValue::bytes(SNMP_SYNTAX_OPAQUE, QByteArray("\x01\x02", 2));
    QTest::newRow("null") << SnmpValue();
}

void TestSnmpCodec::v2TrapRoundTrip()
{
    QFETCH(SnmpValue, value);
    const SnmpMessage m = v2Trap({{{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 3, 0}, value}});
    const auto decoded = SnmpDecodeMessage(encode(m));
    QVERIFY(decoded);
    QCOMPARE(decoded->version, int(SNMP_VERSION_V2C));
    QCOMPARE(decoded->pdu, m.pdu);
}

void TestSnmpCodec::opaqueFloatKeepsOriginalBytes_data()
{
    QTest::addColumn<QByteArray>("inner");
    // net-snmp's agent wraps laLoadFloat like this (1.0f)
    QTest::newRow("float") << QByteArray("\x9f\x78\x04\x3f\x80\x00\x00", 7);
    QTest::newRow("double") << QByteArray("\x9f\x79\x08\x3f\xf0\x00\x00\x00\x00\x00\x00", 11);
    QTest::newRow("int64") << QByteArray("\x9f\x7a\x01\xff", 4);
    QTest::newRow("uint64") << QByteArray("\x9f\x7b\x02\x01\x00", 5);
    QTest::newRow("counter64") << QByteArray("\x9f\x76\x01\x05", 4);
}

void TestSnmpCodec::opaqueFloatKeepsOriginalBytes()
{
    QFETCH(QByteArray, inner);
    const SnmpValue opaque = SnmpValue::bytes(SNMP_SYNTAX_OPAQUE, inner);
    const SnmpMessage m = v2Trap({{{1, 3, 6, 1, 4, 1, 2021, 10, 1, 6, 1}, opaque}});
    const auto decoded = SnmpDecodeMessage(encode(m));
    QVERIFY(decoded);
    QCOMPARE(decoded->pdu.varbinds.size(), size_t(3));
    QCOMPARE(decoded->pdu.varbinds[2].value.syntax, quint32(SNMP_SYNTAX_OPAQUE));
    QCOMPARE(decoded->pdu.varbinds[2].value.octets.toHex(), inner.toHex());
}

void TestSnmpCodec::unknownSyntaxIsKept()
{
    // A value with an application tag net-snmp does not know (0x48) must
    // not make the whole trap disappear.
    const QByteArray marker("MARKER");
    const SnmpMessage m = v2Trap({{{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 4, 0}, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, marker)},
                                  {{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 5, 0}, SnmpValue::integer(5)}});
    QByteArray bytes = encode(m);
    const qsizetype at = bytes.indexOf(marker);
    QVERIFY(at > 2);
    QCOMPARE(bytes[at - 2], '\x04');
    bytes[at - 2] = '\x48';
    const auto decoded = SnmpDecodeMessage(bytes);
    QVERIFY(decoded);
    QCOMPARE(decoded->pdu.varbinds.size(), size_t(4));
    QCOMPARE(decoded->pdu.varbinds[2].value.syntax, 0x48u);
    QCOMPARE(decoded->pdu.varbinds[2].value.octets, marker);
    QCOMPARE(decoded->pdu.varbinds[3].value, SnmpValue::integer(5));
}

void TestSnmpCodec::truncatedMessagesDecodeToNothing()
{
    SnmpMessage v1;
    v1.version = SNMP_VERSION_V1;
    v1.community = "public";
    v1.pdu = v1Trap(6, 1);
    for (const QByteArray &bytes : {encode(v1), encode(v2Trap({})), encode(v2Trap({}, SNMP_PDU_INFORM))}) {
        QVERIFY(!bytes.isEmpty());
        QVERIFY(SnmpDecodeMessage(bytes));
        for (qsizetype n = 0; n < bytes.size(); ++n)
            QVERIFY2(!SnmpDecodeMessage(bytes.left(n)), qPrintable(QStringLiteral("prefix of %1 bytes").arg(n)));
    }
}

void TestSnmpCodec::versionAndTypeRules_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<quint32>("type");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("v1 get") << int(SNMP_VERSION_V1) << quint32(SNMP_PDU_GET) << true;
    QTest::newRow("v1 response") << int(SNMP_VERSION_V1) << quint32(SNMP_PDU_RESPONSE) << true;
    QTest::newRow("v1 trap2") << int(SNMP_VERSION_V1) << quint32(SNMP_PDU_TRAP) << false;
    QTest::newRow("v1 inform") << int(SNMP_VERSION_V1) << quint32(SNMP_PDU_INFORM) << false;
    QTest::newRow("v2c trap2") << int(SNMP_VERSION_V2C) << quint32(SNMP_PDU_TRAP) << true;
    QTest::newRow("v2c inform") << int(SNMP_VERSION_V2C) << quint32(SNMP_PDU_INFORM) << true;
    QTest::newRow("v2c response") << int(SNMP_VERSION_V2C) << quint32(SNMP_PDU_RESPONSE) << true;
}

void TestSnmpCodec::versionAndTypeRules()
{
    QFETCH(int, version);
    QFETCH(quint32, type);
    QFETCH(bool, accepted);
    // Build as v2c (net-snmp refuses to encode a v2 PDU in v1), then set the
    // version byte: the decoder must judge the combination itself.
    SnmpMessage m = v2Trap({}, type);
    QByteArray bytes = encode(m);
    QVERIFY(!bytes.isEmpty());
    const qsizetype versionAt = bytes.indexOf(QByteArray("\x02\x01\x01", 3));
    QVERIFY(versionAt >= 0 && versionAt < 6);
    bytes[versionAt + 2] = char(version);
    const auto decoded = SnmpDecodeMessage(bytes);
    QCOMPARE(bool(decoded), accepted);
    if (decoded)
        QCOMPARE(decoded->pdu.type, type);
}

void TestSnmpCodec::strToOid_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<SnmpOid>("oid");
    QTest::newRow("plain") << "1.3.6.1.2.1.1.1.0" << true << SnmpOid{1, 3, 6, 1, 2, 1, 1, 1, 0};
    QTest::newRow("leading dot") << ".1.3.6" << true << SnmpOid{1, 3, 6};
    QTest::newRow("surrounding blanks") << " 1.3 " << true << SnmpOid{1, 3};
    QTest::newRow("max sub-id") << "1.3.4294967295" << true << SnmpOid{1, 3, 4294967295u};
    QTest::newRow("empty") << "" << false << SnmpOid{};
    QTest::newRow("name") << "sysDescr.0" << false << SnmpOid{};
    QTest::newRow("double dot") << "1..3" << false << SnmpOid{};
    QTest::newRow("trailing dot") << "1.3." << false << SnmpOid{};
    QTest::newRow("sub-id too big") << "1.3.4294967296" << false << SnmpOid{};
    QTest::newRow("negative") << "1.-3" << false << SnmpOid{};
    QString long128, long129;
    for (int i = 0; i < 129; ++i) {
        if (i < 128)
            long128 += (i ? QStringLiteral(".1") : QStringLiteral("1"));
        long129 += (i ? QStringLiteral(".1") : QStringLiteral("1"));
    }
    QTest::newRow("128 sub-ids") << long128 << true << SnmpOid(std::vector<quint32>(128, 1));
    QTest::newRow("129 sub-ids") << long129 << false << SnmpOid{};
}

void TestSnmpCodec::strToOid()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(SnmpOid, oid);
    SnmpSetLastError(SNMPAPI_SUCCESS);
    SnmpOid out{9, 9};
    QCOMPARE(SnmpStrToOid(text, out), valid);
    if (valid) {
        QCOMPARE(out, oid);
        QCOMPARE(SnmpGetLastError(), quint32(SNMPAPI_SUCCESS));
    } else {
        QCOMPARE(out, (SnmpOid{9, 9}));
        QCOMPARE(SnmpGetLastError(), quint32(SNMPAPI_OID_INVALID));
    }
}

void TestSnmpCodec::encodable_data()
{
    QTest::addColumn<SnmpOid>("oid");
    QTest::addColumn<bool>("encodable");
    QTest::newRow("empty") << SnmpOid{} << false;
    QTest::newRow("single") << SnmpOid{1} << true;
    QTest::newRow("0.39") << SnmpOid{0, 39} << true;
    QTest::newRow("1.40") << SnmpOid{1, 40} << false;
    QTest::newRow("2.999") << SnmpOid{2, 999} << true;
    QTest::newRow("3.1") << SnmpOid{3, 1} << false;
}

void TestSnmpCodec::encodable()
{
    QFETCH(SnmpOid, oid);
    QFETCH(bool, encodable);
    QCOMPARE(SnmpOidIsEncodable(oid), encodable);
}

void TestSnmpCodec::local8BitLimit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("short") << "public" << 1024 << QByteArray("public");
    QTest::newRow("exactly at the limit") << "abcd" << 4 << QByteArray("abcd");
    QTest::newRow("cut") << "abcdef" << 4 << QByteArray("abcd");
    // "東" is three bytes: a cut inside it drops it whole
    QTest::newRow("cut inside a character") << QString::fromUtf8("ab東") << 4 << QByteArray("ab");
    QTest::newRow("cut after a character") << QString::fromUtf8("ab東x") << 5 << QString::fromUtf8("ab東").toUtf8();
    QTest::newRow("1024-byte community") << QString(2000, u'c') << 1024 << QByteArray(1024, 'c');
}

void TestSnmpCodec::local8BitLimit()
{
    QFETCH(QString, text);
    QFETCH(int, limit);
    QFETCH(QByteArray, bytes);
    QCOMPARE(SnmpToLocal8Bit(text, limit), bytes);
}

void TestSnmpCodec::restartAfterCleanup()
{
    // the last clean-up really shuts the library down; a later start-up
    // must bring it back whole
    SnmpCleanup();
    QVERIFY(!SnmpIsStarted());
    QVERIFY(SnmpStartup());
    QVERIFY(SnmpIsStarted());
    QVERIFY(SnmpDecodeMessage(encode(v2Trap({}))));
}

void TestSnmpCodec::addressText_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("text");
    QTest::newRow("ipv4") << "192.0.2.7" << "192.0.2.7";
    QTest::newRow("ipv6") << "2001:db8::1" << "2001:db8::1";
    QTest::newRow("ipv6 loopback") << "::1" << "::1";
    QTest::newRow("ipv4-mapped") << "::ffff:192.0.2.7" << "192.0.2.7";
    QTest::newRow("ipv4-compatible stays ipv6") << "::c000:207" << "::192.0.2.7";
}

void TestSnmpCodec::addressText()
{
    QFETCH(QString, address);
    QFETCH(QString, text);
    sockaddr_storage storage{};
    size_t length = 0;
    if (!address.contains(u':')) {
        auto *in = reinterpret_cast<sockaddr_in *>(&storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(162);
        QCOMPARE(inet_pton(AF_INET, address.toLatin1().constData(), &in->sin_addr), 1);
        length = sizeof(sockaddr_in);
    } else {
        auto *in6 = reinterpret_cast<sockaddr_in6 *>(&storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(162);
        QCOMPARE(inet_pton(AF_INET6, address.toLatin1().constData(), &in6->sin6_addr), 1);
        length = sizeof(sockaddr_in6);
    }
    QCOMPARE(SnmpAddressText(reinterpret_cast<const sockaddr *>(&storage), length), text);
    // a length too short for the family is not read beyond
    QCOMPARE(SnmpAddressText(reinterpret_cast<const sockaddr *>(&storage), 2), QString());
}

void TestSnmpCodec::emptyCommunity()
{
    SnmpMessage m = v2Trap({});
    m.community.clear();
    const auto decoded = SnmpDecodeMessage(encode(m));
    QVERIFY(decoded);
    QVERIFY(decoded->community.isEmpty());
    QCOMPARE(decoded->pdu, m.pdu);
}

QTEST_GUILESS_MAIN(TestSnmpCodec)
#include "tst_snmpcodec.moc"
