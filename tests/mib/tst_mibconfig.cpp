// The data files at start-up: Config.xml values and their limits, broken
// MIB databases, where the data folder is looked for and which file the
// start-up message names. Runs once under a Japanese and once under an
// English UI locale, which only the MIB language may notice.

#include "datafolder.h"
#include "testsupport.h"
#include "xmlread.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;

QString describe(const tagGLOBALCONFIG &c)
{
    return QStringLiteral("rows=%1 port=%2 ").arg(c.nMaxRows).arg(c.nTrapPort) + QStringLiteral("filter=")
           + c.strEnterpriseFilter + QStringLiteral(" program=") + c.strActionProgram + QStringLiteral(" args=")
           + c.strActionArgs
           + (c.journal.enabled && c.journal.path.isEmpty() && !c.forward.host.size() ? QString()
              : QStringLiteral(" journal=%1,%2,%3,%4 forward=%5:%6/%7")
                    .arg(int(c.journal.enabled)).arg(c.journal.path).arg(c.journal.retentionDays).arg(c.journal.maxSizeMiB)
                    .arg(c.forward.host).arg(c.forward.port).arg(c.forward.protocol == ForwardConfig::Tcp ? "tcp" : "udp"));
}

const QByteArray kSmallMib = "<?xml version=\"1.0\"?>\n<mib_table>\n <oid key=\"1.3.6.1.\"><name>internet</name></oid>\n</mib_table>\n";
const QByteArray kGoodConfig = "<config><max_rows>250</max_rows><enterprise_filter>9;311</enterprise_filter></config>";
const QString kGoodConfigRead = QStringLiteral("rows=250 port=162 filter=9;311 program= args=");
const QString kDefaults = QStringLiteral("rows=10000 port=162 filter= program= args=");

// `dir` as the data folder, holding these two files.
bool useDataFolder(const QTemporaryDir &dir, const QByteArray &mib, const QByteArray &config)
{
    qputenv("ORVELLE_DATA_DIR", QFile::encodeName(dir.path()));
    return writeFile(dir.filePath(QStringLiteral("MIBTable.xml")), mib) && writeFile(dir.filePath(QStringLiteral("Config.xml")), config);
}

} // namespace

