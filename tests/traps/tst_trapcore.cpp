// The trap service's decisions without a network: how a trap is decoded and
// its OID split, the enterprise filter, the action's arguments, and the
// action runner against a real script.

#include "localecodec.h"
#include "testsupport.h"
#include "trapaction.h"
#include "trapfilter.h"
#include "trapreceiver.h"
#include "appsettings.h"
#include "snmpstack.h"

#include <QCoreApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

tagTRAPRECORD record(const QString &enterprise, qint32 specific = 0, quint32 severity = 0,
                     const QStringList &values = {})
{
    tagTRAPRECORD r;
    r.strEnterprise = enterprise;
    r.nSpecific = specific;
    r.nSeverity = severity;
    for (const QString &v : values) {
        tagTRAPVARBIND vb;
        vb.strValue = v;
        r.lstVarbinds.push_back(vb);
    }
    r.nVarbindCount = static_cast<qint32>(r.lstVarbinds.size());
    return r;
}

using TestSupport::recordedCalls;
using TestSupport::writeArgumentRecorder;

} // namespace

Q_DECLARE_METATYPE(SnmpVarList)

class TestTrapCore : public QObject
{
    Q_OBJECT

private slots:
    void decodeTrap_data()
    {
        QTest::addColumn<quint32>("type");
        QTest::addColumn<int>("errorStatus");
        QTest::addColumn<SnmpVarList>("varbinds");
        QTest::addColumn<bool>("listed");
        QTest::addColumn<QString>("enterprise");
        QTest::addColumn<int>("specific");
        QTest::addColumn<QString>("description");
        using TestSupport::row;
        const SnmpVarBind upTime{SnmpOids::sysUpTime0(), SnmpValue::unsignedValue(SNMP_SYNTAX_TIMETICKS, 5)};
        const auto trapOid = [&](const SnmpValue &v) { return SnmpVarList{upTime, {SnmpOids::snmpTrapOid0(), v}}; };
        const quint32 trap = SNMP_PDU_TRAP;
        row("trap OID that is not an OID", trap, 0, trapOid(SnmpValue::bytes(SNMP_SYNTAX_OCTETS, "x.1")), true, QString(), 0,
            QStringLiteral("x.1"));
        // how the trap OID splits into the enterprise and the specific number
        const auto split = [&](const char *name, const char *oid, const char *enterprise, int specific) {
            row(name, trap, 0, trapOid(SnmpValue::objectId(*SnmpOid::fromString(QString::fromLatin1(oid)))), true,
                QString::fromLatin1(enterprise), specific, QString::fromLatin1(oid));
        };
        split("v1 enterprise trap", "1.3.6.1.4.1.9.9.41.2.0.1", "9.9.41.2", 1);
        split("generic linkDown", "1.3.6.1.6.3.1.1.5.3", "1.3.6.1.6.3.1.1.5", 3);
        split("enterprises.311, seven ids", "1.3.6.1.4.1.311", "", 311);
        split("eight ids", "1.3.6.1.4.1.311.4", "", 4);
        split("specific above INT32_MAX wraps like a signed field", "1.3.6.1.6.3.1.1.5.4294967295", "1.3.6.1.6.3.1.1.5", -1);
        row("empty trap OID", trap, 0, trapOid(SnmpValue::objectId({})), true, QString(), 0, QString());
        row("error status: dropped", trap, 5, SnmpVarList{upTime}, false, QString(), 0, QString());
        row("not a trap: dropped", quint32(SNMP_PDU_RESPONSE), 0, SnmpVarList{upTime}, false, QString(), 0, QString());
    }

