// Value rendering and error texts, in English and Japanese.

#include "i18n.h"
#include "snmperror.h"
#include "snmprender.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

Q_DECLARE_METATYPE(SnmpValue)
Q_DECLARE_METATYPE(SnmpOid)

class TestSnmpRender : public QObject
{
    Q_OBJECT
private slots:
    void valueToText_data();
    void valueToText();
    void unknownSyntaxLeavesText();
    void syntaxLabel_data();
    void syntaxLabel();
    void renderValueSetsBoth();
    void oidToText_data();
    void oidToText();
    void longValuesAreWhole();
    void errorText_data();
    void errorText();
    void errorStatusText_data();
    void errorStatusText();
    void japaneseCatalogue();
};

namespace {
SnmpValue octets(const QByteArray &b) { return SnmpValue::bytes(SNMP_SYNTAX_OCTETS, b); }
SnmpValue ticks(quint32 t) { return SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, t); }
constexpr quint32 kDay = 24u * 60 * 60 * 100;
} // namespace

void TestSnmpRender::valueToText_data()
{
    QTest::addColumn<SnmpValue>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("int32 negative") << SnmpValue::integer(-5) << "-5";
    QTest::newRow("int32 min") << SnmpValue::integer(INT32_MIN) << "-2147483648";
    QTest::newRow("int32 max") << SnmpValue::integer(INT32_MAX) << "2147483647";
    QTest::newRow("counter32 max") << SnmpValue::unsignedValue(SNMP_SYNTAX_CNTR32, 4294967295u) << "4294967295";
    QTest::newRow("gauge32") << SnmpValue::unsignedValue(SNMP_SYNTAX_GAUGE32, 3000000000u) << "3000000000";
    QTest::newRow("uint32") << SnmpValue::unsignedValue(SNMP_SYNTAX_UINT32, 4294967295u) << "4294967295";
    QTest::newRow("timeticks 0") << ticks(0) << "0 days 00h:00m:00s.00th";
    QTest::newRow("timeticks one day") << ticks(kDay) << "1 day 00h:00m:00s.00th";
    QTest::newRow("timeticks two days and a hundredth") << ticks(2 * kDay + 1) << "2 days 00h:00m:00s.01th";
    QTest::newRow("timeticks just below a day") << ticks(kDay - 1) << "0 days 23h:59m:59s.99th";
    QTest::newRow("timeticks mixed") << ticks(kDay + 3600 * 100 + 61 * 100 + 7) << "1 day 01h:01m:01s.07th";
    QTest::newRow("timeticks max") << ticks(4294967295u) << "497 days 02h:27m:52s.95th";
    QTest::newRow("counter64 zero") << SnmpValue::counter(0) << "0.0 (hex)";
    QTest::newRow("counter64 halves") << SnmpValue::counter(0x00000001000000ffULL) << "1.ff (hex)";
    QTest::newRow("counter64 max") << SnmpValue::counter(~0ULL) << "ffffffff.ffffffff (hex)";
    QTest::newRow("octets empty") << octets({}) << "(zero-length)";
    QTest::newRow("octets text") << octets("abc") << "abc";
    QTest::newRow("octets tab is binary") << octets("a\tb") << "61.09.62 (hex)";
    QTest::newRow("octets binary") << octets(QByteArray("\x00\x1a\xff", 3)) << "00.1a.ff (hex)";
    QTest::newRow("octets DEL is binary") << octets("a\x7f") << "61.7f (hex)";
    QTest::newRow("octets japanese utf-8") << octets(QString::fromUtf8("東京ラック7").toUtf8())
                                           << QString::fromUtf8("東京ラック7");
    QTest::newRow("octets latin-1 is not utf-8") << octets("caf\xe9") << "63.61.66.e9 (hex)";
    QTest::newRow("octets truncated utf-8") << octets("\xe6\x9d") << "e6.9d (hex)";
    QTest::newRow("octets overlong utf-8") << octets("\xc0\xaf") << "c0.af (hex)";
    QTest::newRow("octets utf-16 surrogate") << octets("\xed\xa0\x80") << "ed.a0.80 (hex)";
    QTest::newRow("octets above U+10FFFF") << octets("\xf4\x90\x80\x80") << "f4.90.80.80 (hex)";
    QTest::newRow("octets 4-byte utf-8") << octets("\xf0\x9f\x98\x80") << QString::fromUtf8("\xf0\x9f\x98\x80");
    QTest::newRow("octets space only") << octets(" ") << " ";
    QTest::newRow("bits") << SnmpValue::bytes(SNMP_SYNTAX_BITS, QByteArray("\x80\x01", 2)) << "80.01 (hex)";
    QTest::newRow("opaque empty") << SnmpValue::bytes(SNMP_SYNTAX_OPAQUE, {}) << " (hex)";
    QTest::newRow("opaque float") << SnmpValue::bytes(SNMP_SYNTAX_OPAQUE, QByteArray("\x9f\x78\x04\x3f\x80\x00\x00", 7))
                                  << "9f.78.04.3f.80.00.00 (hex)";
    QTest::newRow("nsap") << SnmpValue::bytes(SNMP_SYNTAX_NSAPADDR, QByteArray("\x47\x00", 2)) << "47.00 (hex)";
    QTest::newRow("ipaddress") << SnmpValue::bytes(SNMP_SYNTAX_IPADDR, QByteArray("\xc0\xa8\x00\xff", 4)) << "192.168.0.255";
    QTest::newRow("oid") << SnmpValue::objectId({1, 3, 6, 1, 4294967295u}) << "1.3.6.1.4294967295";
    QTest::newRow("oid empty") << SnmpValue::objectId({}) << "";
    QTest::newRow("null") << SnmpValue() << "NULL";
    QTest::newRow("nosuchobject") << SnmpValue::bytes(SNMP_SYNTAX_NOSUCHOBJECT, {}) << "NOSUCHOBJECT";
    QTest::newRow("nosuchinstance") << SnmpValue::bytes(SNMP_SYNTAX_NOSUCHINSTANCE, {}) << "NOSUCHINSTANCE";
    QTest::newRow("endofmibview") << SnmpValue::bytes(SNMP_SYNTAX_ENDOFMIBVIEW, {}) << "ENDOFMIBVIEW";
}

