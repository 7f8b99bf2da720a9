// Naming OIDs and values, describing traps, and walking the document as the
// OID tree does: on the bundled database, on one compiled from the real
// modules of the shared MIB corpus, and without any database.

#include "testsupport.h"
#include "xmlread.h"

#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

SnmpOid oid(const QString &text)
{
    return SnmpOid::fromString(text).value();
}

} // namespace

class TestMibReader : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(m_bundled.loadMIBTable(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml")), qPrintable(m_bundled.errorString()));
        if (TestSupport::sharedDir().isEmpty())
            return;
        QVERIFY2(!qEnvironmentVariable("ORVELLE_MIBC").isEmpty(), "ORVELLE_MIBC names orvelle-mibc (set by CTest)");
        QVERIFY(m_tmp.isValid());
        const QString mibs = TestSupport::sharedDir() + QStringLiteral("/mibs");
        const QString out = m_tmp.filePath(QStringLiteral("MIBTable.xml"));
        QProcess p;
        p.start(qEnvironmentVariable("ORVELLE_MIBC"),
                {"-q", "-M", mibs + QStringLiteral(":/usr/share/snmp/mibs"), "-o", out, mibs, "/usr/share/snmp/mibs"});
        QVERIFY2(p.waitForFinished(60000) && p.exitCode() == 0, p.readAllStandardError().constData());
        QVERIFY2(m_compiled.loadMIBTable(out), qPrintable(m_compiled.errorString()));
        m_readers.insert(QStringLiteral("compiled"), &m_compiled);
    }

    void translate_data()
    {
        QTest::addColumn<QString>("db");
        QTest::addColumn<QString>("oid");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("syntax"); // 0: no value
        QTest::addColumn<QString>("valueText");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("write"); // -7: left alone

        const int i32 = SNMP_SYNTAX_INT32;
        for (const char *db : {"bundled", "compiled"}) {
            auto row = [&](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(db), QLatin1String(name)))) << db;
            };
            // DISMAN-EVENT-MIB names this OID sysUpTimeInstance; the object
            // and its instance say more.
            row("scalar instance") << "1.3.6.1.2.1.1.3.0" << 0 << int(SNMP_SYNTAX_TIMETICKS) << "0:00:01.00" << "sysUpTime.0" << "0:00:01.00" << 0;
            row("enumeration, writable") << "1.3.6.1.2.1.2.2.1.7.1" << 0 << i32 << "1" << "ifAdminStatus.1" << "up(1)" << 1;
            row("ifType through its convention") << "1.3.6.1.2.1.2.2.1.3.2" << 0 << i32 << "6" << "ifType.2" << "ethernetCsmacd(6)" << 0;
            row("no value: SET dialog pick") << "1.3.6.1.2.1.1.4" << 0 << 0 << "" << "sysContact" << "" << 3;
            row("branch with unknown rest") << "1.3.6.1.4.1.99999.1.2" << 0 << i32 << "1" << "enterprises.99999.1.2" << "1" << 0;
            row("huge sub-identifier") << "1.3.6.1.2.1.1.1.4294967295" << 0 << 0 << "" << "sysDescr.4294967295" << "" << 0;
            row("OID value never renamed in mode 0") << "1.3.6.1.2.1.1.2.0" << 0 << int(SNMP_SYNTAX_OID) << "1.3.6.1.4.1.8072.3.2.10" << "sysObjectID.0" << "1.3.6.1.4.1.8072.3.2.10" << 0;
            row("mode 1: OID value with rest") << "1.3.6.1.4.1.8072.3.2.10.4.1" << 1 << 0 << "" << "linux.4.1" << "" << -7;
            row("unknown OID, mode 0") << "3.1.4" << 0 << i32 << "5" << "3.1.4" << "5" << 0;
        }
        QTest::newRow("compiled: writable Unsigned32") << "compiled" << "1.3.6.1.2.1.80.1.2.1.6" << 0 << 0 << "" << "pingCtlTimeOut" << "" << 2;
        QTest::newRow("compiled: SMIv1 trap OID") << "compiled" << "1.3.6.1.4.1.705.1.11.0.1" << 1 << 0 << "" << "upsmgBatteryFault" << "" << -7;
        // BITS labels name bits, not values
        QTest::newRow("compiled: BITS") << "compiled" << "1.3.6.1.2.1.88.1.2.2.1.4" << 0 << 0 << "1" << "mteTriggerTest" << "1" << 3;
        // by the object's textual convention, the octets as they came kept for the cell tip
        const int octets = SNMP_SYNTAX_OCTETS;
        QTest::newRow("compiled: PhysAddress") << "compiled" << "1.3.6.1.2.1.2.2.1.6.2" << 0 << octets << "00.1a.2b.3c.4d.5e (hex)"
                                               << "ifPhysAddress.2" << "00:1a:2b:3c:4d:5e" << 0;
        QTest::newRow("compiled: InetAddress") << "compiled" << "1.3.6.1.2.1.80.1.2.1.4.1" << 0 << octets << "c0.00.02.01 (hex)"
                                               << "pingCtlTargetAddress.1" << "192.0.2.1 (ipv4)" << 3;
        QTest::newRow("compiled: BITS by name") << "compiled" << "1.3.6.1.2.1.88.1.2.2.1.4.1" << 0 << octets << "a0 (hex)"
                                                << "mteTriggerTest.1" << "existence(0) threshold(2)" << 3;
        QTest::newRow("no database") << "none" << "1.3.6.1.2.1.1.5.0" << 0 << i32 << "1" << "1.3.6.1.2.1.1.5.0" << "1" << 0;
    }

    void translate()
    {
        QFETCH(QString, db);
        QFETCH(QString, oid);
        QFETCH(int, mode);
        QFETCH(int, syntax);
        QFETCH(QString, valueText);
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(int, write);
        const CXMLRead *reader = m_readers.value(db);
        if (!reader)
            QSKIP(qPrintable(TestSupport::sharedDirMissingReason()));
        if (db == u"none") {
            // neither a request nor an OID to name
            tagMIBTran noOid;
            QVERIFY(!SNMPOidToTranStr(nullptr, 0) && !SNMPOidToTranStr(&noOid, 0));
        }
        const SnmpOid o = ::oid(oid);
        SnmpValue v;
        v.syntax = static_cast<quint32>(syntax);
        v.number = static_cast<quint32>(valueText.toInt()); // what an INT32 value holds
        if (syntax == SNMP_SYNTAX_OID)
            v.oid = ::oid(valueText);
        if (syntax == SNMP_SYNTAX_OCTETS) // the octets its hex text shows
            v.octets = QByteArray::fromHex(valueText.section(u' ', 0, 0).remove(u'.').toLatin1());
        // The trap service hands in the dotted text, the SET dialog an empty
        // name; only the description depends on the language, and only the
        // bundled database has Japanese ones.
        QString english;
        for (const char *lang : {"en", "ja", "de"}) {
            for (const QString &given : {oid, QString()}) {
                tagMIBTran t{.pDocument = reader->getMIBTable(), .pOid = &o, .pValue = syntax ? &v : nullptr,
                             .strOidName = given, .strValueText = valueText, .strRawValue = {}, .strObjectDescr = QStringLiteral("stale"),
                             .strLang = QLatin1String(lang), .nWriteSyntax = -7};
                QCOMPARE(SNMPOidToTranStr(&t, mode), name != oid ? 1 : 0);
                QCOMPARE(t.strOidName, name);
                QCOMPARE(t.strValueText, value);
                if (syntax == SNMP_SYNTAX_OCTETS)
                    QCOMPARE(t.strRawValue, valueText);
                QCOMPARE(t.nWriteSyntax, write);
                if (mode == 1)
                    QCOMPARE(t.strObjectDescr, QStringLiteral("stale")); // mode 1 touches the name only
                else if (write > 0)
                    QVERIFY(!t.strObjectDescr.isEmpty());
                if (*lang == 'e')
                    english = t.strObjectDescr;
                else if (*lang == 'j' && db == u"bundled" && mode == 0 && !english.isEmpty())
                    QVERIFY2(t.strObjectDescr != english && !t.strObjectDescr.isEmpty(), qPrintable(t.strObjectDescr));
                else
                    QCOMPARE(t.strObjectDescr, english);
            }
        }
    }

    void traps_data()
    {
        QTest::addColumn<QString>("db");
        QTest::addColumn<QString>("description"); // in: trap OID text
        QTest::addColumn<QString>("enterprise");
        QTest::addColumn<int>("specific");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<quint32>("severity"); // 0: not found
        QTest::addColumn<QString>("contains");

        for (const char *db : {"bundled", "compiled"}) {
            const bool compiled = *db == 'c';
            auto row = [&](const char *name) -> QTestData & {
                return QTest::newRow(qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(db), QLatin1String(name)))) << db;
            };
            row("v2 linkDown") << "1.3.6.1.6.3.1.1.5.3" << "1.3.6.1.6.3.1.1.5" << 3 << "en" << (compiled ? 2u : 3u) << (compiled ? "linkDown" : "left the up state");
            row("generic trap rebuilt from enterprise") << "not an oid" << "1.3.6.1.6.3.1.1.5" << 4 << "en" << (compiled ? 2u : 1u) << (compiled ? "linkUp" : "has come up");
            row("unknown trap") << "1.3.6.1.4.1.99999.0.7" << "99999" << 7 << "en" << 0u << "1.3.6.1.4.1.99999.0.7";
            row("no trap OID at all") << "" << "" << 0 << "en" << 0u << "";
        }
        QTest::newRow("bundled: Japanese") << "bundled" << "1.3.6.1.6.3.1.1.5.3" << "1.3.6.1.6.3.1.1.5" << 3 << "ja" << 3u << "インターフェース";
        QTest::newRow("compiled: Japanese falls back") << "compiled" << "1.3.6.1.6.3.1.1.5.3" << "1.3.6.1.6.3.1.1.5" << 3 << "ja" << 2u << "linkDown";
        QTest::newRow("compiled: v1 trap, --#SEVERITY MAJOR") << "compiled" << "1.3.6.1.4.1.705.1.11.0.1" << "705.1.11" << 1 << "en" << 3u << "Battery";
        QTest::newRow("compiled: v1 trap rebuilt as E.0.S") << "compiled" << "garbled" << "705.1.11" << 1 << "en" << 3u << "Battery";
        QTest::newRow("compiled: v1 trap, no hint") << "compiled" << "1.3.6.1.4.1.25049.0.1001" << "25049" << 1001 << "en" << 2u << "";
        // JUNIPER-MIB's notifications sit right under jnxChassisTraps, with no .0
        QTest::newRow("compiled: v2 vendor notification rebuilt as E.S") << "compiled" << "x" << "2636.4.1" << 1 << "en" << 2u << "jnxPowerSupplyFailure trap";
        QTest::newRow("no database") << "none" << "1.3.6.1.6.3.1.1.5.3" << "1.3.6.1.6.3.1.1.5" << 3 << "en" << 0u << "1.3.6.1.6.3.1.1.5.3";
    }

    void traps()
    {
        QFETCH(QString, db);
        QFETCH(QString, description);
        QFETCH(QString, enterprise);
        QFETCH(int, specific);
        QFETCH(QString, lang);
        QFETCH(quint32, severity);
        QFETCH(QString, contains);
        const CXMLRead *reader = m_readers.value(db);
        if (!reader)
            QSKIP(qPrintable(TestSupport::sharedDirMissingReason()));
        QString text = description;
        quint32 sev = 99;
        QCOMPARE(reader->GetTrapDesciption(enterprise, specific, text, &sev, lang), severity != 0);
        QCOMPARE(sev, severity);
        if (!severity)
            QCOMPARE(text, description);
        else
            QVERIFY2(!text.isEmpty() && text != description, qPrintable(text));
        QVERIFY2(text.contains(contains), qPrintable(text));
        QVERIFY2(!text.contains(u'\n'), "a trap description is one line");
    }

    // The OID tree walks "mib_table/oid", first child, next sibling, the
    // key and the name; every element it meets must carry both.
    void documentAsTheTreeWalksIt_data()
    {
        QTest::addColumn<QString>("db");
        QTest::newRow("bundled") << "bundled";
        QTest::newRow("compiled") << "compiled";
    }

    void documentAsTheTreeWalksIt()
    {
        QFETCH(QString, db);
        const CXMLRead *reader = m_readers.value(db);
        if (!reader)
            QSKIP(qPrintable(TestSupport::sharedDirMissingReason()));
        const MibDocument *doc = reader->getMIBTable();
        const pugi::xml_node first = doc->firstOid();
        QCOMPARE(MibDocument::childText(first, MibXml::kName), QStringLiteral("internet"));

        // Walk everything as the drop-down does and rebuild the full OIDs.
        size_t elements = 0;
        int entries = 0;
        QSet<QString> named; // "name OID"
        std::function<void(pugi::xml_node, const QString &)> walk = [&](pugi::xml_node node, const QString &parent) {
            for (; node; node = MibDocument::nextSibling(node)) {
                QString k;
                if (!CXMLRead::getKey(node, MibXml::kKey, &k))
                    continue; // name, descr ... carry no key
                ++elements;
                if (k.endsWith(u'.'))
                    k.chop(1);
                const QString full = parent.isEmpty() ? k : parent + u'.' + k;
                const QString name = MibDocument::text(node.child(MibXml::kName));
                const std::optional<SnmpOid> o = SnmpOid::fromString(full);
                const MibDocument::Entry *e = o ? doc->exact(*o) : nullptr;
                QVERIFY2(e, qPrintable(full)); // the index agrees with the document
                // the bundled database describes everything in both languages
                QVERIFY2(db != u"bundled" || (e->descrEn && *e->descrEn && e->descrJa && *e->descrJa), qPrintable(full));
                entries += CXMLRead::getKey(node, MibXml::kSequence, nullptr);
                named.insert(name + u' ' + full);
                walk(MibDocument::firstChild(node), full);
            }
        };
        walk(first, QString());
        QCOMPARE(elements, doc->entryCount());
        QVERIFY(entries > (db == u"compiled" ? 100 : 10));
        QVERIFY(named.contains(QStringLiteral("sysContact 1.3.6.1.2.1.1.4")));
    }

private:
    CXMLRead m_bundled;
    CXMLRead m_compiled;
    CXMLRead m_none;
    // by the rows' names; the compiled one only when the corpus is there
    QHash<QString, const CXMLRead *> m_readers{{QStringLiteral("bundled"), &m_bundled}, {QStringLiteral("none"), &m_none}};
    QTemporaryDir m_tmp;
};

QTEST_GUILESS_MAIN(TestMibReader)
#include "tst_mibreader.moc"
