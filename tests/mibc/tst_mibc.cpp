// orvelle-mibc: the shared corpus compiles cleanly and gives exactly the
// names and OIDs net-snmp lists; faults are reported by module, file and
// line; output is deterministic; the bundled database matches its source.

#include "testsupport.h"
#include "xmlread.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runMibc(const QStringList &args)
{
    Run r;
    QProcess p;
    // The messages checked below are the English ones.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.remove(QStringLiteral("LANGUAGE"));
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("ORVELLE_MIBC"), args);
    if (!p.waitForFinished(120000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

using Pairs = QSet<QPair<QString, QString>>;

// (name, dotted OID) of every <oid> element, full OIDs rebuilt from keys.
void collect(pugi::xml_node node, const QString &parent, Pairs *pairs)
{
    for (pugi::xml_node n = node.child("oid"); n; n = n.next_sibling("oid")) {
        QString key = QString::fromUtf8(n.attribute("key").value());
        if (key.endsWith(u'.'))
            key.chop(1);
        const QString full = parent.isEmpty() ? key : parent + u'.' + key;
        pairs->insert({QString::fromUtf8(n.child_value("name")), full});
        collect(n, full, pairs);
    }
}

Pairs pairsOf(const QString &xmlPath)
{
    Pairs pairs;
    pugi::xml_document doc;
    if (doc.load_file(QFile::encodeName(xmlPath).constData()))
        collect(doc.child("mib_table"), QString(), &pairs);
    return pairs;
}

// Modules of our own (tests/mibc/data): GOOD-MIB imports only from
// SNMPv2-SMI, BROKEN-MIB has a syntax fault, ORPHAN-MIB imports from a
// module that does not exist.
QByteArray testModule(const char *name)
{
    return readAll(TestSupport::sourceDir() + QStringLiteral("/tests/mibc/data/") + QString::fromLatin1(name));
}



} // namespace

class TestMibc : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(!qEnvironmentVariable("ORVELLE_MIBC").isEmpty(), "ORVELLE_MIBC names orvelle-mibc (set by CTest)");
        QVERIFY(m_tmp.isValid());
        m_shared = TestSupport::sharedDir();
        if (!m_shared.isEmpty())
            m_mibs = m_shared + QStringLiteral("/mibs");
    }

    // Each module of the corpus on its own, so that an import that only
    // resolves because another module happened to load first still shows.
    void eachSharedModule_data()
    {
        QTest::addColumn<QString>("file");
        if (TestSupport::sharedDir().isEmpty()) {
            QTest::newRow("no shared folder") << QString();
            return;
        }
        const QDir dir(TestSupport::sharedDir() + QStringLiteral("/mibs"));
        for (const QString &name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(name)) << dir.filePath(name);
    }

    void eachSharedModule()
    {
        QFETCH(QString, file);
        if (file.isEmpty())
            QSKIP(qPrintable(TestSupport::sharedDirMissingReason()));
        const QString out = m_tmp.filePath(QFileInfo(file).baseName() + QStringLiteral(".xml"));
        const Run r = runMibc({QStringLiteral("-q"), QStringLiteral("-M"), m_mibs + QStringLiteral(":/usr/share/snmp/mibs"),
                               QStringLiteral("-o"), out, file});
        QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
        QCOMPARE(r.exitCode, 0);
        QVERIFY(QFileInfo(out).size() > 0);
    }

    void matchesNetSnmpListing()
    {
        if (m_shared.isEmpty())
            QSKIP(qPrintable(TestSupport::sharedDirMissingReason()));
        const QString snmptranslate = TestSupport::findProgram(QStringLiteral("snmptranslate"));
        if (snmptranslate.isEmpty())
            QSKIP("snmptranslate (Debian package snmp) is not installed");
        const QString dirs = m_mibs + QStringLiteral(":/usr/share/snmp/mibs");
        const QString out = m_tmp.filePath(QStringLiteral("all.xml"));
        const Run r = runMibc({QStringLiteral("-M"), dirs, QStringLiteral("-o"), out, m_mibs, QStringLiteral("/usr/share/snmp/mibs")});
        QVERIFY2(r.exitCode == 0 && r.err.isEmpty(), qPrintable(r.err));
        QVERIFY2(r.out.contains(QStringLiteral("notifications")), qPrintable(r.out));

        // net-snmp's own listing, in a private environment so that it reads
        // no configuration and writes nothing outside it.
        QTemporaryDir home;
        QProcessEnvironment env = TestSupport::isolatedEnvironment(home.path());
        env.insert(QStringLiteral("SNMPCONFPATH"), home.path());
        env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), home.path());
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(snmptranslate, {QStringLiteral("-M"), dirs, QStringLiteral("-m"), QStringLiteral("ALL"), QStringLiteral("-Tz")});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitCode(), 0);
        Pairs expected;
        static const QRegularExpression line(QStringLiteral("^\"([^\"]+)\"\\s+\"([0-9.]+)\"$"));
        for (const QString &l : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
            const auto m = line.match(l.trimmed());
            QVERIFY2(m.hasMatch(), qPrintable(l));
            // The "enterprise#" nodes of SMIv1 traps are net-snmp's own.
            if (!m.captured(1).endsWith(u'#'))
                expected.insert({m.captured(1), m.captured(2)});
        }
        QVERIFY(expected.size() > 4000);

        Pairs got = pairsOf(out);
        // The listing starts below the three roots.
        for (const auto &root : {qMakePair(QStringLiteral("ccitt"), QStringLiteral("0")),
                                 qMakePair(QStringLiteral("iso"), QStringLiteral("1")),
                                 qMakePair(QStringLiteral("joint-iso-ccitt"), QStringLiteral("2"))})
            QVERIFY(got.remove(root));
        const Pairs missing = expected - got;
        const Pairs extra = got - expected;
        auto sample = [](const Pairs &pairs) {
            QStringList some;
            for (const auto &p : pairs) {
                some << p.first + u' ' + p.second;
                if (some.size() == 5)
                    break;
            }
            return some.join(QStringLiteral(", "));
        };
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("missing: ") + sample(missing)));
        QVERIFY2(extra.isEmpty(), qPrintable(QStringLiteral("extra: ") + sample(extra)));

        // The same input gives the same bytes.
        const QString again = m_tmp.filePath(QStringLiteral("again.xml"));
        QCOMPARE(runMibc({QStringLiteral("-q"), QStringLiteral("-M"), dirs, QStringLiteral("-o"), again, m_mibs,
                          QStringLiteral("/usr/share/snmp/mibs")}).exitCode, 0);
        QVERIFY(readAll(out) == readAll(again));
        m_all = out;
    }

    // RFC1213-MIB and the SMIv2 modules define the same OIDs: SMIv2 wins,
    // whatever the order on the command line.
    void smiV2WinsOverlaps_data()
    {
        QTest::addColumn<bool>("reversed");
        QTest::newRow("SMIv1 first") << true;
        QTest::newRow("SMIv2 first") << false;
    }

    void smiV2WinsOverlaps()
    {
        QFETCH(bool, reversed);
        if (m_shared.isEmpty())
            QSKIP(qPrintable(TestSupport::sharedDirMissingReason()));
        QStringList files{m_mibs + QStringLiteral("/RFC1213-MIB.txt"), m_mibs + QStringLiteral("/IF-MIB.txt"),
                          m_mibs + QStringLiteral("/SNMPv2-MIB.txt")};
        if (!reversed)
            std::reverse(files.begin(), files.end());
        const QString out = m_tmp.filePath(QStringLiteral("overlap.xml"));
        const Run r = runMibc(QStringList{QStringLiteral("-q"), QStringLiteral("-M"), m_mibs, QStringLiteral("-o"), out} + files);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        CXMLRead reader;
        QVERIFY(reader.loadMIBTable(out));
        const MibDocument::Entry *sysDescr = reader.getMIBTable()->exact(*SnmpOid::fromString(u"1.3.6.1.2.1.1.1"));
        QVERIFY(sysDescr);
        QCOMPARE(MibDocument::childText(sysDescr->node, MibXml::kModule), QStringLiteral("SNMPv2-MIB"));
        QCOMPARE(MibDocument::childText(sysDescr->node, MibXml::kStatus), QStringLiteral("current"));
        const MibDocument::Entry *ifType = reader.getMIBTable()->exact(*SnmpOid::fromString(u"1.3.6.1.2.1.2.2.1.3"));
        QVERIFY(ifType);
        QCOMPARE(MibDocument::childText(ifType->node, MibXml::kTc), QStringLiteral("IANAifType"));
        QVERIFY(ifType->enumCount > 100); // IANA's list, not RFC 1213's 32 values
    }

    void faultsReportedOthersCompiled()
    {
        if (m_shared.isEmpty())
            QSKIP(qPrintable(TestSupport::sharedDirMissingReason()));
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("GOOD-MIB.txt")), testModule("GOOD-MIB.txt")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("BROKEN-MIB.txt")), testModule("BROKEN-MIB.txt")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("ORPHAN-MIB.txt")), testModule("ORPHAN-MIB.txt")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("notes.txt")), "Not a module; ignored in a folder.\n"));
        const QString out = m_tmp.filePath(QStringLiteral("faults.xml"));
        const Run r = runMibc({QStringLiteral("-M"), m_mibs, QStringLiteral("-o"), out, dir.path()});
        QCOMPARE(r.exitCode, 1);
        const QString broken = dir.filePath(QStringLiteral("BROKEN-MIB.txt"));
        QVERIFY2(QRegularExpression(QStringLiteral("BROKEN-MIB \\(%1\\): .*[Ll]ine 1[45]").arg(QRegularExpression::escape(broken)))
                     .match(r.err).hasMatch(), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("Cannot find module (NOWHERE-MIB)")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("ORPHAN-MIB (") + dir.filePath(QStringLiteral("ORPHAN-MIB.txt"))), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("2 module(s) did not compile cleanly")), qPrintable(r.err));
        QVERIFY2(!r.err.contains(QStringLiteral("GOOD-MIB (")), qPrintable(r.err));
        QVERIFY2(!r.err.contains(QStringLiteral("notes.txt")), qPrintable(r.err));

        CXMLRead reader;
        QVERIFY2(reader.loadMIBTable(out), qPrintable(reader.errorString()));
        tagMIBTran t;
        const SnmpOid value = *SnmpOid::fromString(u"1.3.6.1.4.1.99991.1.0");
        const SnmpValue high = SnmpValue::integer(2);
        t.pDocument = reader.getMIBTable();
        t.pOid = &value;
        t.pValue = &high;
        SNMPOidToTranStr(&t, 0);
        QCOMPARE(t.strOidName, QStringLiteral("goodValue.0"));
        QCOMPARE(t.strValueText, QStringLiteral("high(2)"));
        QCOMPARE(t.nWriteSyntax, int(MibWriteSigned));
        QCOMPARE(t.strObjectDescr, QStringLiteral("A writable test value.\nSecond paragraph."));
        const SnmpOid limit = *SnmpOid::fromString(u"1.3.6.1.4.1.99991.2");
        t.pOid = &limit;
        t.pValue = nullptr;
        SNMPOidToTranStr(&t, 0);
        QCOMPARE(t.nWriteSyntax, int(MibWriteUnsigned));

        // Severity: the --#SEVERITY hint, else the default (minor).
        QString text = QStringLiteral("1.3.6.1.4.1.99991.0.1");
        quint32 severity = 0;
        QVERIFY(reader.GetTrapDesciption(QStringLiteral("99991"), 1, text, &severity, QStringLiteral("en")));
        QCOMPARE(severity, 3u);
        QCOMPARE(text, QStringLiteral("The test value crossed its limit."));
        text = QStringLiteral("1.3.6.1.4.1.99991.0.2");
        QVERIFY(reader.GetTrapDesciption(QStringLiteral("99991"), 2, text, &severity, QStringLiteral("en")));
        QCOMPARE(severity, 2u);
    }

    void overridesAndJapanese()
    {
        if (m_shared.isEmpty())
            QSKIP(qPrintable(TestSupport::sharedDirMissingReason()));
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("GOOD-MIB.txt")), testModule("GOOD-MIB.txt")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("severity.txt")),
                          "# operator's choices\ngoodNotice informational\n1.3.6.1.4.1.99991.0.1 minor\nGOOD-MIB::goodAlarm 2\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("ja.txt")),
                          "goodValue テスト用の書き込み可能な値。\\n二段落目。\ngoodAlarm テスト値が上限を超えた。\n"));
        const QString out = m_tmp.filePath(QStringLiteral("overlay.xml"));
        const Run r = runMibc({QStringLiteral("-M"), m_mibs, QStringLiteral("--default-severity"), QStringLiteral("3"),
                               QStringLiteral("--severity"), dir.filePath(QStringLiteral("severity.txt")),
                               QStringLiteral("--ja"), dir.filePath(QStringLiteral("ja.txt")),
                               QStringLiteral("-o"), out, dir.filePath(QStringLiteral("GOOD-MIB.txt"))});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        CXMLRead reader;
        QVERIFY(reader.loadMIBTable(out));
        QString text = QStringLiteral("1.3.6.1.4.1.99991.0.1");
        quint32 severity = 0;
        QVERIFY(reader.GetTrapDesciption(QString(), 0, text, &severity, QStringLiteral("ja")));
        QCOMPARE(severity, 2u);
        QCOMPARE(text, QStringLiteral("テスト値が上限を超えた。"));
        text = QStringLiteral("1.3.6.1.4.1.99991.0.2");
        QVERIFY(reader.GetTrapDesciption(QString(), 0, text, &severity, QStringLiteral("ja")));
        QCOMPARE(severity, 1u);
        QCOMPARE(text, QStringLiteral("Something the operator may want to know.")); // no Japanese: English

        // Names the modules do not define are reported.
        QVERIFY(writeFile(dir.filePath(QStringLiteral("bad.txt")), "noSuchThing major\ngoodValue loud\n"));
        const Run bad = runMibc({QStringLiteral("-M"), m_mibs, QStringLiteral("--severity"), dir.filePath(QStringLiteral("bad.txt")),
                                 QStringLiteral("-o"), out, dir.filePath(QStringLiteral("GOOD-MIB.txt"))});
        QCOMPARE(bad.exitCode, 1);
        QVERIFY2(bad.err.contains(QStringLiteral("bad.txt:1: noSuchThing")), qPrintable(bad.err));
        QVERIFY2(bad.err.contains(QStringLiteral("bad.txt:2: severity \"loud\"")), qPrintable(bad.err));
    }

    // A module named on the command line is used rather than a module of
    // the same name found on the search path (a vendor's corrected copy).
    void commandLineModuleWins()
    {
        if (m_shared.isEmpty())
            QSKIP(qPrintable(TestSupport::sharedDirMissingReason()));
        QTemporaryDir given;
        QTemporaryDir onPath;
        const QByteArray module = testModule("GOOD-MIB.txt");
        QVERIFY(writeFile(given.filePath(QStringLiteral("GOOD-MIB.txt")), module));
        QByteArray other = module;
        other.replace("goodValue", "staleValue");
        QVERIFY(writeFile(onPath.filePath(QStringLiteral("GOOD-MIB.txt")), other));
        const QString out = m_tmp.filePath(QStringLiteral("wins.xml"));
        const Run r = runMibc({QStringLiteral("-q"), QStringLiteral("-M"), onPath.path() + u':' + m_mibs,
                               QStringLiteral("-o"), out, given.filePath(QStringLiteral("GOOD-MIB.txt"))});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        CXMLRead reader;
        QVERIFY(reader.loadMIBTable(out));
        const MibDocument::Entry *e = reader.getMIBTable()->exact(*SnmpOid::fromString(u"1.3.6.1.4.1.99991.1"));
        QVERIFY(e);
        QCOMPARE(e->name, QStringLiteral("goodValue"));
    }

    void withoutBaseModules()
    {
        QTemporaryDir dir;
        QTemporaryDir empty;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("GOOD-MIB.txt")), testModule("GOOD-MIB.txt")));
        const QString out = m_tmp.filePath(QStringLiteral("nobase.xml"));
        const Run r = runMibc({QStringLiteral("-M"), empty.path(), QStringLiteral("-o"), out, dir.filePath(QStringLiteral("GOOD-MIB.txt"))});
        QVERIFY(r.exitCode != 0);
        QVERIFY2(r.err.contains(QStringLiteral("The base module SNMPv2-SMI is not on the MIB search path")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("-M DIR")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("Cannot find module (SNMPv2-SMI)")), qPrintable(r.err));
    }

    void commandLineFaults_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("no input") << QStringList{} << 2 << "Usage";
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate"), QStringLiteral("x")} << 2 << "unknown option --frobnicate";
        QTest::newRow("missing input") << QStringList{QStringLiteral("/nonexistent/X-MIB.txt")} << 2 << "no such file or folder";
        QTest::newRow("bad default severity") << QStringList{QStringLiteral("--default-severity"), QStringLiteral("7"), QStringLiteral("x")} << 2 << "1, 2 or 3";
        QTest::newRow("-o without value") << QStringList{QStringLiteral("x"), QStringLiteral("-o")} << 2 << "-o needs a value";
    }

    void commandLineFaults()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        const Run r = runMibc(QStringList{QStringLiteral("-o"), m_tmp.filePath(QStringLiteral("cl.xml"))} + args);
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
    }

    void notAModuleNamedExplicitly()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("README.md")), "# Not a MIB\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("a.facts")), "module A-MIB\nnode a 1.3.6.1.4.1.99994\n  en: A.\n"));
        const Run r = runMibc({QStringLiteral("-o"), m_tmp.filePath(QStringLiteral("nm.xml")), dir.filePath(QStringLiteral("README.md")),
                               dir.filePath(QStringLiteral("a.facts"))});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(QStringLiteral("README.md: not a MIB module")), qPrintable(r.err));
    }

    void factsFaults_data()
    {
        QTest::addColumn<QByteArray>("facts");
        QTest::addColumn<QString>("message");
        QTest::newRow("definition before module") << QByteArray("node a 1.3.6.1\n") << ":1: a definition before the first";
        QTest::newRow("unknown parent name") << QByteArray("module M\nnode a nowhere.1\n") << ":2: \"nowhere.1\" is not an OID";
        QTest::newRow("unknown syntax") << QByteArray("module M\nnode a 1.3\nobject b a.1 syntax=Blob\n") << ":3: unknown syntax \"Blob\"";
        QTest::newRow("object without syntax") << QByteArray("module M\nobject b 1.3.1\n") << ":2: an object needs syntax=";
        QTest::newRow("bad enumeration") << QByteArray("module M\nobject b 1.3.1 syntax=INTEGER\n  enum: up=1\n") << ":3: enumerations";
        QTest::newRow("bad severity") << QByteArray("module M\nnotification t 1.3.1 severity=7\n") << ":2: severity is";
        QTest::newRow("unknown field") << QByteArray("module M\nnode a 1.3\n  de: Hallo\n") << ":3: unknown field \"de\"";
        QTest::newRow("stray indented line") << QByteArray("module M\n  en: orphan\n") << ":2: an indented line";
    }

    void factsFaults()
    {
        QFETCH(QByteArray, facts);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("m.facts"));
        QVERIFY(writeFile(path, facts + "module N\nnode fine 1.3.6.1.4.1.99995\n  en: Still read.\n"));
        const QString out = m_tmp.filePath(QStringLiteral("facts.xml"));
        const Run r = runMibc({QStringLiteral("-o"), out, path});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains(path + message), qPrintable(r.err));
        // The rest of the file still compiles.
        CXMLRead reader;
        QVERIFY(reader.loadMIBTable(out));
        QVERIFY(reader.getMIBTable()->exact(*SnmpOid::fromString(u"1.3.6.1.4.1.99995")));
    }

    // A refused definition is reported once, not again for each of its
    // description and enumeration lines.
    void factsFaultReportedOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("m.facts"));
        QVERIFY(writeFile(path, "module M\nobject b 1.3.1 syntax=Blob\n  en: text\n  enum: x(1)\nnode c 1.3.2\n  en: fine\n"));
        const Run r = runMibc({QStringLiteral("-o"), m_tmp.filePath(QStringLiteral("once.xml")), path});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err.count(path + u':'), 1);
        QVERIFY2(r.err.contains(path + QStringLiteral(":2:")), qPrintable(r.err));
    }

    // DATA/MIBTable.xml is what DATA/src/regenerate.sh writes from the
    // facts beside it; editing one without the other fails here.
    void bundledDatabaseMatchesItsSource()
    {
        const QString source = TestSupport::sourceDir();
        const QString out = m_tmp.filePath(QStringLiteral("bundled.xml"));
        const Run r = runMibc({QStringLiteral("-q"), QStringLiteral("-o"), out, source + QStringLiteral("/DATA/src")});
        QVERIFY2(r.exitCode == 0 && r.err.isEmpty(), qPrintable(r.err));
        const QByteArray committed = readAll(source + QStringLiteral("/DATA/MIBTable.xml"));
        QVERIFY(!committed.isEmpty());
        QVERIFY2(readAll(out) == committed,
                 "DATA/MIBTable.xml differs from its source: run DATA/src/regenerate.sh and commit both");
    }

    // What an operator meets first is in the bundled database, with
    // descriptions in both languages.
    void bundledCoverage_data()
    {
        QTest::addColumn<QString>("oid");
        QTest::addColumn<QString>("name");
        const char *rows[][2] = {
            {"1.3.6.1.2.1.1.1", "sysDescr"}, {"1.3.6.1.2.1.11.30", "snmpEnableAuthenTraps"},
            {"1.3.6.1.6.3.1.1.4.1", "snmpTrapOID"}, {"1.3.6.1.6.3.1.1.5.1", "coldStart"},
            {"1.3.6.1.6.3.1.1.5.2", "warmStart"}, {"1.3.6.1.6.3.1.1.5.3", "linkDown"}, {"1.3.6.1.6.3.1.1.5.4", "linkUp"},
            {"1.3.6.1.6.3.1.1.5.5", "authenticationFailure"}, {"1.3.6.1.6.3.1.1.5.6", "egpNeighborLoss"},
            {"1.3.6.1.2.1.2.2.1.10", "ifInOctets"}, {"1.3.6.1.2.1.31.1.1.1.6", "ifHCInOctets"},
            {"1.3.6.1.2.1.4.20.1.1", "ipAdEntAddr"}, {"1.3.6.1.2.1.5.1", "icmpInMsgs"}, {"1.3.6.1.2.1.6.13.1.1", "tcpConnState"},
            {"1.3.6.1.2.1.7.5.1.2", "udpLocalPort"}, {"1.3.6.1.2.1.25.1.1", "hrSystemUptime"},
            {"1.3.6.1.2.1.25.2.3.1.6", "hrStorageUsed"}, {"1.3.6.1.2.1.25.3.2.1.3", "hrDeviceDescr"},
            {"1.3.6.1.2.1.25.3.3.1.2", "hrProcessorLoad"}, {"1.3.6.1.4.1.2021.4.6", "memAvailReal"},
            {"1.3.6.1.4.1.2021.9.1.9", "dskPercent"}, {"1.3.6.1.4.1.2021.10.1.5", "laLoadInt"},
            {"1.3.6.1.4.1.8072.4.0.1", "nsNotifyStart"}, {"1.3.6.1.4.1.8072.4.0.2", "nsNotifyShutdown"},
            {"1.3.6.1.6.3.18.1.3", "snmpTrapAddress"},
        };
        for (const auto &row : rows)
            QTest::newRow(row[1]) << QString::fromLatin1(row[0]) << QString::fromLatin1(row[1]);
    }

    void bundledCoverage()
    {
        QFETCH(QString, oid);
        QFETCH(QString, name);
        if (!m_bundled.getMIBTable())
            QVERIFY(m_bundled.loadMIBTable(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml")));
        const MibDocument::Entry *e = m_bundled.getMIBTable()->exact(*SnmpOid::fromString(oid));
        QVERIFY(e);
        QCOMPARE(e->name, name);
        QVERIFY(e->descrEn && *e->descrEn);
        QVERIFY(e->descrJa && *e->descrJa);
        QVERIFY(!e->notification || (e->severity >= 1 && e->severity <= 3));
    }

private:
    QTemporaryDir m_tmp;
    QString m_shared;
    QString m_mibs;
    QString m_all;
    CXMLRead m_bundled;
};

QTEST_GUILESS_MAIN(TestMibc)
#include "tst_mibc.moc"
