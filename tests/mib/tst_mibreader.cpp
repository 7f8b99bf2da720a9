// Naming OIDs and values, describing traps, and walking the document as the
// OID tree does: on the bundled database and on one compiled from the real
// modules of the shared MIB corpus.

#include "testsupport.h"
#include "xmlread.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

SnmpOid oid(const char *text)
{
    return SnmpOid::fromString(QString::fromLatin1(text)).value();
}

struct Translation
{
    QString name;
    QString value;
    QString descr;
    int write = 0;
    int found = 0;
};

Translation runTranslation(const MibDocument *doc, const SnmpOid &o, const SnmpValue *value, const QString &valueText,
                      int mode, const QString &lang = QStringLiteral("en"), const QString &name = QString())
{
    tagMIBTran t;
    t.pDocument = doc;
    t.pOid = &o;
    t.pValue = value;
    t.strOidName = name.isNull() ? o.toString() : name;
    t.strValueText = valueText;
    t.strObjectDescr = QStringLiteral("stale");
    t.strLang = lang;
    t.nWriteSyntax = -7;
    Translation r;
    r.found = SNMPOidToTranStr(&t, mode);
    r.name = t.strOidName;
    r.value = t.strValueText;
    r.descr = t.strObjectDescr;
    r.write = t.nWriteSyntax;
    return r;
}

} // namespace