void TestSnmpRender::valueToText()
{
    QFETCH(SnmpValue, value);
    QFETCH(QString, text);
    QString out = QStringLiteral("previous");
    QCOMPARE(ValueToText(value, out), 1);
    QCOMPARE(out, text);
}

void TestSnmpRender::unknownSyntaxLeavesText()
{
    for (quint32 syntax : {0x00u, 0x01u, 0x07u, 0x48u, 0x78u, 0x83u, 0xA0u}) {
        SnmpValue v = SnmpValue::bytes(syntax, "x");
        QString text = QStringLiteral("kept");
        QString label = QStringLiteral("old");
        QCOMPARE(ValueToText(v, text), 0);
        QCOMPARE(text, QStringLiteral("kept"));
        QCOMPARE(RenderValue(v, label, text), 1);
        QCOMPARE(text, QStringLiteral("kept"));
        QVERIFY2(label.isEmpty(), qPrintable(QString::number(syntax, 16)));
    }
}

void TestSnmpRender::syntaxLabel_data()
{
    QTest::addColumn<quint32>("syntax");
    QTest::addColumn<QString>("label");
    QTest::newRow("int") << 0x02u << "(int,int32)";
    QTest::newRow("bits") << 0x03u << "(bits)";
    QTest::newRow("octets") << 0x04u << "(octets)";
    QTest::newRow("null") << 0x05u << "(null)";
    QTest::newRow("oid") << 0x06u << "(oid)";
    QTest::newRow("ipaddr") << 0x40u << "(ipaddr)";
    QTest::newRow("cntr32") << 0x41u << "(cntr32)";
    QTest::newRow("gauge32") << 0x42u << "(gauge32)";
    QTest::newRow("timeticks") << 0x43u << "(timeticks)";
    QTest::newRow("opaque") << 0x44u << "(opaque)";
    QTest::newRow("nsapaddr") << 0x45u << "(nsapaddr)";
    QTest::newRow("cntr64") << 0x46u << "(cntr64)";
    QTest::newRow("uint32") << 0x47u << "(uint32)";
    QTest::newRow("nosuchobject") << 0x80u << "(nosuchobject)";
    QTest::newRow("nosuchinstance") << 0x81u << "(nosuchinstance)";
    QTest::newRow("endofmibview") << 0x82u << "(endofmibview)";
    QTest::newRow("below table") << 0x01u << "";
    QTest::newRow("gap") << 0x07u << "";
    QTest::newRow("after uint32") << 0x48u << "";
    QTest::newRow("after endofmibview") << 0x83u << "";
}

void TestSnmpRender::syntaxLabel()
{
    QFETCH(quint32, syntax);
    QFETCH(QString, label);
    QString out = QStringLiteral("x");
    SyntaxLabel(syntax, out);
    QCOMPARE(out, label);
}

void TestSnmpRender::renderValueSetsBoth()
{
    QString label, text;
    QCOMPARE(RenderValue(SnmpValue::unsignedValue(SNMP_SYNTAX_CNTR32, 7), label, text), 1);
    QCOMPARE(label, QStringLiteral("(cntr32)"));
    QCOMPARE(text, QStringLiteral("7"));
}

void TestSnmpRender::oidToText_data()
{
    QTest::addColumn<SnmpOid>("oid");
    QTest::addColumn<QString>("text");
    QTest::newRow("sysUpTime") << SnmpOid{1, 3, 6, 1, 2, 1, 1, 3, 0} << "1.3.6.1.2.1.1.3.0";
    QTest::newRow("zeros") << SnmpOid{0, 0} << "0.0";
    QTest::newRow("empty") << SnmpOid{} << "";
    QTest::newRow("max sub-id") << SnmpOid{1, 4294967295u} << "1.4294967295";
}

void TestSnmpRender::oidToText()
{
    QFETCH(SnmpOid, oid);
    QFETCH(QString, text);
    QString out = QStringLiteral("x");
    OidToText(oid, out);
    QCOMPARE(out, text);
    QCOMPARE(OidToText(oid), text);
}

