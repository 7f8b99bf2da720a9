// The SNMP layer's parts without peers: the message codec (decoding, the
// SNMPv1-to-SNMPv2 trap conversion, OID parsing, the last error), the trap
// port's own BER reader and writer that answers informs, and the text forms
// of values and errors in English and Japanese.

#include "i18n.h"
#include "snmpinformack.h"
#include "snmprender.h"
#include "snmpstack.h"
#include "testsupport.h"

#include <QTest>
#include <QTranslator>

#include <netinet/in.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(SnmpOid)
Q_DECLARE_METATYPE(SnmpValue)
Q_DECLARE_METATYPE(SnmpMessage)

namespace {

const SnmpOid kEnterprise{1, 3, 6, 1, 4, 1, 8072, 9999, 1};
const SnmpOid kVar{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 3, 0};
const QString kUntouched = u"untouched"_s;

using TestSupport::row;

SnmpMessage v2Message(const SnmpVarList &extra, quint32 type = SNMP_PDU_TRAP, const QByteArray &community = "public")
{
    SnmpMessage m;
    m.version = SNMP_VERSION_V2C;
    m.community = community;
    m.pdu.type = type;
    m.pdu.requestId = 4711;
    m.pdu.varbinds = {{SnmpOids::sysUpTime0(), SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, 99)},
                      {SnmpOids::snmpTrapOid0(), SnmpValue::objectId({1, 3, 6, 1, 4, 1, 8072, 9999, 1, 0, 1})}};
    m.pdu.varbinds.insert(m.pdu.varbinds.end(), extra.begin(), extra.end());
    return m;
}

SnmpMessage v1Message(qint32 generic, qint32 specific)
{
    SnmpMessage m;
    m.community = "public";
    m.pdu.type = SNMP_PDU_V1TRAP;
    m.pdu.enterprise = kEnterprise;
    m.pdu.agentAddress = "\x0a\x01\x02\x03"_ba;
    m.pdu.genericTrap = generic;
    m.pdu.specificTrap = specific;
    m.pdu.timeStamp = 12345;
    m.pdu.varbinds = {{kVar, SnmpValue::unsignedValue(SNMP_SYNTAX_CNTR32, 7)},
                      {kVar, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "payload")}};
    return m;
}

// One BER element; `lengthBytes` forces the long length form.
QByteArray tlv(quint8 tag, const QByteArray &content, int lengthBytes = 0)
{
    QByteArray out(1, char(tag));
    if (lengthBytes == 0 && content.size() < 0x80) {
        out.append(char(content.size()));
    } else {
        const int n = qMax(lengthBytes, content.size() > 0xFF ? 2 : 1);
        out.append(char(0x80 | n));
        for (int i = n - 1; i >= 0; --i)
            out.append(char(i < 4 ? (content.size() >> (8 * i)) & 0xFF : 0));
    }
    return out + content;
}

// An inform built field by field, so that each row spoils one of them. The
// rows name only that field; GCC 12 warns about the others although their
// default member initializers apply.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
struct InformParts
{
    QByteArray version = tlv(0x02, "\x01");
    QByteArray community = tlv(0x04, "public");
    quint8 pduTag = 0xA6;
    QByteArray requestId = tlv(0x02, "\x12\x67");
    QByteArray errorFields = tlv(0x02, "\x00"_ba) + tlv(0x02, "\x00"_ba);
    QByteArray varbinds = tlv(0x30, tlv(0x06, "\x2b\x06\x01\x02\x01\x01\x03\x00"_ba) + tlv(0x43, "\x63"));
    QByteArray afterList;
    int lengthBytes = 0; // long form for the message, PDU and list lengths
    QByteArray trailer;
};

QByteArray build(const InformParts &p)
{
    const QByteArray pdu =
        tlv(p.pduTag, p.requestId + p.errorFields + tlv(0x30, p.varbinds, p.lengthBytes) + p.afterList, p.lengthBytes);
    return tlv(0x30, p.version + p.community + pdu, p.lengthBytes) + p.trailer;
}

QByteArray withValue(const QByteArray &value)
{
    InformParts p;
    p.varbinds = tlv(0x30, tlv(0x06, "\x2b\x06\x01") + value);
    return build(p);
}

} // namespace