class TestMibReader : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(m_bundled.loadMIBTable(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml")),
                 qPrintable(m_bundled.errorString()));

        const QString shared = TestSupport::sharedDir();
        if (shared.isEmpty())
            return;
        QVERIFY(m_tmp.isValid());
        const QString mibc = qEnvironmentVariable("ORVELLE_MIBC");
        QVERIFY2(!mibc.isEmpty(), "ORVELLE_MIBC names orvelle-mibc (set by CTest)");
        const QString mibs = shared + QStringLiteral("/mibs");
        const QString out = m_tmp.filePath(QStringLiteral("MIBTable.xml"));
        QProcess p;
        p.start(mibc, {QStringLiteral("-q"), QStringLiteral("-M"), mibs + QStringLiteral(":/usr/share/snmp/mibs"),
                       QStringLiteral("-o"), out, mibs, QStringLiteral("/usr/share/snmp/mibs")});
        QVERIFY(p.waitForFinished(60000));
        QVERIFY2(p.exitCode() == 0, p.readAllStandardError().constData());
        QVERIFY2(m_compiled.loadMIBTable(out), qPrintable(m_compiled.errorString()));
        m_haveCompiled = true;
    }

    void translate_data()
    {
        QTest::addColumn<bool>("compiled");
        QTest::addColumn<QString>("oid");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("syntax"); // 0: no value
        QTest::addColumn<qint64>("number");
        QTest::addColumn<QString>("valueText");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("write");

        const int none = 0;
        const int i32 = SNMP_SYNTAX_INT32;
        const int oct = SNMP_SYNTAX_OCTETS;
        for (bool compiled : {false, true}) {
            const char *db = compiled ? "compiled: " : "bundled: ";
            auto row = [&](const char *name) -> QTestData & { return QTest::newRow(qPrintable(QString::fromLatin1(db) + QString::fromLatin1(name))) << compiled; };
            row("column instance") << "1.3.6.1.2.1.2.2.1.2.3" << 0 << oct << 0LL << "eth0" << "ifDescr.3" << "eth0" << 0;
            // DISMAN-EVENT-MIB names this OID sysUpTimeInstance; the object
            // and its instance say more.
            row("scalar instance") << "1.3.6.1.2.1.1.3.0" << 0 << int(SNMP_SYNTAX_TIMETICKS) << 100LL << "0:00:01.00" << "sysUpTime.0" << "0:00:01.00" << 0;
            row("enumeration") << "1.3.6.1.2.1.2.2.1.8.5" << 0 << i32 << 2LL << "2" << "ifOperStatus.5" << "down(2)" << 0;
            row("enumeration, writable") << "1.3.6.1.2.1.2.2.1.7.1" << 0 << i32 << 1LL << "1" << "ifAdminStatus.1" << "up(1)" << 1;
            row("value outside the enumeration") << "1.3.6.1.2.1.2.2.1.8.5" << 0 << i32 << 99LL << "99" << "ifOperStatus.5" << "99" << 0;
            row("enumerated object, value not an integer") << "1.3.6.1.2.1.2.2.1.8.5" << 0 << oct << 0LL << "2" << "ifOperStatus.5" << "2" << 0;
            row("ifType through its convention") << "1.3.6.1.2.1.2.2.1.3.2" << 0 << i32 << 6LL << "6" << "ifType.2" << "ethernetCsmacd(6)" << 0;
            row("truth value") << "1.3.6.1.2.1.31.1.1.1.16.2" << 0 << i32 << 2LL << "2" << "ifPromiscuousMode.2" << "false(2)" << 1;
            row("no value: SET dialog pick") << "1.3.6.1.2.1.1.4" << 0 << none << 0LL << "" << "sysContact" << "" << 3;
            row("writable IpAddress") << "1.3.6.1.2.1.4.22.1.3" << 0 << none << 0LL << "" << "ipNetToMediaNetAddress" << "" << 5;
            row("read-only object") << "1.3.6.1.2.1.2.2.1.5" << 0 << none << 0LL << "" << "ifSpeed" << "" << 0;
            row("table entry") << "1.3.6.1.2.1.2.2.1" << 0 << none << 0LL << "" << "ifEntry" << "" << 0;
            row("branch with unknown rest") << "1.3.6.1.4.1.99999.1.2" << 0 << i32 << 1LL << "1" << "enterprises.99999.1.2" << "1" << 0;
            row("huge sub-identifier") << "1.3.6.1.2.1.1.1.4294967295" << 0 << none << 0LL << "" << "sysDescr.4294967295" << "" << 0;
            row("OID value never renamed in mode 0") << "1.3.6.1.2.1.1.2.0" << 0 << int(SNMP_SYNTAX_OID) << 0LL << "1.3.6.1.4.1.8072.3.2.10" << "sysObjectID.0" << "1.3.6.1.4.1.8072.3.2.10" << 0;
            row("mode 1: OID value") << "1.3.6.1.4.1.8072.3.2.10" << 1 << none << 0LL << "" << "linux" << "" << -7;
            row("mode 1: OID value with rest") << "1.3.6.1.4.1.8072.3.2.10.4.1" << 1 << none << 0LL << "" << "linux.4.1" << "" << -7;
            row("mode 1: generic trap") << "1.3.6.1.6.3.1.1.5.3" << 1 << none << 0LL << "" << "linkDown" << "" << -7;
            row("unknown OID, mode 0") << "3.1.4" << 0 << i32 << 5LL << "5" << "3.1.4" << "5" << 0;
            row("unknown OID, mode 1") << "3.1.4.1" << 1 << none << 0LL << "" << "3.1.4.1" << "" << -7;
        }
        // Only in the compiled database.
        QTest::newRow("compiled: writable Unsigned32") << true << "1.3.6.1.2.1.80.1.2.1.6" << 0 << none << 0LL << "" << "pingCtlTimeOut" << "" << 2;
        QTest::newRow("compiled: writable OBJECT IDENTIFIER") << true << "1.3.6.1.6.3.12.1.2.1.2" << 0 << none << 0LL << "" << "snmpTargetAddrTDomain" << "" << 4;
        QTest::newRow("compiled: SMIv1 trap OID") << true << "1.3.6.1.4.1.705.1.11.0.1" << 1 << none << 0LL << "" << "upsmgBatteryFault" << "" << -7;
        QTest::newRow("compiled: vendor object") << true << "1.3.6.1.4.1.9.9.13.1.3.1.3.1" << 0 << int(SNMP_SYNTAX_GAUGE32) << 30LL << "30" << "ciscoEnvMonTemperatureStatusValue.1" << "30" << 0;
        QTest::newRow("compiled: BITS labels name bits, not values") << true << "1.3.6.1.2.1.88.1.2.2.1.4.1" << 0 << int(SNMP_SYNTAX_OCTETS) << 0LL << "1" << "mteTriggerTest.1" << "1" << 3;
        QTest::newRow("compiled: BITS without a value") << true << "1.3.6.1.2.1.88.1.2.2.1.4" << 0 << none << 0LL << "1" << "mteTriggerTest" << "1" << 3;
        QTest::newRow("compiled: unknown under no root") << true << "5.1" << 0 << none << 0LL << "" << "5.1" << "" << 0;
    }

    void translate()
    {
        QFETCH(bool, compiled);
        QFETCH(QString, oid);
        QFETCH(int, mode);
        QFETCH(int, syntax);
        QFETCH(qint64, number);
        QFETCH(QString, valueText);
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(int, write);
        if (compiled && !m_haveCompiled)
            QSKIP(qPrintable(TestSupport::sharedDirMissingReason()));
        const MibDocument *doc = (compiled ? m_compiled : m_bundled).getMIBTable();
        const SnmpOid o = SnmpOid::fromString(oid).value();
        SnmpValue v;
        v.syntax = static_cast<quint32>(syntax);
        v.number = static_cast<quint32>(number);
        if (syntax == SNMP_SYNTAX_OID)
            v.oid = SnmpOid::fromString(valueText).value();
        const Translation t = runTranslation(doc, o, syntax ? &v : nullptr, valueText, mode);
        QCOMPARE(t.name, name);
        QCOMPARE(t.value, value);
        QCOMPARE(t.write, write);
        QCOMPARE(t.found, name != oid ? 1 : 0);
        if (mode == 1)
            QCOMPARE(t.descr, QStringLiteral("stale")); // mode 1 touches the name only
        else if (write > 0)
            QVERIFY(!t.descr.isEmpty());
    }

    // The SET dialog hands in an empty name; the trap service the dotted text.
    void emptyNameComesBackNamedOrDotted()
    {
        const MibDocument *doc = m_bundled.getMIBTable();
        QCOMPARE(runTranslation(doc, oid("1.3.6.1.2.1.1.5"), nullptr, QString(), 0, QStringLiteral("en"), QStringLiteral("")).name,
                 QStringLiteral("sysName"));
        QCOMPARE(runTranslation(doc, oid("2.99.1"), nullptr, QString(), 0, QStringLiteral("en"), QStringLiteral("")).name,
                 QStringLiteral("2.99.1"));
        // No document (reader not set): nothing named, nothing crashes.
        QCOMPARE(runTranslation(nullptr, oid("1.3.6.1.2.1.1.5.0"), nullptr, QString(), 0).name, QStringLiteral("1.3.6.1.2.1.1.5.0"));
        tagMIBTran empty;
        QCOMPARE(SNMPOidToTranStr(&empty, 0), 0);
        QCOMPARE(SNMPOidToTranStr(nullptr, 0), 0);
    }

    void descriptions_data()
    {
        QTest::addColumn<bool>("compiled");
        QTest::addColumn<QString>("oid");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("contains");
        QTest::newRow("bundled English") << false << "1.3.6.1.2.1.1.4.0" << "en" << "responsible";
        QTest::newRow("bundled Japanese") << false << "1.3.6.1.2.1.1.4.0" << "ja" << "管理責任者";
        QTest::newRow("unknown language gives English") << false << "1.3.6.1.2.1.1.4.0" << "de" << "responsible";
        QTest::newRow("compiled Japanese falls back to English") << true << "1.3.6.1.2.1.1.4.0" << "ja" << "contact person";
        QTest::newRow("compiled multi-paragraph") << true << "1.3.6.1.2.1.2.2.1.8.1" << "en" << "The current operational state";
    }

    void descriptions()
    {
        QFETCH(bool, compiled);
        QFETCH(QString, oid);
        QFETCH(QString, lang);
        QFETCH(QString, contains);
        if (compiled && !m_haveCompiled)
            QSKIP(qPrintable(TestSupport::sharedDirMissingReason()));
        const MibDocument *doc = (compiled ? m_compiled : m_bundled).getMIBTable();
        const Translation t = runTranslation(doc, SnmpOid::fromString(oid).value(), nullptr, QString(), 0, lang);
        QVERIFY2(t.descr.contains(contains), qPrintable(t.descr));
    }

    void traps_data()
    {
        QTest::addColumn<bool>("compiled");
        QTest::addColumn<QString>("description"); // in: trap OID text
        QTest::addColumn<QString>("enterprise");
        QTest::addColumn<int>("specific");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<bool>("found");
        QTest::addColumn<quint32>("severity");
        QTest::addColumn<QString>("contains");

        for (bool compiled : {false, true}) {
            const char *db = compiled ? "compiled: " : "bundled: ";
            auto row = [&](const char *name) -> QTestData & { return QTest::newRow(qPrintable(QString::fromLatin1(db) + QString::fromLatin1(name))) << compiled; };
            row("v2 linkDown") << "1.3.6.1.6.3.1.1.5.3" << "1.3.6.1.6.3.1.1.5" << 3 << "en" << true << (compiled ? 2u : 3u) << (compiled ? "linkDown" : "left the up state");
            row("generic trap rebuilt from enterprise") << "not an oid" << "1.3.6.1.6.3.1.1.5" << 4 << "en" << true << (compiled ? 2u : 1u) << (compiled ? "linkUp" : "has come up");
            row("v2 coldStart") << "1.3.6.1.6.3.1.1.5.1" << "1.3.6.1.6.3.1.1.5" << 1 << "en" << true << 2u << "";
            row("net-snmp shutdown") << "1.3.6.1.4.1.8072.4.0.2" << "8072.4" << 2 << "en" << true << 2u << "";
            row("unknown trap") << "1.3.6.1.4.1.99999.0.7" << "99999" << 7 << "en" << false << 0u << "1.3.6.1.4.1.99999.0.7";
            row("known OID, not a notification") << "1.3.6.1.2.1.1.3" << "1.3.6.1.2.1.1" << 3 << "en" << false << 0u << "1.3.6.1.2.1.1.3";
            row("no trap OID at all") << "" << "" << 0 << "en" << false << 0u << "";
        }
        QTest::newRow("bundled: Japanese") << false << "1.3.6.1.6.3.1.1.5.3" << "1.3.6.1.6.3.1.1.5" << 3 << "ja" << true << 3u << "インターフェース";
        QTest::newRow("compiled: Japanese falls back") << true << "1.3.6.1.6.3.1.1.5.3" << "1.3.6.1.6.3.1.1.5" << 3 << "ja" << true << 2u << "linkDown";
        QTest::newRow("compiled: v1 trap, --#SEVERITY MAJOR") << true << "1.3.6.1.4.1.705.1.11.0.1" << "705.1.11" << 1 << "en" << true << 3u << "Battery";
        QTest::newRow("compiled: v1 trap, --#SEVERITY INFORMATIONAL") << true << "1.3.6.1.4.1.705.1.11.0.2" << "705.1.11" << 2 << "en" << true << 1u << "";
        QTest::newRow("compiled: v1 trap rebuilt as E.0.S") << true << "garbled" << "705.1.11" << 1 << "en" << true << 3u << "Battery";
        QTest::newRow("compiled: v1 trap, no hint") << true << "1.3.6.1.4.1.25049.0.1001" << "25049" << 1001 << "en" << true << 2u << "";
        QTest::newRow("compiled: v2 vendor notification rebuilt as E.S") << true << "x" << "9.9.13.3" << 1 << "en" << true << 2u << "";
    }

    void traps()
    {
        QFETCH(bool, compiled);
        QFETCH(QString, description);
        QFETCH(QString, enterprise);
        QFETCH(int, specific);
        QFETCH(QString, lang);
        QFETCH(bool, found);
        QFETCH(quint32, severity);
        QFETCH(QString, contains);
        if (compiled && !m_haveCompiled)
            QSKIP(qPrintable(TestSupport::sharedDirMissingReason()));
        const CXMLRead &reader = compiled ? m_compiled : m_bundled;
        QString text = description;
        quint32 sev = 99;
        QCOMPARE(reader.GetTrapDesciption(enterprise, specific, text, &sev, lang), found);
        QCOMPARE(sev, severity);
        if (!found)
            QCOMPARE(text, description);
        else
            QVERIFY2(!text.isEmpty() && text != description, qPrintable(text));
        QVERIFY2(text.contains(contains), qPrintable(text));
        QVERIFY2(!text.contains(u'\n'), "a trap description is one line");
    }

    void trapWithoutDatabase()
    {
        CXMLRead empty;
        QString text = QStringLiteral("1.3.6.1.6.3.1.1.5.3");
        quint32 sev = 5;
        QVERIFY(!empty.GetTrapDesciption(QStringLiteral("1.3.6.1.6.3.1.1.5"), 3, text, &sev, QStringLiteral("en")));
        QCOMPARE(sev, 0u);
        QCOMPARE(text, QStringLiteral("1.3.6.1.6.3.1.1.5.3"));
    }

    // The OID tree walks "mib_table/oid", first child, next sibling, the
    // key and the name; every element it meets must carry both.
    void documentAsTheTreeWalksIt_data()
    {
        QTest::addColumn<bool>("compiled");
        QTest::newRow("bundled") << false;
        QTest::newRow("compiled") << true;
    }

    void documentAsTheTreeWalksIt()
    {
        QFETCH(bool, compiled);
        if (compiled && !m_haveCompiled)
            QSKIP(qPrintable(TestSupport::sharedDirMissingReason()));
        const MibDocument *doc = (compiled ? m_compiled : m_bundled).getMIBTable();
        pugi::xml_node first = doc->firstOid();
        QVERIFY(first);
        QString key;
        QVERIFY(CXMLRead::getKey(first, MibXml::kKey, &key));
        QCOMPARE(key, QStringLiteral("1.3.6.1."));
        QCOMPARE(MibDocument::childText(first, MibXml::kName), QStringLiteral("internet"));

        // Walk everything as the drop-down does and rebuild the full OIDs.
        int elements = 0;
        int entries = 0;
        int writable = 0;
        QString sysContact;
        std::function<void(pugi::xml_node, const QString &)> walk = [&](pugi::xml_node node, const QString &parent) {
            for (; node; node = MibDocument::nextSibling(node)) {
                QString k;
                if (!CXMLRead::getKey(node, MibXml::kKey, &k))
                    continue; // name, descr ... carry no key
                QCOMPARE(QString::fromUtf8(node.name()), QStringLiteral("oid"));
                ++elements;
                if (k.endsWith(u'.'))
                    k.chop(1);
                const QString full = parent.isEmpty() ? k : parent + u'.' + k;
                const QString name = MibDocument::text(node.child(MibXml::kName));
                QVERIFY2(!name.isEmpty(), qPrintable(full));
                QVERIFY2(SnmpOid::fromString(full), qPrintable(full));
                // The index agrees with the document.
                const MibDocument::Entry *e = doc->exact(*SnmpOid::fromString(full));
                QVERIFY2(e, qPrintable(full));
                if (CXMLRead::getKey(node, MibXml::kSequence, nullptr))
                    ++entries;
                if (node.child(MibXml::kWrite))
                    ++writable;
                if (name == QLatin1String("sysContact"))
                    sysContact = full;
                walk(MibDocument::firstChild(node), full);
            }
        };
        walk(first, QString());
        QCOMPARE(size_t(elements), doc->entryCount());
        QVERIFY(entries > (compiled ? 100 : 10));
        QVERIFY(writable > (compiled ? 100 : 10));
        QCOMPARE(sysContact, QStringLiteral("1.3.6.1.2.1.1.4"));
        QVERIFY(!CXMLRead::getKey(pugi::xml_node(), MibXml::kKey, &key));
    }

    // Hand-written documents: full OIDs at the top level, duplicates, keys
    // of several sub-identifiers, enumerations out of order.
    void smallDocuments()
    {
        MibDocument doc;
        QString reason;
        int line = 0;
        QVERIFY2(doc.loadFromData("<mib_table>"
                                  "<oid key=\"1.3.6.1.4.1.\"><name>enterprises</name>"
                                  "  <oid key=\"42.0.7\"><name>fooTrap</name><kind>notification</kind><severity>3</severity></oid>"
                                  "</oid>"
                                  "<oid key=\"1.3.6.1.4.1.42.1\"><name>fooObject</name><syntax>INTEGER</syntax>"
                                  "  <enum value=\"3\">c</enum><enum value=\"-1\">minus</enum><enum value=\"1\">a</enum></oid>"
                                  "<oid key=\"1.3.6.1.4.1.42.1\"><name>duplicate</name></oid>"
                                  "</mib_table>", &reason, &line), qPrintable(reason));
        QCOMPARE(doc.entryCount(), size_t(3));
        SnmpValue v = SnmpValue::integer(-1);
        const SnmpOid o = oid("1.3.6.1.4.1.42.1.0");
        tagMIBTran t;
        t.pDocument = &doc;
        t.pOid = &o;
        t.pValue = &v;
        SNMPOidToTranStr(&t, 0);
        QCOMPARE(t.strOidName, QStringLiteral("fooObject.0"));
        QCOMPARE(t.strValueText, QStringLiteral("minus(-1)"));
        const SnmpOid trap = oid("1.3.6.1.4.1.42.0.7");
        QVERIFY(doc.exact(trap) && doc.exact(trap)->notification);
        QVERIFY(!doc.exact(oid("1.3.6.1.4.1.42.0"))); // no element of its own
        QCOMPARE(doc.longest(oid("1.3.6.1.4.1.42.0.7.9").ids).length, size_t(9));
    }

private:
    CXMLRead m_bundled;
    CXMLRead m_compiled;
    bool m_haveCompiled = false;
    QTemporaryDir m_tmp;
};

QTEST_GUILESS_MAIN(TestMibReader)
#include "tst_mibreader.moc"