void TestSnmpRender::longValuesAreWhole()
{
    // far beyond the 2,047 characters a fixed buffer would hold
    const QByteArray binary(1000, '\x01');
    QString text;
    QCOMPARE(ValueToText(SnmpValue::bytes(SNMP_SYNTAX_OCTETS, binary), text), 1);
    QCOMPARE(text.size(), 1000 * 3 - 1 + 6);
    QVERIFY(text.endsWith(QLatin1String("01.01 (hex)")));
    const QByteArray longText(5000, 'z');
    QCOMPARE(ValueToText(SnmpValue::bytes(SNMP_SYNTAX_OCTETS, longText), text), 1);
    QCOMPARE(text, QString::fromLatin1(longText));
}

void TestSnmpRender::errorText_data()
{
    QTest::addColumn<quint32>("code");
    QTest::addColumn<QString>("text");
    const QString unknown = QStringLiteral("VIVARuz: Unknown error.");
    QTest::newRow("0") << 0u << unknown;
    QTest::newRow("1") << 1u << unknown;
    QTest::newRow("2") << 2u << "VIVARuz: Memory allocation error";
    QTest::newRow("5") << 5u << "VIVARuz: Invalid entity parameter";
    QTest::newRow("9") << 9u << "VIVARuz: Invalid OID Parameter";
    QTest::newRow("20") << 20u << "VIVARuz: Invalid Window handle.";
    QTest::newRow("21") << 21u << unknown;
    QTest::newRow("98") << 98u << unknown;
    QTest::newRow("99") << 99u << "VIVARuz: For internal/undefined errors.";
    QTest::newRow("106") << 106u << "VIVAruz: Transport layer Input parameter invalid.";
    QTest::newRow("107") << 107u << "VIVARuz: Transport layer source endpoint is in use.";
    QTest::newRow("108") << 108u << "VIVARuz: Transport layer receive timeout.";
    QTest::newRow("109") << 109u << "VIVARuz: PDU too big for send/receive";
    QTest::newRow("110") << 110u << unknown;
    QTest::newRow("198") << 198u << unknown;
    QTest::newRow("199") << 199u << "VIVARuz: Transport layer undefined error.";
    QTest::newRow("200") << 200u << unknown;
    QTest::newRow("huge") << 0xFFFFFFFFu << unknown;
}

void TestSnmpRender::errorText()
{
    QFETCH(quint32, code);
    QFETCH(QString, text);
    QCOMPARE(SnmpErrorText(code), text);
    QString out = QStringLiteral("x");
    SnmpErrorText(code, out);
    QCOMPARE(out, text);
}

void TestSnmpRender::errorStatusText_data()
{
    QTest::addColumn<qint32>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << "no error";
    QTest::newRow("2") << 2 << "no such name";
    QTest::newRow("4") << 4 << "read-only";
    QTest::newRow("17") << 17 << "not writable";
    QTest::newRow("18") << 18 << "inconsistent name";
    QTest::newRow("19") << 19 << "";
    QTest::newRow("20") << 20 << "VIVARuz: Unknown error.";
    QTest::newRow("-1") << -1 << "VIVARuz: Unknown error.";
    QTest::newRow("min") << INT32_MIN << "VIVARuz: Unknown error.";
}

void TestSnmpRender::errorStatusText()
{
    QFETCH(qint32, status);
    QFETCH(QString, text);
    QCOMPARE(ErrorStatusText(status), text);
}

void TestSnmpRender::japaneseCatalogue()
{
    QVERIFY(Orvelle::installTranslations(QCoreApplication::instance(), QLocale(QLocale::Japanese, QLocale::Japan)));
    const QString entity = SnmpErrorText(SNMPAPI_ENTITY_INVALID);
    QVERIFY2(entity.startsWith(QLatin1String("VIVARuz: ")), qPrintable(entity));
    QVERIFY2(entity != QLatin1String("VIVARuz: Invalid entity parameter"), qPrintable(entity));
    QVERIFY2(entity.contains(QString::fromUtf8("エンティティ")), qPrintable(entity));
    // every other code keeps its English text in the Japanese table
    QCOMPARE(SnmpErrorText(SNMPAPI_CONTEXT_UNKNOWN), QStringLiteral("VIVARuz: Unknown context parameter"));
    QCOMPARE(SnmpErrorText(SNMPAPI_TL_TIMEOUT), QStringLiteral("VIVARuz: Transport layer receive timeout."));
    QCOMPARE(SnmpErrorText(200), QStringLiteral("VIVARuz: Unknown error."));
    QCOMPARE(ErrorStatusText(2), QStringLiteral("no such name"));
    // back to English for anything after this
    const auto translators = QCoreApplication::instance()->findChildren<QTranslator *>();
    for (QTranslator *t : translators)
        QCoreApplication::removeTranslator(t);
    QCOMPARE(SnmpErrorText(SNMPAPI_ENTITY_INVALID), QStringLiteral("VIVARuz: Invalid entity parameter"));
}

QTEST_GUILESS_MAIN(TestSnmpRender)
#include "tst_snmprender.moc"