    void decodeTrap()
    {
        QFETCH(quint32, type);
        QFETCH(int, errorStatus);
        QFETCH(SnmpVarList, varbinds);
        CTrapReceiver receiver; // no database: names stay dotted, severity 0
        QSignalSpy records(&receiver, &CTrapReceiver::trapRecord);
        tagSNMPRECEIVED received;
        received.strAgent = QStringLiteral("192.0.2.1");
        received.strCommunity = QStringLiteral("c");
        received.pdu.type = type;
        received.pdu.errorStatus = errorStatus;
        received.pdu.varbinds = varbinds;
        receiver.DecodeTrap(received);
        QFETCH(bool, listed);
        QCOMPARE(records.size(), listed ? 1 : 0);
        if (!listed)
            return;
        const auto r = records.first().first().value<std::shared_ptr<tagTRAPRECORD>>();
        QTEST(r->strEnterprise, "enterprise");
        QTEST(int(r->nSpecific), "specific");
        QTEST(r->strDescription, "description");
        QCOMPARE(r->nVarbindCount, int(varbinds.size()));
        QCOMPARE(r->lstVarbinds.size(), varbinds.size());
        QCOMPARE(r->strAgent, QStringLiteral("192.0.2.1"));
        QCOMPARE(r->nSeverity, 0u);
    }