class TestMibConfig : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // the user's data folder is named after these
        QCoreApplication::setOrganizationName(QStringLiteral("Halvorn"));
        QCoreApplication::setApplicationName(QStringLiteral("Orvelle"));
        QVERIFY(m_dir.isValid());
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("good.xml")), kGoodConfig));
        QVERIFY(writeFile(m_dir.filePath(QStringLiteral("small.xml")), kSmallMib));
    }

    // Each file is read after a good one: a refused file keeps what that
    // gave, an accepted one replaces all of it.
    void load_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content"); // null: no file
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("expected"); // the settings read, or part of the reason
        QTest::addColumn<int>("line");         // of the fault

        auto config = [](const char *name, const QByteArray &content, bool ok, const QString &expected, int line) {
            QTest::newRow(qPrintable(QStringLiteral("Config.xml: ") + QLatin1String(name))) << "Config.xml" << content << ok << expected << line;
        };
        config("all defaults", "<config/>", true, kDefaults, 0);
        config("everything, as written",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<config>\n<max_rows> 1 </max_rows>\n"
               "<action_program> /opt/x y/run </action_program>\n"
               "<action_args>&quot;%DESCRIPTION%&quot; &lt;%AGENT%&gt; 日本 </action_args>\n"
               "<enterprise_filter> 8072 </enterprise_filter>\n<trap_port>16162</trap_port>\n</config>\n",
               true, QStringLiteral("rows=1 port=16162 filter=8072 program=/opt/x y/run args=\"%DESCRIPTION%\" <%AGENT%> 日本 "), 0);
        config("lowest limits", "<config><max_rows>0</max_rows><trap_port>1</trap_port></config>", true, QStringLiteral("rows=0 port=1 filter= program= args="), 0);
        config("highest limits", "<config><max_rows>10000000</max_rows><trap_port>65535</trap_port></config>", true, QStringLiteral("rows=10000000 port=65535 filter= program= args="), 0);
        config("negative row limit", "<config>\n\n<max_rows>-5</max_rows></config>", false, QStringLiteral("max_rows is \"-5\""), 3);
        config("row limit too large", "<config><max_rows>10000001</max_rows></config>", false, QStringLiteral("from 0 to 10000000"), 1);
        config("row limit beyond 32 bits", "<config><max_rows>4294967297</max_rows></config>", false, QStringLiteral("max_rows"), 1);
        config("row limit not a number", "<config><max_rows>many</max_rows></config>", false, QStringLiteral("max_rows is \"many\""), 1);
        config("port 0", "<config>\n<trap_port>0</trap_port></config>", false, QStringLiteral("trap_port is \"0\""), 2);
        config("port 65536", "<config><trap_port>65536</trap_port></config>", false, QStringLiteral("from 1 to 65535"), 1);
        config("journal and forward sections", "<config><journal><enabled>0</enabled><retention_days>7</retention_days>"
               "<max_size_mb>5</max_size_mb><file>/j.db</file></journal><forward><host>h</host><port>6514</port>"
               "<protocol>TCP</protocol></forward></config>", true, kDefaults + QStringLiteral(" journal=0,/j.db,7,5 forward=h:6514/tcp"), 0);
        config("retention out of range", "<config><journal>\n<retention_days>36501</retention_days></journal></config>", false,
               QStringLiteral("journal/retention_days is \"36501\""), 2);
        config("unknown forward protocol", "<config><forward><protocol>tls</protocol></forward></config>", false,
               QStringLiteral("forward/protocol is \"tls\"; it must be udp or tcp"), 1);
        config("misspelt section setting", "<config><journal><days>3</days></journal></config>", false, QStringLiteral("unknown setting <journal/days>"), 1);
        config("misspelt setting", "<config>\n<max_row>5</max_row></config>", false, QStringLiteral("unknown setting <max_row>"), 2);
        config("malformed", "<config>\n<max_rows>5</max_row>\n</config>", false, QString(), 2);
        config("wrong document", "<mib_table/>", false, QStringLiteral("<config>"), 1);
        config("no file", QByteArray(), false, QStringLiteral("cannot open"), 0);

        auto mib = [](const char *name, const QByteArray &content, const QString &error, int line) {
            QTest::newRow(qPrintable(QStringLiteral("MIBTable.xml: ") + QLatin1String(name))) << "MIBTable.xml" << content << false << error << line;
        };
        mib("not a database", "<config/>", QStringLiteral("<mib_table>"), 1);
        mib("oid without key", "<mib_table>\n<oid><name>x</name></oid></mib_table>", QStringLiteral("no key"), 2);
        mib("key not a number", "<mib_table>\n\n<oid key=\"1.x\"><name>x</name></oid></mib_table>", QStringLiteral("\"1.x\""), 3);
        mib("unnamed oid", "<mib_table>\n<oid key=\"1\"><name>iso</name>\n<oid key=\"3\"/></oid></mib_table>", QStringLiteral("no name"), 3);
        mib("write out of range", "<mib_table><oid key=\"1\"><name>iso</name>\n<write>6</write></oid></mib_table>", QStringLiteral("<write>"), 2);
        mib("severity out of range", "<mib_table><oid key=\"1\"><name>t</name><severity>4</severity></oid></mib_table>", QStringLiteral("<severity>"), 1);
        mib("enum value not a number", "<mib_table><oid key=\"1\"><name>t</name><enum value=\"x\">up</enum></oid></mib_table>", QStringLiteral("enumeration"), 1);
        mib("deeper than 128", "<mib_table>\n" + QByteArray("<oid key=\"1\"><name>n</name>").repeated(129) + QByteArray("</oid>").repeated(129) + "</mib_table>",
            QStringLiteral("deeper than 128"), 2);
        mib("long key", "<mib_table><oid key=\"" + QByteArray("1.").repeated(129) + "\"><name>x</name></oid></mib_table>", QStringLiteral("deeper than 128"), 1);
        mib("cut short", kSmallMib.left(kSmallMib.lastIndexOf("</mib_table>")), QString(), 3);
    }

    void load()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(bool, ok);
        QFETCH(QString, expected);
        const QString path = m_dir.filePath(file);
        QVERIFY(writeFile(path, content));
        CXMLRead reader;
        QVERIFY(reader.loadConfigData(m_dir.filePath(QStringLiteral("good.xml"))));
        QVERIFY(reader.loadMIBTable(m_dir.filePath(QStringLiteral("small.xml"))));
        const MibDocument *before = reader.getMIBTable();
        QCOMPARE(file == u"Config.xml" ? reader.loadConfigData(path) : reader.loadMIBTable(path), ok);
        QCOMPARE(reader.getMIBTable(), before);
        tagGLOBALCONFIG config;
        reader.getGlobalConfigData(config);
        QCOMPARE(describe(config), ok ? expected : kGoodConfigRead);
        if (ok)
            return;
        QVERIFY2(reader.errorString().contains(path), qPrintable(reader.errorString()));
        QVERIFY2(reader.errorString().contains(expected), qPrintable(reader.errorString()));
        QTEST(reader.errorLine(), "line");
    }

    // Start-up as the main view runs it: which file the message names, the
    // language the descriptions are shown in, and the user's own database
    // (the bundled one with their modules), used where it loads; one that
    // does not is named in a warning and the bundled one used.
    void startUp_data()
    {
        QTest::addColumn<QByteArray>("mib");    // null: no file
        QTest::addColumn<QByteArray>("config"); // null: no file
        QTest::addColumn<QByteArray>("user");   // empty: no file
        QTest::addColumn<QString>("failedFile");
        QTest::addColumn<QString>("expected"); // the settings read, or part of the reason
        QTest::addColumn<QString>("object");   // a name only the database in use has
        QTest::addColumn<QString>("warning");  // a part of it; empty: none
        using TestSupport::row;
        const QByteArray none, own = "<mib_table><oid key=\"1.3.6.1.4.1.99991\"><name>goodMIB</name></oid></mib_table>";
        const QString internet = QStringLiteral("internet"), mibFile = QStringLiteral("DATA/MIBTable.xml"), no;
        row("database without configuration", kSmallMib, none, none, QStringLiteral("DATA/Config.xml"), QStringLiteral("Config.xml"), no, no);
        row("configuration without database", none, kGoodConfig, none, mibFile, QStringLiteral("MIBTable.xml"), no, no);
        row("both good", kSmallMib, kGoodConfig, none, no, kGoodConfigRead, internet, no);
        const QString shipped = TestSupport::sourceDir() + QStringLiteral("/DATA/");
        row("the files the repository ships", readFile(shipped + QStringLiteral("MIBTable.xml")),
            readFile(shipped + QStringLiteral("Config.xml")), none, no, kDefaults, internet, no);
        row("the user's database", kSmallMib, kGoodConfig, own, no, kGoodConfigRead, QStringLiteral("goodMIB"), no);
        row("a corrupt user's database", kSmallMib, kGoodConfig, QByteArray("<mib_table><oid"), no, kGoodConfigRead, internet, QStringLiteral("Error parsing"));
        row("a user's database from a newer version", kSmallMib, kGoodConfig,
            QByteArray("<mib_table format=\"7\"><oid key=\"1\"><name>iso</name></oid></mib_table>"), no, kGoodConfigRead, internet,
            QStringLiteral("newer version of Orvelle (format 7"));
    }

    void startUp()
    {
        QFETCH(QByteArray, mib);
        QFETCH(QByteArray, config);
        QFETCH(QByteArray, user);
        QFETCH(QString, failedFile);
        QFETCH(QString, expected);
        QFETCH(QString, object);
        QFETCH(QString, warning);
        QTemporaryDir data;
        QVERIFY(useDataFolder(data, mib, config));
        QFile::remove(DataFolder::userMibDatabase());
        if (!user.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(DataFolder::userMibDatabase()).absolutePath()));
            QVERIFY(writeFile(DataFolder::userMibDatabase(), user));
        }
        CXMLRead reader;
        CAppSettings settings;
        QString failed, why, warned;
        const bool ok = loadDataFiles(reader, settings, &failed, &why, &warned);
        QFile::remove(DataFolder::userMibDatabase());
        // the MIB language follows the UI locale
        QVERIFY2(qEnvironmentVariableIsSet("EXPECTED_LANGUAGE"), "run through CTest, which sets LANG and EXPECTED_LANGUAGE");
        QCOMPARE(settings.strLanguage, qEnvironmentVariable("EXPECTED_LANGUAGE"));
        QCOMPARE(failed, failedFile);
        QCOMPARE(ok, failedFile.isEmpty());
        QVERIFY2(warning.isEmpty() ? warned.isEmpty() : warned.contains(DataFolder::userMibDatabase()) && warned.contains(warning),
                 qPrintable(warned));
        if (!ok) {
            QVERIFY2(why.contains(expected), qPrintable(why));
            QCOMPARE(dataLoadErrorMessage(failed), QStringLiteral("XML database load error:") + failedFile);
            return;
        }
        QCOMPARE(describe(settings.config), expected);
        const MibDocument::Entry *entry =
            reader.getMIBTable()->exact(object == u"goodMIB" ? SnmpOid{1, 3, 6, 1, 4, 1, 99991} : SnmpOid{1, 3, 6, 1});
        QCOMPARE(entry ? entry->name : QString(), object);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestMibConfig)
#include "tst_mibconfig.moc"