class TestSnmpCodec : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(SnmpStartup()); }
    void cleanupTestCase() { SnmpCleanup(); }
    // An SNMPv1 trap as SNMPv2 lists it (decoded as it was built: the inform
    // test's "v1 trap").
    void v1Trap_data()
    {
        QTest::addColumn<int>("generic");
        QTest::addColumn<int>("specific");
        QTest::addColumn<SnmpOid>("trapOid");
        row("coldStart", 0, 0, SnmpOid{1, 3, 6, 1, 6, 3, 1, 1, 5, 1});
        row("egpNeighborLoss ignores specific", 5, 9, SnmpOid{1, 3, 6, 1, 6, 3, 1, 1, 5, 6});
        row("enterpriseSpecific", 6, 17, SnmpOid{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 0, 17});
        row("out-of-range generic", 7, 3, SnmpOid{1, 3, 6, 1, 4, 1, 8072, 9999, 1, 0, 3});
    }

    void v1Trap()
    {
        QFETCH(int, generic);
        QFETCH(int, specific);
        QFETCH(SnmpOid, trapOid);
        const SnmpMessage in = v1Message(generic, specific);
        const SnmpPdu out = SnmpConvertV1Trap(in.pdu, "sec ret");
        QCOMPARE(out.type, quint32(SNMP_PDU_TRAP));
        const SnmpVarList expected{
            {SnmpOids::sysUpTime0(), SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, 12345)},
            {SnmpOids::snmpTrapOid0(), SnmpValue::objectId(trapOid)},
            in.pdu.varbinds[0],
            in.pdu.varbinds[1],
            {{1, 3, 6, 1, 6, 3, 18, 1, 3, 0}, SnmpValue::bytes(SNMP_SYNTAX_IPADDR, "\x0a\x01\x02\x03"_ba)},
            {{1, 3, 6, 1, 6, 3, 18, 1, 4, 0}, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "sec ret")},
            {{1, 3, 6, 1, 6, 3, 1, 1, 4, 3, 0}, SnmpValue::objectId(kEnterprise)}};
        QCOMPARE(out.varbinds, expected);
    }

    // What net-snmp decodes and what the trap port's reader answers; a
    // message built here comes back as it was built.
    void informResponse_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("decoded");  // by net-snmp, for the GUI thread
        QTest::addColumn<bool>("answered"); // by the trap port's reader
        QTest::addColumn<SnmpMessage>("built"); // no varbinds: not built with v2Message
        const auto row = [](const char *name, const QByteArray &datagram, bool decoded, bool answered) {
            TestSupport::row(name, datagram, decoded, answered, SnmpMessage());
        };
        const auto built = [](const char *name, const SnmpVarList &extra, const QByteArray &community = "public") {
            const SnmpMessage m = v2Message(extra, SNMP_PDU_INFORM, community);
            TestSupport::row(name, SnmpEncodeMessage(m), true, true, m);
        };
        const auto opaque = [](const QByteArray &bytes) { return SnmpValue::bytes(SNMP_SYNTAX_OPAQUE, bytes); };
        built("net-snmp's inform, every syntax",
              {{kVar, SnmpValue::integer(INT32_MIN)}, {kVar, SnmpValue::counter(0xfedcba9876543210ULL)}, {kVar, SnmpValue()},
               {kVar, SnmpValue::bytes(SNMP_SYNTAX_IPADDR, "\x7f\0\0\1"_ba)}, {kVar, opaque("\x01\x02"_ba)},
               {kVar, SnmpValue::bytes(SNMP_SYNTAX_NOSUCHINSTANCE, {})}, {kVar, SnmpValue::objectId({2, 999, 4294967295u})}});
        built("empty octets, empty community", {{kVar, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, {})}}, QByteArray());
        built("long varbinds and community", {{kVar, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, QByteArray(3000, 'x'))}}, QByteArray(300, 'c'));
        // net-snmp unwraps these; they must come back as the Opaque bytes they were
        built("opaque float", {{kVar, opaque("\x9f\x78\x04\x3f\x80\x00\x00"_ba)}});
        built("opaque double", {{kVar, opaque("\x9f\x79\x08\x3f\xf0\x00\x00\x00\x00\x00\x00"_ba)}});
        built("opaque int64", {{kVar, opaque("\x9f\x7a\x01\xff"_ba)}});
        built("opaque uint64", {{kVar, opaque("\x9f\x7b\x02\x01\x00"_ba)}});
        built("opaque counter64", {{kVar, opaque("\x9f\x76\x01\x05"_ba)}});
        row("long-form lengths", build({.lengthBytes = 2}), true, true);
        row("negative request id", build({.requestId = tlv(0x02, "\x80\x00\x00\x00"_ba)}), true, true);
        row("no varbinds", build({.varbinds = {}}), true, true);
        row("error fields set", build({.errorFields = tlv(0x02, "\x05") + tlv(0x02, "\x01")}), true, true);
        // not informs, or not SNMPv2c: nothing to answer
        row("v2c trap", build({.pduTag = 0xA7}), true, false);
        TestSupport::row("v1 trap", SnmpEncodeMessage(v1Message(6, 17)), true, false, v1Message(6, 17));
        // a value with an application tag net-snmp does not know (0x48) must
        // not make the whole trap disappear
        SnmpMessage unknown = v2Message({{kVar, SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "MARKER")}, {kVar, SnmpValue::integer(5)}});
        QByteArray withUnknown = SnmpEncodeMessage(unknown);
        withUnknown[withUnknown.indexOf("MARKER") - 2] = '\x48';
        unknown.pdu.varbinds[2].value = SnmpValue::bytes(0x48, "MARKER");
        TestSupport::row("trap with an unknown syntax", withUnknown, true, false, unknown);
        row("v1 inform", build({.version = tlv(0x02, "\x00"_ba)}), false, false);
        // malformed, some of it past net-snmp: such an inform is listed but not
        // answered (random bytes and an inform announcing more than the
        // datagram holds: the session suite's hostile datagrams)
        row("empty", QByteArray(), false, false);
        row("trailing byte", build({.trailer = "x"}), true, false);
        row("5-byte length", build({.lengthBytes = 5}), true, false);
        row("indefinite length", "\x30\x80"_ba + build({}).mid(2) + "\0\0"_ba, false, false);
        row("community longer than message", build({.community = "\x04\x7fpublic"}), false, false);
        // INTEGERs in every form net-snmp reads
        row("version not minimal", build({.version = tlv(0x02, "\x00\x01"_ba)}), true, true);
        row("request id padded", build({.requestId = tlv(0x02, "\x00\x00\x00\x08"_ba)}), true, true);
        row("5-byte request id", build({.requestId = tlv(0x02, "\x01\x00\x00\x00\x00"_ba)}), true, true);
        row("8-byte INTEGER value", withValue(tlv(0x02, "\xff\xff\xff\xff\xff\xff\xff\xff"_ba)), true, true);
        row("5-byte Counter32 value", withValue(tlv(0x41, "\x01\x00\x00\x00\x05"_ba)), true, true);
        row("error index missing", build({.errorFields = tlv(0x02, "\x00"_ba)}), false, false);
        row("element after the list", build({.afterList = tlv(0x05, {})}), true, false);
        row("varbind not a sequence", build({.varbinds = tlv(0x04, "xy")}), false, false);
        row("varbind with a third element", withValue(tlv(0x05, {}) + tlv(0x05, {})), false, false);
        row("value past its varbind", withValue("\x04\x05xy"), false, false);
        row("multi-byte tag", withValue("\x5f\x01\x01"_ba), true, false);
        row("oid unfinished", withValue(tlv(0x06, "\x2b\x86")), false, false);
        row("oid padded", withValue(tlv(0x06, "\x2b\x80\x01")), true, false);
        row("oid sub-id above 32 bits", withValue(tlv(0x06, "\x2b\x90\x80\x80\x80\x00"_ba)), false, false);
        row("ipaddress of 3 bytes", withValue(tlv(0x40, "\x7f\x00\x01"_ba)), false, false);
        row("opaque float misshapen", withValue(tlv(0x44, "\x9f\x78\x05\x3f\x80\x00\x00\x00"_ba)), false, false);
    }

    void informResponse()
    {
        QFETCH(QByteArray, datagram);
        const auto inform = SnmpDecodeMessage(datagram);
        const auto ack = SnmpAcknowledgeInform(datagram);
        QTEST(bool(inform), "decoded");
        QTEST(bool(ack), "answered");
        QFETCH(SnmpMessage, built);
        if (!built.pdu.varbinds.empty()) {
            QCOMPARE(inform->version, built.version);
            QCOMPARE(inform->community, built.community);
            QCOMPARE(inform->pdu, built.pdu);
        }
        if (!ack)
            return;
        // what net-snmp makes of our answer is the inform made a Response
        const auto response = SnmpDecodeMessage(ack->response);
        QVERIFY(response);
        SnmpPdu answer = inform->pdu;
        answer.type = SNMP_PDU_RESPONSE;
        answer.errorStatus = answer.errorIndex = 0;
        QCOMPARE(response->pdu, answer);
        QCOMPARE(response->version, int(SNMP_VERSION_V2C));
        QCOMPARE(response->community, inform->community);
        QCOMPARE(ack->requestId, inform->pdu.requestId);
    }

    void informMemory()
    {
        using namespace std::chrono_literals;
        SnmpInformMemory memory;
        sockaddr_storage a{}, b{};
        auto *in = reinterpret_cast<sockaddr_in *>(&a);
        in->sin_family = AF_INET;
        in->sin_port = htons(40000);
        in->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        b = a;
        reinterpret_cast<sockaddr_in *>(&b)->sin_port = htons(40001);
        const auto t0 = SnmpInformMemory::Clock::time_point() + 1h;
        const socklen_t n = sizeof(sockaddr_in);
        const quint64 x = 11, y = 12; // contents
        QVERIFY(!memory.contains(a, n, 7, x, t0));
        memory.remember(a, n, 7, x, t0);
        QVERIFY(memory.contains(a, n, 7, x, t0 + 149s));
        QVERIFY(!memory.contains(a, n, 8, x, t0 + 1s)); // another request id
        QVERIFY(!memory.contains(b, n, 7, x, t0 + 1s)); // another port of the same host
        QVERIFY(!memory.contains(a, n, 7, y, t0 + 1s)); // other bytes: an agent restarted with ids from 1
        QVERIFY(!memory.contains(a, n, 7, x, t0 + 150s)); // too old: a new inform
        QCOMPARE(memory.size(), size_t(0));
        // a flood of distinct informs stays within the cap, the oldest forgotten
        for (qint32 id = 0; id < qint32(SnmpInformMemory::kMaxEntries) + 10; ++id)
            memory.remember(a, n, id, x, t0 + 200s);
        QCOMPARE(memory.size(), SnmpInformMemory::kMaxEntries);
        QVERIFY(!memory.contains(a, n, 9, x, t0 + 200s));
        QVERIFY(memory.contains(a, n, 10, x, t0 + 200s));
    }

    void strToOid_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<SnmpOid>("oid");
        QTest::addColumn<bool>("encodable");
        row("leading dot, blanks", " .1.3 ", true, SnmpOid{1, 3}, true);
        row("max sub-id", "2.999.4294967295", true, SnmpOid{2, 999, 4294967295u}, true);
        row("1.40", "1.40", true, SnmpOid{1, 40}, false);
        row("3.1", "3.1", true, SnmpOid{3, 1}, false);
        const QString ones = QStringList(128, u"1"_s).join(u'.');
        row("128 sub-ids", ones, true, SnmpOid(std::vector<quint32>(128, 1)), true);
        row("129 sub-ids", ones + u".1"_s, false, SnmpOid{}, false);
        row("empty", "", false, SnmpOid{}, false);
        row("name", "sysDescr.0", false, SnmpOid{}, false);
        row("double dot", "1..3", false, SnmpOid{}, false);
        row("sub-id too big", "1.3.4294967296", false, SnmpOid{}, false);
    }

    void strToOid()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(SnmpOid, oid);
        SnmpSetLastError(SNMPAPI_SUCCESS);
        SnmpOid out{9, 9};
        QCOMPARE(SnmpStrToOid(text, out), valid);
        QCOMPARE(out, valid ? oid : SnmpOid({9, 9}));
        QCOMPARE(SnmpGetLastError(), quint32(valid ? SNMPAPI_SUCCESS : SNMPAPI_OID_INVALID));
        QTEST(SnmpOidIsEncodable(oid), "encodable");
    }

    void local8BitLimit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QByteArray>("bytes");
        // "東" is three bytes: a cut inside it drops it whole
        row("cut inside a character", QString::fromUtf8("ab東"), 4, QByteArray("ab"));
        row("cut after a character", QString::fromUtf8("ab東x"), 5, QString::fromUtf8("ab東").toUtf8());
    }

    void local8BitLimit()
    {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QTEST(SnmpToLocal8Bit(text, limit), "bytes");
    }

    void render_data()
    {
        QTest::addColumn<SnmpValue>("value");
        QTest::addColumn<QString>("text"); // kUntouched: a syntax the layer does not know
        QTest::addColumn<QByteArray>("encoding"); // an agent's own; empty: none given
        const auto plain = [](const char *name, const SnmpValue &value, const QString &text) { row(name, value, text, QByteArray()); };
        auto octets = [](const QByteArray &b) { return SnmpValue::bytes(SNMP_SYNTAX_OCTETS, b); };
        auto ticks = [](quint32 t) { return SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, t); };
        constexpr quint32 kDay = 24u * 60 * 60 * 100;
        plain("int32 min", SnmpValue::integer(INT32_MIN), "-2147483648");
        plain("timeticks one day", ticks(kDay), "1 day 00h:00m:00s.00th");
        plain("timeticks below a day", ticks(kDay - 1), "0 days 23h:59m:59s.99th");
        plain("timeticks max", ticks(4294967295u), "497 days 02h:27m:52s.95th");
        plain("counter64 zero", SnmpValue::counter(0), "0");
        plain("counter64 max", SnmpValue::counter(~0ULL), "18446744073709551615");
        plain("octets empty", octets({}), "(zero-length)");
        plain("octets tab is binary", octets("a\tb"), "61.09.62 (hex)");
        plain("octets binary", octets("\x00\x1a\xff"_ba), "00.1a.ff (hex)");
        plain("octets DEL is binary", octets("a\x7f"), "61.7f (hex)");
        plain("octets japanese utf-8", octets(u"東京ラック7"_s.toUtf8()), u"東京ラック7"_s);
        plain("octets 4-byte utf-8", octets("\xf0\x9f\x98\x80"), "\U0001F600");
        plain("octets latin-1 is not utf-8", octets("caf\xe9"), "63.61.66.e9 (hex)");
        plain("octets overlong utf-8", octets("\xc0\xaf"), "c0.af (hex)");
        plain("octets utf-16 surrogate", octets("\xed\xa0\x80"), "ed.a0.80 (hex)");
        plain("octets above U+10FFFF", octets("\xf4\x90\x80\x80"), "f4.90.80.80 (hex)");
        // far beyond the 2,047 characters a fixed buffer would hold
        plain("1000 binary bytes", octets(QByteArray(1000, 1)), QString::fromLatin1(QByteArray(1000, 1).toHex('.') + " (hex)"));
        plain("bits", SnmpValue::bytes(SNMP_SYNTAX_BITS, "\x80\x01"), "80.01 (hex)");
        plain("opaque empty", SnmpValue::bytes(SNMP_SYNTAX_OPAQUE, {}), " (hex)");
        plain("ipaddress", SnmpValue::bytes(SNMP_SYNTAX_IPADDR, "\xc0\xa8\x00\xff"_ba), "192.168.0.255");
        plain("oid", SnmpValue::objectId({1, 3, 6, 1, 4294967295u}), "1.3.6.1.4294967295");
        plain("oid empty", SnmpValue::objectId({}), QString());
        plain("null", SnmpValue(), "NULL");
        plain("nosuchinstance", SnmpValue::bytes(0x81, {}), "noSuchInstance");
        plain("endofmibview", SnmpValue::bytes(0x82, {}), "endOfMibView");
        // a number in more bytes than its syntax holds, as it came in: shown as
        // its bytes, never as the low 32 bits net-snmp keeps; padding alone is no fault
        const auto decoded = [](const QByteArray &element) {
            const auto m = SnmpDecodeMessage(withValue(element));
            return m ? m->pdu.varbinds.back().value : SnmpValue();
        };
        plain("Counter32 of 4294967301", decoded(tlv(0x41, "\x01\x00\x00\x00\x05"_ba)), "01.00.00.00.05 (hex) (bad length)");
        plain("8-byte INTEGER", decoded(tlv(0x02, "\x00\x00\x00\x01\xff\xff\xff\xff"_ba)), "00.00.00.01.ff.ff.ff.ff (hex) (bad length)");
        plain("INTEGER -1 padded to 8 bytes", decoded(tlv(0x02, "\xff\xff\xff\xff\xff\xff\xff\xff"_ba)), "-1");
        plain("INTEGER 2^31 in 5 bytes", decoded(tlv(0x02, "\x00\x80\x00\x00\x00"_ba)), "00.80.00.00.00 (hex) (bad length)");
        plain("Gauge32 padded", decoded(tlv(0x42, "\x00\xff\xff\xff\xff"_ba)), "4294967295");
        for (quint32 syntax : {0x00u, 0x07u, 0x48u, 0x83u})
            plain(qPrintable(u"unknown 0x%1"_s.arg(syntax, 2, 16, QLatin1Char('0'))), SnmpValue::bytes(syntax, "x"), kUntouched);
        // in an agent's own encoding: text where every byte decodes, hex otherwise
        const QString tokyo = u"東京ラック7"_s;
        row("shift_jis", octets("\x93\x8c\x8b\x9e\x83\x89\x83\x62\x83\x4e\x37"_ba), tokyo, "Shift_JIS"_ba);
        row("euc-jp", octets("\xc5\xec\xb5\xfe\xa5\xe9\xa5\xc3\xa5\xaf\x37"_ba), tokyo, "EUC-JP"_ba);
        row("latin-1", octets("caf\xe9"_ba), u"café"_s, "ISO-8859-1"_ba);
        row("utf-8 named", octets("caf\xc3\xa9"_ba), u"café"_s, "UTF-8"_ba);
        row("shift_jis broken byte", octets("\x93"_ba), u"93 (hex)"_s, "Shift_JIS"_ba);
        row("control character stays binary", octets("a\x01"_ba), u"61.01 (hex)"_s, "ISO-8859-1"_ba);
        row("unknown encoding", octets("abc"_ba), u"61.62.63 (hex)"_s, "NO-SUCH-CODESET"_ba);
    }

    void render()
    {
        QFETCH(SnmpValue, value);
        QFETCH(QString, text);
        QFETCH(QByteArray, encoding);
        if (!encoding.isEmpty()) {
            QString out;
            QCOMPARE(ValueToText(value, out, encoding), 1);
            QCOMPARE(out, text);
            return;
        }
        static const std::map<quint32, QString> labels{
            {0x02, u"(int,int32)"_s}, {0x03, u"(bits)"_s}, {0x04, u"(octets)"_s}, {0x05, u"(null)"_s},
            {0x06, u"(oid)"_s}, {0x40, u"(ipaddr)"_s}, {0x41, u"(cntr32)"_s}, {0x42, u"(gauge32)"_s}, {0x43, u"(timeticks)"_s},
            {0x44, u"(opaque)"_s}, {0x46, u"(cntr64)"_s}, {0x81, u"(nosuchinstance)"_s}, {0x82, u"(endofmibview)"_s}};
        QString out = kUntouched;
        QCOMPARE(ValueToText(value, out), text == kUntouched ? 0 : 1);
        QCOMPARE(out, text);
        QString label = u"old"_s;
        out = kUntouched;
        QCOMPARE(RenderValue(value, label, out), 1);
        QCOMPARE(label, labels.count(value.syntax) ? labels.at(value.syntax) : QString());
        QCOMPARE(out, text);
    }

    void errorText_data()
    {
        QTest::addColumn<bool>("japanese");
        QTest::addColumn<bool>("errorStatus"); // ErrorStatusText, else SnmpErrorText
        QTest::addColumn<qint64>("code");
        QTest::addColumn<QString>("text");
        const QString unknown = u"VIVARuz: Unknown error."_s;
        // the table has gaps: 0, 1, 21 to 98, 110 to 198 and from 200 are unknown
        row("20", false, false, 20LL, "VIVARuz: Invalid Window handle.");
        row("21", false, false, 21LL, unknown);
        row("99", false, false, 99LL, "VIVARuz: For internal/undefined errors.");
        row("109", false, false, 109LL, "VIVARuz: PDU too big for send/receive");
        row("110", false, false, 110LL, unknown);
        row("199", false, false, 199LL, "VIVARuz: Transport layer undefined error.");
        row("200", false, false, 200LL, unknown);
        row("status 19", false, true, 19LL, QString());
        row("status 20", false, true, 20LL, unknown);
        row("status -1", false, true, -1LL, unknown);
        // the Japanese table translates one text and keeps the others English
        // (one of them: the session suite's trap port in use, in Japanese)
        row("ja 5", true, false, 5LL, u"VIVARuz: エンティティ パラメーターが無効です"_s);
    }

    void errorText()
    {
        QFETCH(bool, japanese);
        QFETCH(bool, errorStatus);
        QFETCH(qint64, code);
        QFETCH(QString, text);
        if (japanese)
            QVERIFY(Orvelle::installTranslations(qApp, QLocale(QLocale::Japanese, QLocale::Japan)));
        QString viaOut = u"x"_s;
        SnmpErrorText(quint32(code), viaOut);
        const QString got = errorStatus ? ErrorStatusText(qint32(code)) : SnmpErrorText(quint32(code));
        for (QTranslator *t : QCoreApplication::instance()->findChildren<QTranslator *>())
            QCoreApplication::removeTranslator(t);
        QCOMPARE(got, text);
        if (!errorStatus)
            QCOMPARE(viaOut, text);
    }
};

QTEST_GUILESS_MAIN(TestSnmpCodec)
#include "tst_snmpcodec.moc"