    void enterpriseFilter_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("enterprise");
        QTest::addColumn<bool>("passes");
        const QString two = QStringLiteral("  311 ;  9.9.41  ");
        QTest::newRow("empty shows all") << "" << "1.3.6.1.6.3.1.1.5" << true;
        QTest::newRow("311.1 by the first entry") << two << "311.1" << true;
        QTest::newRow("9.9.41.2 by the second entry") << two << "9.9.41.2" << true;
        QTest::newRow("generic traps dropped") << two << "1.3.6.1.6.3.1.1.5" << false;
        QTest::newRow("shorter enterprise than the entry") << two << "9.9.4" << false;
        QTest::newRow("plain text prefix: 9.9 passes 9.99.1") << "9.9" << "9.99.1" << true;
        QTest::newRow("leading ';' passes everything") << ";311" << "1.2" << true;
        QTest::newRow("trailing ';' only") << "311;" << "1.2" << false;
        QTest::newRow("empty enterprise only by an empty entry") << "311" << "" << false;
    }

    void enterpriseFilter()
    {
        QFETCH(QString, filter);
        QFETCH(QString, enterprise);
        QTEST(PassesEnterpriseFilter(filter, record(enterprise)), "passes");
    }

    void splitTemplate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("blanks separate") << " a  b\tc " << QStringList{"a", "b", "c"};
        QTest::newRow("quotes join with the word") << "x\"a b\"y" << QStringList{"xa by"};
        QTest::newRow("empty quotes are an argument") << "a \"\" b" << QStringList{"a", "", "b"};
        QTest::newRow("nothing is expanded") << "$HOME ~ *.csv \\n `x`" << QStringList{"$HOME", "~", "*.csv", "\\n", "`x`"};
        QTest::newRow("unterminated quote runs to the end") << "a \"b c" << QStringList{"a", "b c"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void splitTemplate()
    {
        QFETCH(QString, text);
        QTEST(SplitArgumentTemplate(text), "arguments");
    }

    void macros_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("expected");
        const QStringList three{"a", "b", "link down"};
        QTest::newRow("severity, specific, msg") << "%SEVERITY% %OID% %msg%" << three << "3 17 link_down";
        QTest::newRow("msg empty with two variables") << "[%msg%]" << QStringList{"a", "b"} << "[]";
        QTest::newRow("action is removed") << "x%action%y" << three << "xy";
        // a value that brings in a later macro is expanded by that later step
        QTest::newRow("msg bringing %AGENT%") << "%msg%" << QStringList{"a", "b", "%AGENT% x"} << "10.0.0.1_x";
        QTest::newRow("agent does not bring back msg") << "%CONTEXT%" << three << "%msg%";
    }

    void macros()
    {
        QFETCH(QString, argument);
        QFETCH(QStringList, values);
        tagTRAPRECORD r = record(QStringLiteral("9.9"), 17, 3, values);
        r.strAgent = QStringLiteral("10.0.0.1");
        r.strCommunity = QStringLiteral("%msg%");
        QTEST(ExpandActionMacros(argument, r), "expected");
    }

    // Macros and hostile texts are proven end to end in tst_trapview; here
    // what only a runner shows: the program starts in its own folder, and a
    // relative path is found from ours.
    void actionStartsInItsOwnFolder()
    {
        QTemporaryDir dir;
        const QString out = dir.path() + QStringLiteral("/out");
        const QString bin = dir.path() + QStringLiteral("/bin");
        QDir().mkpath(bin);
        writeArgumentRecorder(bin, out);
        const QString before = QDir::currentPath();
        CTrapActionRunner runner;
        QVERIFY(QDir::setCurrent(dir.path()));
        runner.RunTrapAction(QStringLiteral("bin/record.sh"), QStringLiteral("%OID% %TIME%"), record(QString(), 1));
        QDir::setCurrent(before);
        QTRY_COMPARE_WITH_TIMEOUT(recordedCalls(out).size(), 1, 10000);
        QCOMPARE(recordedCalls(out).first(), (QStringList{bin, "1", ActionTimeText(0)}));
    }

    void actionStormIsBoundedAndCounted()
    {
        QTemporaryDir dir;
        const QString out = dir.path() + QStringLiteral("/out");
        const QString script = writeArgumentRecorder(dir.path(), out, QStringLiteral("0.3"));
        CTrapActionRunner runner;
        runner.setLimits(3, 4);
        QSignalSpy status(&runner, &CTrapActionRunner::statusChanged);
        int peak = 0;
        for (int i = 0; i < 10; ++i) {
            runner.RunTrapAction(script, QStringLiteral("%OID%"), record(QString(), i));
            peak = qMax(peak, runner.running());
        }
        QCOMPARE(peak, 3);
        QCOMPARE(runner.waiting(), 4);
        QCOMPARE(runner.skipped(), quint64(3));
        QVERIFY(runner.statusText().contains(QLatin1String("3")));
        QVERIFY(!status.isEmpty());
        // The waiting ones start as slots free up, in arrival order.
        QTRY_COMPARE_WITH_TIMEOUT(recordedCalls(out).size(), 7, 20000);
        QTRY_COMPARE(runner.running(), 0);
        QCOMPARE(runner.started(), quint64(7));
    }

    void actionThatCannotStartIsReportedOnce()
    {
        CTrapActionRunner runner;
        QSignalSpy status(&runner, &CTrapActionRunner::statusChanged);
        const QString missing = QStringLiteral("/nonexistent/orvelle-no-such-program");
        for (int i = 0; i < 5; ++i)
            runner.RunTrapAction(missing, QString(), record(QString()));
        QCOMPARE(status.size(), 1);
        QVERIFY(status.first().first().toString().contains(missing));
        QCOMPARE(runner.running(), 0);
        // no program configured: nothing at all
        runner.RunTrapAction(QString(), QStringLiteral("x"), record(QString()));
        QCOMPARE(status.size(), 1);
    }

    void localeCodecReplacesWhatItCannotEncode_data()
    {
        QTest::addColumn<QByteArray>("codeset");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        const QString mixed = QStringLiteral("a\u00e9\u65e5\U0001F600z");
        QTest::newRow("Latin-1: one '?' per character it lacks") << QByteArray("ISO-8859-1") << mixed << QByteArray("a\xe9??z");
        QTest::newRow("unknown codeset stays readable") << QByteArray("NO-SUCH-CODESET") << mixed << mixed.toUtf8();
        QTest::newRow("long text crosses the buffer") << QByteArray("ISO-8859-1") << QString(5000, QChar(0x65e5)) << QByteArray(5000, '?');
    }

    void localeCodecReplacesWhatItCannotEncode()
    {
        QFETCH(QByteArray, codeset);
        QFETCH(QString, text);
        QTEST(LocaleCodec::fromUnicode(text, codeset), "bytes");
    }
};

int main(int argc, char *argv[])
{
    setlocale(LC_ALL, "");
    QCoreApplication app(argc, argv);
    TestTrapCore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_trapcore.moc"
