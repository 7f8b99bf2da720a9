// orvelle-mibc: the shared corpus compiles cleanly and gives exactly the
// names and OIDs net-snmp lists; faults are reported by module, file and
// line; output is deterministic; the bundled database matches its source.

#include "testsupport.h"
#include "mibmodel.h"
#include "xmlread.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

// In the tests that compile against the corpus's base modules.
#define REQUIRE_SHARED()                                                                                               \
    if (m_mibs.isEmpty())                                                                                              \
    QSKIP(qPrintable(TestSupport::sharedDirMissingReason()))
#define VERIFY_CONTAINS(text, part) QVERIFY2((text).contains(part), qPrintable(text))

namespace {

using TestSupport::writeFile;
using TestSupport::readFile;

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runMibc(const QStringList &args)
{
    QProcess p;
    // The messages checked below are the English ones.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    for (const char *outranksLang : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
        env.remove(QLatin1String(outranksLang));
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("ORVELLE_MIBC"), args);
    const bool finished = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit;
    return {finished ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// "severity description" of GOOD-MIB's notification 0.n, empty when unknown.
QString goodTrap(const CXMLRead &reader, int n, const char *lang)
{
    QString text = QStringLiteral("1.3.6.1.4.1.99991.0.%1").arg(n);
    quint32 severity = 0;
    const bool found = reader.GetTrapDesciption(QString(), 0, text, &severity, QLatin1String(lang));
    return found ? QString::number(severity) + u' ' + text : QString();
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

// One of `pairs` and how many there are, for a failure message.
QString sample(const Pairs &pairs)
{
    return pairs.isEmpty() ? QString() : pairs.begin()->first + u' ' + pairs.begin()->second + QStringLiteral(" among %1").arg(pairs.size());
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
        m_data = TestSupport::sourceDir() + QStringLiteral("/tests/mibc/data");
        if (!TestSupport::sharedDir().isEmpty())
            m_mibs = TestSupport::sharedDir() + QStringLiteral("/mibs");
    }

    void matchesNetSnmpListing()
    {
        REQUIRE_SHARED();
        const QString snmptranslate = TestSupport::findProgram(QStringLiteral("snmptranslate"));
        if (snmptranslate.isEmpty())
            QSKIP("snmptranslate (Debian package snmp) is not installed");
        const QString dirs = m_mibs + QStringLiteral(":/usr/share/snmp/mibs");
        const Run r = runMibc({"-o", tmp("all.xml"), "-M", dirs, m_mibs, "/usr/share/snmp/mibs"});
        QVERIFY2(r.exitCode == 0 && r.err.isEmpty(), qPrintable(r.err));
        VERIFY_CONTAINS(r.out, QStringLiteral("notifications"));

        // net-snmp's own listing, in a private environment so that it reads
        // no configuration and writes nothing outside it.
        QTemporaryDir home;
        QProcessEnvironment env = TestSupport::isolatedEnvironment(home.path());
        env.insert(QStringLiteral("SNMPCONFPATH"), home.path());
        env.insert(QStringLiteral("SNMP_PERSISTENT_DIR"), home.path());
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(snmptranslate, {"-M", dirs, "-m", "ALL", "-Tz"});
        QVERIFY(p.waitForFinished(60000) && p.exitCode() == 0);
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

        pugi::xml_document doc;
        QVERIFY(doc.load_file(QFile::encodeName(tmp("all.xml")).constData()));
        Pairs got;
        collect(doc.child("mib_table"), QString(), &got);
        QVERIFY2((expected - got).isEmpty(), qPrintable(QStringLiteral("missing: ") + sample(expected - got)));
        // the listing starts below the three roots
        const Pairs roots{{"ccitt", "0"}, {"iso", "1"}, {"joint-iso-ccitt", "2"}};
        QVERIFY2(got - expected == roots, qPrintable(QStringLiteral("extra: ") + sample(got - expected - roots)));

    }

    // RFC1213-MIB and the SMIv2 modules define the same OIDs: SMIv2 wins,
    // whatever the order on the command line.
    void smiV2WinsOverlaps_data()
    {
        QTest::addColumn<QStringList>("modules");
        QTest::addColumn<QString>("oid");
        QTest::addColumn<QString>("module");
        REQUIRE_SHARED();
        QTest::newRow("SMIv1 first") << QStringList{"RFC1213-MIB", "IF-MIB", "SNMPv2-MIB"} << "1.3.6.1.2.1.1.1" << "SNMPv2-MIB";
        QTest::newRow("SMIv2 first") << QStringList{"SNMPv2-MIB", "IF-MIB", "RFC1213-MIB"} << "1.3.6.1.2.1.2.2.1.3" << "IF-MIB";
        // RMON2-MIB's imports bring in RFC1213-MIB
        QTest::newRow("SMIv1 imported by SMIv2") << QStringList{"RMON2-MIB", "TCP-MIB", "RFC1213-MIB"} << "1.3.6.1.2.1.6.1" << "TCP-MIB";
    }

    void smiV2WinsOverlaps()
    {
        QFETCH(QStringList, modules);
        QFETCH(QString, oid);
        QFETCH(QString, module);
        QStringList args{"-q", "-M", m_mibs, "-o", tmp("overlap.xml")};
        for (const QString &name : modules)
            args << m_mibs + u'/' + name + QStringLiteral(".txt");
        const Run r = runMibc(args);
        CXMLRead reader;
        QVERIFY2(r.exitCode == 0 && reader.loadMIBTable(tmp("overlap.xml")), qPrintable(r.err));
        const MibDocument::Entry *e = reader.getMIBTable()->exact(*SnmpOid::fromString(oid));
        QVERIFY(e);
        QEXPECT_FAIL("SMIv1 imported by SMIv2", "a module loaded as an import is read before the SMIv2 modules after it", Continue);
        QCOMPARE(MibDocument::childText(e->node, MibXml::kModule), module);
    }

    // A folder of a good, a broken and an orphan module: the two faults are
    // reported, the good module compiles completely.
    void faultsReportedOthersCompiled()
    {
        REQUIRE_SHARED();
        const Run r = runMibc({"-M", m_mibs, "--default-severity", "1", "-o", tmp("faults.xml"), m_data});
        QCOMPARE(r.exitCode, 1);
        const QString broken = QRegularExpression::escape(m_data + QStringLiteral("/BROKEN-MIB.txt"));
        VERIFY_CONTAINS(r.err, QRegularExpression(QStringLiteral("BROKEN-MIB \\(%1\\): .*[Ll]ine 1[45]").arg(broken)));
        VERIFY_CONTAINS(r.err, QStringLiteral("Cannot find module (NOWHERE-MIB)"));
        VERIFY_CONTAINS(r.err, QStringLiteral("ORPHAN-MIB (") + m_data + QStringLiteral("/ORPHAN-MIB.txt"));
        VERIFY_CONTAINS(r.err, QStringLiteral("2 module(s) did not compile cleanly"));
        QVERIFY2(!r.err.contains(QStringLiteral("GOOD-MIB (")) && !r.err.contains(QStringLiteral("README")), qPrintable(r.err));

        CXMLRead reader;
        QVERIFY2(reader.loadMIBTable(tmp("faults.xml")), qPrintable(reader.errorString()));
        const MibDocument *doc = reader.getMIBTable();
        const MibDocument::Entry *value = doc->exact(*SnmpOid::fromString(u"1.3.6.1.4.1.99991.1"));
        QVERIFY(value && value->writeSyntax == MibWriteSigned && doc->enumLabel(*value, 2) && *doc->enumLabel(*value, 2) == u"high");
        QCOMPARE(MibDocument::description(*value, QStringLiteral("en")), QStringLiteral("A writable test value.\nSecond paragraph."));
        // the --#SEVERITY hint, else the default
        QCOMPARE(goodTrap(reader, 1, "en"), QStringLiteral("3 The test value crossed its limit."));
        QCOMPARE(goodTrap(reader, 3, "en"), QStringLiteral("1 The test value is back within its limit."));
    }

    // Severity and Japanese overlays; and a module named on the command line
    // is used rather than one of the same name on the search path (a
    // vendor's corrected copy).
    void overlaysAndCommandLineModule()
    {
        REQUIRE_SHARED();
        QTemporaryDir dir;
        QTemporaryDir onPath;
        const QString good = m_data + QStringLiteral("/GOOD-MIB.txt");
        QVERIFY(writeFile(onPath.filePath(QStringLiteral("GOOD-MIB.txt")), readFile(good).replace("goodValue", "staleValue")));
        // by name, by OID (over the hint) and by module and name
        QVERIFY(writeFile(dir.filePath(QStringLiteral("severity.txt")),
                          "# operator's choices\ngoodNotice informational\n1.3.6.1.4.1.99991.0.1 minor\nGOOD-MIB::goodCleared 3\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("ja.txt")),
                          "goodValue テスト用の書き込み可能な値。\\n二段落目。\ngoodAlarm テスト値が上限を超えた。\n"));
        const QStringList module{"-o", tmp("overlay.xml"), good};
        const Run r = runMibc(QStringList{"-M", onPath.path() + u':' + m_mibs, "--severity", dir.filePath(QStringLiteral("severity.txt")),
                                          "--ja", dir.filePath(QStringLiteral("ja.txt"))} + module);
        CXMLRead reader;
        QVERIFY2(r.exitCode == 0 && reader.loadMIBTable(tmp("overlay.xml")), qPrintable(r.err));
        const MibDocument::Entry *value = reader.getMIBTable()->exact(*SnmpOid::fromString(u"1.3.6.1.4.1.99991.1"));
        QVERIFY(value && value->name == u"goodValue");
        QCOMPARE(MibDocument::description(*value, QStringLiteral("ja")), QStringLiteral("テスト用の書き込み可能な値。\n二段落目。"));
        QCOMPARE(goodTrap(reader, 1, "ja"), QStringLiteral("2 テスト値が上限を超えた。"));
        QCOMPARE(goodTrap(reader, 2, "ja"), QStringLiteral("1 Something the operator may want to know.")); // no Japanese: English
        QCOMPARE(goodTrap(reader, 3, "ja"), QStringLiteral("3 The test value is back within its limit."));
    }

    // Faults of the command line and of what it names, each reported once;
    // the rest of a facts file still compiles. "%1" is a folder holding
    // a.facts and m.facts (the `facts` with a good module after them);
    // "%2" the folder of our own modules.
    void inputFaults_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("facts");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // a pattern
        auto args = [](const char *name, const QStringList &args, int exitCode, const char *message) {
            QTest::newRow(name) << args << QByteArray() << exitCode << message;
        };
        args("no input", {}, 2, "Usage");
        args("missing input", {"/nonexistent/X-MIB.txt"}, 2, "no such file or folder");
        args("not a module, named explicitly", {"%2/README.md", "%1/a.facts"}, 1, "README.md: not a MIB module");
        auto facts = [](const char *name, const QByteArray &facts, const char *message) {
            QTest::newRow(name) << QStringList{"%1/m.facts"} << facts << 1 << QStringLiteral("%1/m.facts") + QLatin1String(message);
        };
        facts("definition before module", "node a 1.3.6.1\n", ":1: a definition before the first");
        facts("unknown syntax", "module M\nnode a 1.3\nobject b a.1 syntax=Blob\n", ":3: unknown syntax \"Blob\"");
        facts("bad enumeration", "module M\nobject b 1.3.1 syntax=INTEGER\n  enum: up=1\n", ":3: enumerations");
        // not again for each of the refused definition's own lines
        facts("refused definition with fields", "module M\nobject b 1.3.1 syntax=Blob\n  en: text\n  enum: x(1)\nnode c 1.3.2\n", ":2: unknown syntax");
    }

    void inputFaults()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, facts);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("a.facts")), "module A-MIB\nnode a 1.3.6.1.4.1.99994\n  en: A.\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("m.facts")), facts + "module N\nnode fine 1.3.6.1.4.1.99995\n  en: Still read.\n"));
        args.replaceInStrings(QStringLiteral("%1"), dir.path()).replaceInStrings(QStringLiteral("%2"), m_data);
        const Run r = runMibc(QStringList{"-o", tmp("faults.xml")} + args);
        QCOMPARE(r.exitCode, exitCode);
        VERIFY_CONTAINS(r.err, QRegularExpression(message.replace(QStringLiteral("%1"), dir.path())));
        if (facts.isEmpty())
            return;
        QCOMPARE(r.err.count(dir.filePath(QStringLiteral("m.facts:"))), 1);
        CXMLRead reader;
        QVERIFY(reader.loadMIBTable(tmp("faults.xml")) && reader.getMIBTable()->exact(*SnmpOid::fromString(u"1.3.6.1.4.1.99995")));
    }

    // Every module of the corpus whose imports the built-in modules cover
    // (directly or through each other), compiled with nothing else on the
    // search path, gives what it gives with the IETF module files there.
    void builtinImportsMatchTheModuleFiles()
    {
        REQUIRE_SHARED();
        const Run list = runMibc({"--builtin"});
        QVERIFY2(list.exitCode == 0 && list.err.isEmpty(), qPrintable(list.err));
        const QStringList builtin = list.out.split(u'\n', Qt::SkipEmptyParts);
        const QStringList required = QStringLiteral("SNMPv2-SMI SNMPv2-TC SNMPv2-CONF RFC1155-SMI RFC-1212 RFC-1215 RFC1213-MIB "
            "SNMPv2-MIB IF-MIB IANAifType-MIB INET-ADDRESS-MIB HCNUM-TC IPV6-TC SNMP-FRAMEWORK-MIB ENTITY-MIB "
            "ENTITY-STATE-MIB ENTITY-SENSOR-MIB BRIDGE-MIB HOST-RESOURCES-MIB").split(u' ');
        for (const QString &module : required)
            QVERIFY2(builtin.contains(module), qPrintable(module));

        static const QRegularExpression comment(QStringLiteral("--[^\n]*"));
        static const QRegularExpression importsClause(QStringLiteral("\\bIMPORTS\\b(.*?);"),
                                                      QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression from(QStringLiteral("\\bFROM\\s+([A-Za-z0-9-]+)"));
        QHash<QString, QStringList> imports;
        for (const QString &file : QDir(m_mibs).entryList({QStringLiteral("*.txt")})) {
            const QString text = QString::fromLatin1(readFile(m_mibs + u'/' + file)).remove(comment);
            QStringList from_;
            for (auto it = from.globalMatch(importsClause.match(text).captured(1)); it.hasNext();)
                from_ << it.next().captured(1);
            imports.insert(file.chopped(4), from_);
        }
        QSet<QString> covered;
        for (bool grew = true; grew;) {
            grew = false;
            for (auto it = imports.cbegin(); it != imports.cend(); ++it) {
                if (builtin.contains(it.key()) || covered.contains(it.key()))
                    continue;
                if (std::all_of(it->begin(), it->end(), [&](const QString &m) { return builtin.contains(m) || covered.contains(m); })) {
                    covered.insert(it.key());
                    grew = true;
                }
            }
        }
        QVERIFY2(covered.size() >= 50 && covered.contains(QStringLiteral("CISCO-ENVMON-MIB"))
                     && covered.contains(QStringLiteral("MG-SNMP-UPS-MIB")),
                 qPrintable(QStringList(covered.begin(), covered.end()).join(u' ')));
        const QString vendor = tmp(QStringLiteral("vendor-side"));
        QVERIFY(QDir().mkpath(vendor) && QDir().mkpath(tmp(QStringLiteral("nothing"))));
        for (const QString &m : std::as_const(covered))
            QVERIFY(QFile::copy(m_mibs + u'/' + m + QStringLiteral(".txt"), vendor + u'/' + m + QStringLiteral(".txt")));

        const Run alone = runMibc({"-q", "-M", tmp(QStringLiteral("nothing")), "-o", tmp("alone.xml"), vendor});
        QVERIFY2(alone.exitCode == 0 && alone.err.isEmpty(), qPrintable(alone.err));
        const Run withFiles = runMibc({"-q", "-M", m_mibs, "-o", tmp("with-files.xml"), vendor});
        QVERIFY2(withFiles.exitCode == 0, qPrintable(withFiles.err));

        // name, module, kind, syntax, convention, access, hint, units, enumerations, indexes, description or not
        auto definitions = [&](const QString &path, bool ofCovered) {
            MibcDatabase db;
            QString why;
            QMap<QString, QString> out;
            if (!db.readXml(path, &why))
                return out;
            for (const auto &[oid, n] : db.nodes()) {
                if (covered.contains(n.module) != ofCovered)
                    continue;
                QString facts = QStringList{n.name, n.module, n.kind, n.syntax, n.tc, n.access, n.hint, n.units}.join(u'|');
                for (const auto &[value, label] : n.enums)
                    facts += QStringLiteral(",%1%2").arg(value).arg(label);
                for (const auto &[index, implied] : n.indexes)
                    facts += u';' + index;
                out.insert(oid.toString(), facts + (n.descrEn.isEmpty() ? u'-' : u'+'));
            }
            return out;
        };
        const auto expected = definitions(tmp("with-files.xml"), true);
        const auto got = definitions(tmp("alone.xml"), true);
        QVERIFY(expected.size() > 3000);
        QCOMPARE(got, expected);
        // a module file on the search path wins over the built-in one: its
        // descriptions came with it
        const QString ifIndex = QStringLiteral("1.3.6.1.2.1.2.2.1.1");
        QVERIFY(definitions(tmp("with-files.xml"), false).value(ifIndex).startsWith(QLatin1String("ifIndex|IF-MIB|")));
        QVERIFY(definitions(tmp("with-files.xml"), false).value(ifIndex).endsWith(u'+'));
        QVERIFY(definitions(tmp("alone.xml"), false).value(ifIndex).endsWith(u'-'));
    }

    // DATA/MIBTable.xml is what DATA/src/regenerate.sh writes from the
    // facts beside it; editing one without the other fails here. It also
    // proves that the same input gives the same bytes.
    void bundledDatabaseMatchesItsSource()
    {
        const QString source = TestSupport::sourceDir();
        const Run r = runMibc({"-q", "-o", tmp("bundled.xml"), source + QStringLiteral("/DATA/src")});
        QVERIFY2(r.exitCode == 0 && r.err.isEmpty(), qPrintable(r.err));
        const QByteArray committed = readFile(source + QStringLiteral("/DATA/MIBTable.xml"));
        QVERIFY2(readFile(tmp("bundled.xml")) == committed, "DATA/MIBTable.xml differs from its source: run DATA/src/regenerate.sh");
    }

private:
    QString tmp(const QString &name) const { return m_tmp.filePath(name); }

    QTemporaryDir m_tmp;
    QString m_mibs; // the corpus; empty when it is absent
    // Modules of our own: GOOD-MIB imports only from SNMPv2-SMI, BROKEN-MIB
    // has a syntax fault, ORPHAN-MIB imports from a module that does not
    // exist; README.md is no module.
    QString m_data;
};

QTEST_GUILESS_MAIN(TestMibc)
#include "tst_mibc.moc"
