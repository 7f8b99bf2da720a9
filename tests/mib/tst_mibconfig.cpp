// The data files at start-up: Config.xml values and their limits, broken
// MIB databases, and which file the start-up message names.

#include "testsupport.h"
#include "xmlread.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

const QByteArray kSmallMib = "<?xml version=\"1.0\"?>\n<mib_table>\n <oid key=\"1.3.6.1.\"><name>internet</name></oid>\n</mib_table>\n";
const QByteArray kGoodConfig = "<config><max_rows>250</max_rows><enterprise_filter>9;311</enterprise_filter></config>";

} // namespace

class TestMibConfig : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        qunsetenv("ORVELLE_DATA_DIR");
    }

    void config_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("error");   // part of the reason
        QTest::addColumn<int>("line");        // 0: not checked
        QTest::addColumn<quint32>("rows");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("port");

        QTest::newRow("all defaults") << QByteArray("<config/>") << true << QString() << 0 << 10000u << QString() << 162;
        QTest::newRow("row limit and filter read back") << kGoodConfig << true << QString() << 0 << 250u << QStringLiteral("9;311") << 162;
        QTest::newRow("everything")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<config>\n<max_rows> 1 </max_rows>\n"
                          "<action_program>/usr/bin/logger</action_program>\n<action_args>-t orvelle %AGENT% %msg%</action_args>\n"
                          "<enterprise_filter>8072</enterprise_filter>\n<trap_port>16162</trap_port>\n</config>\n")
            << true << QString() << 0 << 1u << QStringLiteral("8072") << 16162;
        QTest::newRow("largest row limit") << QByteArray("<config><max_rows>10000000</max_rows></config>") << true << QString() << 0 << 10000000u << QString() << 162;
        QTest::newRow("port 1") << QByteArray("<config><trap_port>1</trap_port></config>") << true << QString() << 0 << 10000u << QString() << 1;
        QTest::newRow("port 65535") << QByteArray("<config><trap_port>65535</trap_port></config>") << true << QString() << 0 << 10000u << QString() << 65535;

        QTest::newRow("negative row limit") << QByteArray("<config>\n\n<max_rows>-5</max_rows></config>") << false << QStringLiteral("max_rows is \"-5\"") << 3 << 0u << QString() << 0;
        QTest::newRow("zero row limit") << QByteArray("<config><max_rows>0</max_rows></config>") << true << QString() << 0 << 0u << QString() << 162;
        QTest::newRow("row limit too large") << QByteArray("<config><max_rows>10000001</max_rows></config>") << false << QStringLiteral("from 0 to 10000000") << 1 << 0u << QString() << 0;
        QTest::newRow("row limit beyond 32 bits") << QByteArray("<config><max_rows>4294967297</max_rows></config>") << false << QStringLiteral("max_rows") << 1 << 0u << QString() << 0;
        QTest::newRow("row limit not a number") << QByteArray("<config><max_rows>many</max_rows></config>") << false << QStringLiteral("max_rows is \"many\"") << 1 << 0u << QString() << 0;
        QTest::newRow("port 0") << QByteArray("<config>\n<trap_port>0</trap_port></config>") << false << QStringLiteral("trap_port is \"0\"") << 2 << 0u << QString() << 0;
        QTest::newRow("port 65536") << QByteArray("<config><trap_port>65536</trap_port></config>") << false << QStringLiteral("from 1 to 65535") << 1 << 0u << QString() << 0;
        QTest::newRow("port negative") << QByteArray("<config><trap_port>-162</trap_port></config>") << false << QStringLiteral("trap_port") << 1 << 0u << QString() << 0;
        QTest::newRow("misspelt setting") << QByteArray("<config>\n<max_row>5</max_row></config>") << false << QStringLiteral("unknown setting <max_row>") << 2 << 0u << QString() << 0;
        QTest::newRow("malformed") << QByteArray("<config>\n<max_rows>5</max_row>\n</config>") << false << QString() << 2 << 0u << QString() << 0;
        QTest::newRow("empty file") << QByteArray() << false << QString() << 0 << 0u << QString() << 0;
        QTest::newRow("wrong document") << QByteArray("<mib_table/>") << false << QStringLiteral("<config>") << 1 << 0u << QString() << 0;
    }

    void config()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, ok);
        QFETCH(QString, error);
        QFETCH(int, line);
        const QString path = m_dir.filePath(QStringLiteral("Config.xml"));
        QVERIFY(writeFile(path, content));

        CXMLRead reader;
        QCOMPARE(reader.loadConfigData(path), ok);
        if (!ok) {
            QVERIFY2(reader.errorString().contains(path), qPrintable(reader.errorString()));
            if (!error.isEmpty())
                QVERIFY2(reader.errorString().contains(error), qPrintable(reader.errorString()));
            if (line)
                QCOMPARE(reader.errorLine(), line);
            return;
        }
        QFETCH(quint32, rows);
        QFETCH(QString, filter);
        QFETCH(int, port);
        tagGLOBALCONFIG config;
        config.nMaxRows = 7; // must be overwritten
        reader.getGlobalConfigData(config);
        QCOMPARE(config.nMaxRows, rows);
        QCOMPARE(config.strEnterpriseFilter, filter);
        QCOMPARE(int(config.nTrapPort), port);
    }

    void refusedConfigKeepsPrevious()
    {
        const QString path = m_dir.filePath(QStringLiteral("Config.xml"));
        CXMLRead reader;
        QVERIFY(writeFile(path, kGoodConfig));
        QVERIFY(reader.loadConfigData(path));
        QVERIFY(writeFile(path, "<config><max_rows>-1</max_rows></config>"));
        QVERIFY(!reader.loadConfigData(path));
        tagGLOBALCONFIG config;
        reader.getGlobalConfigData(config);
        QCOMPARE(config.nMaxRows, 250u);
    }

    void actionTextsKeptAsWritten()
    {
        const QString path = m_dir.filePath(QStringLiteral("Config.xml"));
        QVERIFY(writeFile(path, "<config><action_program> /opt/x y/run </action_program>"
                                "<action_args>&quot;%DESCRIPTION%&quot; &lt;%AGENT%&gt; 日本</action_args></config>"));
        CXMLRead reader;
        QVERIFY(reader.loadConfigData(path));
        tagGLOBALCONFIG config;
        reader.getGlobalConfigData(config);
        QCOMPARE(config.strActionProgram, QStringLiteral("/opt/x y/run"));
        QCOMPARE(config.strActionArgs, QStringLiteral("\"%DESCRIPTION%\" <%AGENT%> 日本"));
    }

    void mibTable_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("line");
        QTest::newRow("malformed") << QByteArray("<mib_table>\n<oid key=\"1\"><name>iso</name>\n</mib_table>") << QString() << 3;
        QTest::newRow("not a database") << QByteArray("<config/>") << QStringLiteral("<mib_table>") << 1;
        QTest::newRow("oid without key") << QByteArray("<mib_table>\n<oid><name>x</name></oid></mib_table>") << QStringLiteral("no key") << 2;
        QTest::newRow("key not a number") << QByteArray("<mib_table>\n\n<oid key=\"1.x\"><name>x</name></oid></mib_table>") << QStringLiteral("\"1.x\"") << 3;
        QTest::newRow("key with empty part") << QByteArray("<mib_table><oid key=\"1..3\"><name>x</name></oid></mib_table>") << QStringLiteral("\"1..3\"") << 1;
        QTest::newRow("unnamed oid") << QByteArray("<mib_table>\n<oid key=\"1\"><name>iso</name>\n<oid key=\"3\"/></oid></mib_table>") << QStringLiteral("no name") << 3;
        QTest::newRow("write out of range") << QByteArray("<mib_table><oid key=\"1\"><name>iso</name>\n<write>6</write></oid></mib_table>") << QStringLiteral("<write>") << 2;
        QTest::newRow("severity out of range") << QByteArray("<mib_table><oid key=\"1\"><name>t</name><severity>4</severity></oid></mib_table>") << QStringLiteral("<severity>") << 1;
        QByteArray deep = "<mib_table>\n";
        for (int i = 0; i < 129; ++i)
            deep += "<oid key=\"1\"><name>n</name>";
        for (int i = 0; i < 129; ++i)
            deep += "</oid>";
        deep += "</mib_table>";
        QTest::newRow("deeper than 128") << deep << QStringLiteral("deeper than 128") << 2;
        QTest::newRow("long key") << QByteArray("<mib_table><oid key=\"") + QByteArray("1.").repeated(129) + "\"><name>x</name></oid></mib_table>" << QStringLiteral("deeper than 128") << 1;
        QTest::newRow("enum value not a number") << QByteArray("<mib_table><oid key=\"1\"><name>t</name><enum value=\"x\">up</enum></oid></mib_table>") << QStringLiteral("enumeration") << 1;
    }

    void mibTable()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        QFETCH(int, line);
        const QString path = m_dir.filePath(QStringLiteral("MIBTable.xml"));
        QVERIFY(writeFile(path, content));
        CXMLRead reader;
        QVERIFY(!reader.loadMIBTable(path));
        QVERIFY(!reader.getMIBTable());
        QVERIFY2(reader.errorString().contains(path), qPrintable(reader.errorString()));
        if (!error.isEmpty())
            QVERIFY2(reader.errorString().contains(error), qPrintable(reader.errorString()));
        QCOMPARE(reader.errorLine(), line);
    }

    // Every prefix of a real database is refused cleanly (run under the
    // sanitizers too), and a refused load keeps the database loaded before.
    void truncatedDatabases()
    {
        QFile f(TestSupport::sourceDir() + QStringLiteral("/DATA/MIBTable.xml"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray whole = f.readAll();
        QVERIFY(whole.size() > 10000);
        const QString path = m_dir.filePath(QStringLiteral("MIBTable.xml"));
        QVERIFY(writeFile(path, whole));
        CXMLRead reader;
        QVERIFY(reader.loadMIBTable(path));
        const MibDocument *before = reader.getMIBTable();
        const qsizetype step = whole.size() / 97;
        for (qsizetype cut = 1; cut < whole.size() - 20; cut += step) {
            QVERIFY(writeFile(path, whole.left(cut)));
            QVERIFY2(!reader.loadMIBTable(path), qPrintable(QString::number(cut)));
            QVERIFY(reader.errorLine() > 0);
            QCOMPARE(reader.getMIBTable(), before);
        }
    }

    void missingMibTable()
    {
        CXMLRead reader;
        QVERIFY(!reader.loadMIBTable(m_dir.filePath(QStringLiteral("nothing.xml"))));
        QVERIFY2(reader.errorString().contains(QStringLiteral("nothing.xml")), qPrintable(reader.errorString()));
        QVERIFY(!reader.loadConfigData(m_dir.filePath(QStringLiteral("nothing.xml"))));
        QVERIFY2(reader.errorString().contains(QStringLiteral("cannot open")), qPrintable(reader.errorString()));
    }

    // Start-up as the main view runs it: which file the message names.
    void startUp_data()
    {
        QTest::addColumn<bool>("withMib");
        QTest::addColumn<QByteArray>("mib");
        QTest::addColumn<bool>("withConfig");
        QTest::addColumn<QByteArray>("config");
        QTest::addColumn<QString>("failedFile");
        QTest::addColumn<QString>("reason");
        QTest::newRow("folder without files") << false << QByteArray() << false << QByteArray() << QStringLiteral("DATA/MIBTable.xml") << QStringLiteral("MIBTable.xml");
        QTest::newRow("database without configuration") << true << kSmallMib << false << QByteArray() << QStringLiteral("DATA/Config.xml") << QStringLiteral("Config.xml");
        QTest::newRow("configuration without database") << false << QByteArray() << true << kGoodConfig << QStringLiteral("DATA/MIBTable.xml") << QStringLiteral("MIBTable.xml");
        QTest::newRow("broken database") << true << QByteArray("<mib_table>") << true << kGoodConfig << QStringLiteral("DATA/MIBTable.xml") << QStringLiteral("line 1");
        QTest::newRow("out-of-range configuration") << true << kSmallMib << true << QByteArray("<config>\n<trap_port>70000</trap_port></config>") << QStringLiteral("DATA/Config.xml") << QStringLiteral("line 2");
        QTest::newRow("both good") << true << kSmallMib << true << kGoodConfig << QString() << QString();
    }

    void startUp()
    {
        QFETCH(bool, withMib);
        QFETCH(QByteArray, mib);
        QFETCH(bool, withConfig);
        QFETCH(QByteArray, config);
        QFETCH(QString, failedFile);
        QFETCH(QString, reason);
        QTemporaryDir data;
        if (withMib)
            QVERIFY(writeFile(data.filePath(QStringLiteral("MIBTable.xml")), mib));
        if (withConfig)
            QVERIFY(writeFile(data.filePath(QStringLiteral("Config.xml")), config));
        qputenv("ORVELLE_DATA_DIR", QFile::encodeName(data.path()));

        CXMLRead reader;
        CAppSettings settings;
        QString failed;
        QString why;
        const bool ok = loadDataFiles(reader, settings, &failed, &why);
        QCOMPARE(ok, failedFile.isEmpty());
        QCOMPARE(failed, failedFile);
        if (!ok) {
            QVERIFY2(why.contains(reason), qPrintable(why));
            QCOMPARE(dataLoadErrorMessage(failed), QStringLiteral("XML database load error:") + failedFile);
            return;
        }
        QVERIFY(reader.getMIBTable());
        QCOMPARE(settings.config.nMaxRows, 250u);
        QCOMPARE(settings.config.strEnterpriseFilter, QStringLiteral("9;311"));
    }

    // Without the override, DATA in the current directory comes first.
    void currentDirectoryFirst()
    {
        QTemporaryDir base;
        QVERIFY(QDir(base.path()).mkpath(QStringLiteral("DATA")));
        QVERIFY(writeFile(base.filePath(QStringLiteral("DATA/MIBTable.xml")), kSmallMib));
        QVERIFY(writeFile(base.filePath(QStringLiteral("DATA/Config.xml")), kGoodConfig));
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(base.path()));
        CXMLRead reader;
        CAppSettings settings;
        QString failed;
        QString why;
        const bool ok = loadDataFiles(reader, settings, &failed, &why);
        QDir::setCurrent(previous);
        QVERIFY2(ok, qPrintable(why));
        QCOMPARE(settings.config.nMaxRows, 250u);
    }

    // The files the repository ships load as they are.
    void bundledFiles()
    {
        qputenv("ORVELLE_DATA_DIR", QFile::encodeName(TestSupport::sourceDir() + QStringLiteral("/DATA")));
        CXMLRead reader;
        CAppSettings settings;
        QString failed;
        QString why;
        QVERIFY2(loadDataFiles(reader, settings, &failed, &why), qPrintable(why));
        QCOMPARE(settings.config.nMaxRows, ConfigLimits::kDefaultRows);
        QCOMPARE(settings.config.nTrapPort, quint16(162));
        QVERIFY(settings.config.strActionProgram.isEmpty());
        QVERIFY(settings.config.strEnterpriseFilter.isEmpty());
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestMibConfig)
#include "tst_mibconfig.moc"
